// A backup run started from the tray menu of the real program, onto two
// targets on the drive letters M: and N: (folders of the test run).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "driver.h"
#include "platform/ports.h"

namespace zb::e2e {
namespace {

namespace fs = std::filesystem;

std::string shortDateToday() {
    char buf[64] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buf, sizeof buf);
    return buf;
}

int isoWeekdayToday() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return st.wDayOfWeek == 0 ? 7 : st.wDayOfWeek;
}

// Chooses "Backup durchführen", the second item of the tray menu.
void chooseBackupNow(App& app) {
    app.trayNotify(WM_RBUTTONDOWN_);
    HWND menu = app.waitPopupMenu();
    ASSERT_TRUE(menu);
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
}

TEST(RunE2E, BackupFromTheTrayMenuRotatesOverTwoDrives) {
    // The drive letters are folders that the test runner maps; elsewhere M:
    // could be a real drive.
    if (!std::getenv("ZB_TARGET_DRIVES")) GTEST_SKIP() << "no test drives M: and N:";
    ASSERT_TRUE(fs::is_directory("M:\\") && fs::is_directory("N:\\"));
    Sandbox sb;
    const std::string source = sb.makeFolder("Quelle");
    fs::create_directories(source + "\\unter");
    std::ofstream(source + "\\brief.txt") << "Hallo";
    std::ofstream(source + "\\unter\\tief.txt") << "tief";
    SetFileAttributesA((source + "\\brief.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    const std::string wd = std::to_string(isoWeekdayToday());
    fs::remove_all("M:\\" + wd);
    fs::create_directories("N:\\Sicherung\\" + wd + "\\P1\\alt");  // last week's backup on N:
    // A start time far from now, so that no scheduled run interferes.
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char start[16];
    std::snprintf(start, sizeof start, "%02d:00:00", (now.wHour + 12) % 24);
    sb.writeIni("[Backup]\r\nMon=1\r\nDie=1\r\nMit=1\r\nDon=1\r\nFre=1\r\nSam=1\r\nSon=1\r\nP1A=1\r\nP1P=" + source +
                "\r\nTAR1=M:\\\r\nTAR2=N:\\Sicherung\r\nZEI=" + std::string(start) + "\r\n");

    App app(sb.appData());
    app.main();
    ASSERT_TRUE(app.waitMainVisible(false));

    chooseBackupNow(app);
    ASSERT_TRUE(app.waitMainVisible(true));
    EXPECT_TRUE(app.waitText(Ctl::pnTitle, "Backup läuft... Bitte warten", 2s));
    EXPECT_FALSE(app.controlEnabled(Ctl::btnQuit));
    ASSERT_TRUE(app.waitMainVisible(false, 30s));  // back in the tray when done

    const std::string n = "N:\\Sicherung\\" + wd + "\\P1\\";
    EXPECT_FALSE(fs::exists(n + "alt"));
    EXPECT_TRUE(fs::exists(n + "brief.txt"));
    EXPECT_TRUE(GetFileAttributesA((n + "brief.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(fs::exists(n + "unter\\tief.txt"));
    std::string ini = sb.readIni();
    EXPECT_NE(ini.find("redundanz=2\r\n"), std::string::npos) << ini;
    EXPECT_TRUE(app.controlEnabled(Ctl::btnQuit));

    // The next run takes target 1, where today's folder does not exist yet.
    chooseBackupNow(app);
    ASSERT_TRUE(app.waitMainVisible(true));
    ASSERT_TRUE(app.waitMainVisible(false, 30s));
    EXPECT_TRUE(fs::exists("M:\\" + wd + "\\P1\\unter\\tief.txt"));
    ini = sb.readIni();
    EXPECT_NE(ini.find("redundanz=1\r\n"), std::string::npos) << ini;
    const std::string report = "Sicherung vom " + wd + " nicht gelöscht";
    EXPECT_NE(ini.find("[Errors]\r\n" + shortDateToday() + "=" + toAnsi(report) + "\r\n"), std::string::npos) << ini;
    EXPECT_EQ(app.text(Ctl::mmo1), report + ": " + shortDateToday() + "\r\n");
}

}  // namespace
}  // namespace zb::e2e
