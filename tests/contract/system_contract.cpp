// Folders, environment and regional settings, natively against the
// stand-ins and under Wine against the real API.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "core/backup_state.h"
#include "core/settings.h"
#include "contract_util.h"
#include "platform/ports.h"
#ifdef _WIN32
#include "win32/text_win32.h"
#endif

namespace zb {
namespace {

void setEnv(const char* name, const char* value) {
#ifdef _WIN32
    _wputenv_s(toWide(name).c_str(), value ? toWide(value).c_str() : L"");
#else
    if (value) setenv(name, value, 1);
    else unsetenv(name);
#endif
}

class SystemContract : public ::testing::Test {
protected:
    std::unique_ptr<ISystem> sys = makeSystem();
    test::TempDir dir;
};

TEST_F(SystemContract, DirectoryExistsOnlyForFolders) {
    EXPECT_TRUE(sys->directoryExists(dir.path()));
    EXPECT_TRUE(sys->directoryExists(dir.path() + "\\"));
    test::writeBytes(dir.file("datei.txt"), "x");
    EXPECT_FALSE(sys->directoryExists(dir.file("datei.txt")));
    EXPECT_FALSE(sys->directoryExists(dir.file("fehlt")));
    EXPECT_FALSE(sys->directoryExists(""));
}

TEST_F(SystemContract, ForceDirectoriesCreatesAllMissingLevels) {
    const std::string deep = dir.path() + "\\a\\b\\c\\";
    EXPECT_TRUE(sys->forceDirectories(deep));
    EXPECT_TRUE(sys->directoryExists(deep));
    EXPECT_TRUE(sys->forceDirectories(deep));  // already there
    test::writeBytes(dir.file("datei"), "x");
    EXPECT_FALSE(sys->forceDirectories(dir.path() + "\\datei\\unter"));
}

TEST_F(SystemContract, UmlautsInFolderNames) {
    const std::string p = dir.path() + "\\Größe\\Übersicht";
    EXPECT_TRUE(sys->forceDirectories(p));
    EXPECT_TRUE(sys->directoryExists(p));
    EXPECT_TRUE(std::filesystem::is_directory(test::host(dir.path()) / std::filesystem::u8path("Größe")));
}

// A folder of this test's own is changed by nobody else; Wine, which runs
// every program elevated, names the own account as its owner.
TEST_F(SystemContract, TrustedFileOfThePreset) {
    using Trust = ISystem::Trust;
    const std::string preset = dir.path() + "\\Vorgabe\\Vorgabe.ini";
    ASSERT_TRUE(sys->forceDirectories(dir.path() + "\\Vorgabe"));
    test::writeBytes(preset, "[Backup]\r\nP1P=C:\\Daten\xE4\r\n");  // "ä" in code page 1252
    const ISystem::TrustedFile file = sys->readTrustedFile(preset, 64);
    EXPECT_EQ(file.trust, Trust::Trusted);
    EXPECT_EQ(file.text, "[Backup]\r\nP1P=C:\\Daten\u00e4\r\n");
    EXPECT_EQ(sys->readTrustedFile(preset, 10).text, std::nullopt);  // larger than allowed
    test::writeBytes(preset, std::string("\xFF\xFE[\0B\0]\0", 8));
    EXPECT_EQ(sys->readTrustedFile(preset, 64).text, "[B]");
    EXPECT_EQ(sys->readTrustedFile(dir.path() + "\\Vorgabe\\fehlt.ini", 64).trust, Trust::Missing);
    EXPECT_EQ(sys->readTrustedFile(dir.path() + "\\fehlt\\Vorgabe.ini", 64).trust, Trust::Missing);
    EXPECT_EQ(sys->readTrustedFile(dir.path() + "\\Vorgabe", 64).trust, Trust::Untrusted);  // a folder is no preset
#ifndef _WIN32  // Wine derives a file's rights from its Unix mode and takes none it is given
    std::filesystem::permissions(test::host(preset), std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(sys->readTrustedFile(preset, 64).trust, Trust::Untrusted);
#endif
}

TEST_F(SystemContract, EnvironmentVariables) {
    setEnv("ZB_CONTRACT_VAR", "C:\\Users\\jürgen\\AppData");
    EXPECT_EQ(sys->env("ZB_CONTRACT_VAR"), "C:\\Users\\jürgen\\AppData");
    setEnv("ZB_CONTRACT_VAR", nullptr);
    EXPECT_EQ(sys->env("ZB_CONTRACT_VAR"), "");
}

TEST(LocaleContract, LongTimeFormatReadsBackThroughTheParser) {
    auto loc = makeLocale();
    for (TimeOfDay t : {TimeOfDay{0, 0, 0}, TimeOfDay{1, 0, 30}, TimeOfDay{12, 0, 0}, TimeOfDay{13, 5, 9},
                        TimeOfDay{23, 59, 59}}) {
        const std::string s = loc->formatLongTime(t);
        const auto back = parseTime(s, loc->timeSeparator(), loc->amDesignator(), loc->pmDesignator());
        ASSERT_TRUE(back) << s;
        EXPECT_EQ(*back, t) << s;
    }
}

// Summer time is reckoned with the offset that the clock's local time has.
TEST(ClockContract, TheUtcOffsetIsTheOneOfTheLocalTime) {
    auto clock = makeClock();
    const std::int64_t utc = std::time(nullptr), local = secondsOf(clock->now());
    EXPECT_NEAR(static_cast<double>(local - utc), clock->utcOffsetMinutes(utc) * 60.0, 2.0);
}

}  // namespace
}  // namespace zb
