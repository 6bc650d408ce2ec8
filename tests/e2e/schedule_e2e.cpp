// A scheduled run that the minute timer of the real program starts by
// itself (this takes up to two minutes), with the eject option on a drive
// letter that Wine cannot eject.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "driver.h"
#include "platform/ports.h"
#include "resources/texts.h"

namespace zb::e2e {
namespace {

namespace fs = std::filesystem;

// A schedule of every day at `start` ("hh:mm:ss"): source 1 a fresh folder
// with one file, target 1 `drive`, whose weekday folder `wd` is removed.
void scheduleEveryDay(const Sandbox& sb, const std::string& drive, const std::string& wd, const char* start,
                      const std::string& extra = "") {
    const std::string source = sb.makeFolder("Quelle");
    std::ofstream(source + "\\plan.txt") << "Plan";
    fs::remove_all(drive + wd);
    sb.writeIni("[Backup]\r\nMon=1\r\nDie=1\r\nMit=1\r\nDon=1\r\nFre=1\r\nSam=1\r\nSon=1\r\nP1A=1\r\nP1P=" + source +
                "\r\nTAR1=" + drive + "\r\nZEI=" + start + "\r\n" + extra);
}

TEST(ScheduleE2E, TheTimerStartsTheRunInItsMinuteAndReportsTheFailedEject) {
    // The drive letters are folders that the test runner maps; elsewhere M:
    // could be a real drive.
    if (!std::getenv("ZB_TARGET_DRIVES")) GTEST_SKIP() << "no test drives M: and N:";
    ASSERT_TRUE(fs::is_directory("M:\\") && fs::is_directory("N:\\"));
    SYSTEMTIME now{};
    GetLocalTime(&now);
    // The first tick comes a minute after the start: it must fall into the
    // next minute, not the one after.
    if (now.wSecond >= 45) {
        std::this_thread::sleep_for(std::chrono::seconds(61 - now.wSecond));
        GetLocalTime(&now);
    }
    const int minuteOfDay = (now.wHour * 60 + now.wMinute + 1) % (24 * 60);
    char start[16];
    std::snprintf(start, sizeof start, "%02d:%02d:00", minuteOfDay / 60, minuteOfDay % 60);
    const std::string wd = std::to_string(now.wDayOfWeek == 0 ? 7 : now.wDayOfWeek);

    Sandbox sb;
    scheduleEveryDay(sb, "M:\\", wd, start, "UNM=1\r\n");

    App app(sb.appData());
    auto warning = app.waitMessageBox();
    ASSERT_TRUE(warning);
    EXPECT_EQ(warning->text, txt::WarnUnmount);
    app.answer(*warning, "&Nein");  // keep ejecting after the run
    app.main();
    ASSERT_TRUE(app.waitMainVisible(false));

    ASSERT_TRUE(app.waitMainVisible(true, 75s)) << "no run started at " << start;
    EXPECT_TRUE(app.waitText(Ctl::pnTitle, "Backup läuft... Bitte warten", 3s));
    ASSERT_TRUE(app.waitMainVisible(false, 60s));
    EXPECT_EQ(app.text(Ctl::pnTitle), "Backup abgeschlossen.");
    EXPECT_TRUE(fs::exists("M:\\" + wd + "\\P1\\plan.txt"));
    const std::string log = app.text(Ctl::mmo1);
    EXPECT_NE(log.find("Laufwerk M:\\ nicht getrennt!: "), std::string::npos) << log;
    EXPECT_TRUE(app.controlEnabled(Ctl::btnActive));
}

// Started inside its start minute (autostart at logon) it runs that backup at once.
TEST(ScheduleE2E, StartedInsideTheStartMinuteItRunsThatBackup) {
    if (!std::getenv("ZB_TARGET_DRIVES")) GTEST_SKIP() << "no test drives M: and N:";
    SYSTEMTIME now{};
    GetLocalTime(&now);
    if (now.wSecond >= 40) std::this_thread::sleep_for(std::chrono::seconds(61 - now.wSecond));  // 20 s to start
    GetLocalTime(&now);
    char start[16];
    std::snprintf(start, sizeof start, "%02d:%02d:00", now.wHour, now.wMinute);
    const std::string wd = std::to_string(now.wDayOfWeek == 0 ? 7 : now.wDayOfWeek);
    Sandbox sb;
    scheduleEveryDay(sb, "N:\\", wd, start);
    App app(sb.appData());
    ASSERT_TRUE(app.waitMainVisible(true, 15s)) << "no run at " << start;
    ASSERT_TRUE(app.waitMainVisible(false, 60s));
    EXPECT_TRUE(fs::exists("N:\\" + wd + "\\P1\\plan.txt"));
    EXPECT_EQ(sb.iniValue("Status", "Ergebnis"), "vollst\xE4ndig");
}

}  // namespace
}  // namespace zb::e2e
