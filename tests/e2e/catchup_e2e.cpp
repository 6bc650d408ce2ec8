// A start missed while the program was not running, made up a minute after
// its start by the real minute timer (this takes about a minute), without
// the shutdown that the option asks for after scheduled runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "driver.h"
#include "resources/texts.h"

namespace zb::e2e {
namespace {

namespace fs = std::filesystem;

SYSTEMTIME minutesAgo(int minutes) {
    FILETIME now, local;
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG then = (ULONGLONG{now.dwHighDateTime} << 32 | now.dwLowDateTime) - minutes * 600000000ULL;
    now = {static_cast<DWORD>(then), static_cast<DWORD>(then >> 32)};
    SYSTEMTIME t{};
    FileTimeToLocalFileTime(&now, &local);
    FileTimeToSystemTime(&local, &t);
    return t;
}

TEST(CatchUpE2E, AStartMissedBeforeStartUpIsMadeUpAMinuteLaterWithoutAShutdown) {
    if (!std::getenv("ZB_TARGET_DRIVES")) GTEST_SKIP() << "no test drives M: and N:";
    Sandbox sb;
    const std::string source = sb.makeFolder("Quelle");
    std::ofstream(source + "\\plan.txt") << "Plan";
    // Every day ten minutes ago; the program last ran twenty minutes ago.
    const SYSTEMTIME start = minutesAgo(10), alive = minutesAgo(20);
    char zei[16];
    std::snprintf(zei, sizeof zei, "%02d:%02d:00", start.wHour, start.wMinute);
    for (int day = 1; day <= 7; ++day) fs::remove_all("N:\\" + std::to_string(day));  // earlier tests' copies
    sb.writeIni("[Backup]\r\nMon=1\r\nDie=1\r\nMit=1\r\nDon=1\r\nFre=1\r\nSam=1\r\nSon=1\r\nP1A=1\r\nP1P=" + source +
                "\r\nTAR1=N:\\\r\nZEI=" + zei + "\r\nSHU=1\r\nNachholen=1\r\nNachholenNach=1\r\n[Status]\r\nAktiv=" +
                stamp(alive) + "\r\n");

    App app(sb.appData());
    app.main();
    ASSERT_TRUE(app.waitMainVisible(false));
    EXPECT_NE(app.text(Ctl::mmo1).find(" nachgeholt: "), std::string::npos) << app.text(Ctl::mmo1);
    // The first tick, a minute after start-up, runs it.
    ASSERT_TRUE(app.waitMainVisible(true, 90s)) << "no made-up run";
    const SYSTEMTIME ran = minutesAgo(0);  // its weekday, also just after midnight
    const std::string wd = std::to_string(ran.wDayOfWeek == 0 ? 7 : ran.wDayOfWeek);
    ASSERT_TRUE(app.waitMainVisible(false, 60s));
    EXPECT_EQ(app.text(Ctl::pnTitle), "Backup abgeschlossen.");
    EXPECT_TRUE(fs::exists("N:\\" + wd + "\\P1\\plan.txt"));
    EXPECT_EQ(sb.iniValue("Status", "Ergebnis"), "vollst\xE4ndig");
    const std::string log = app.text(Ctl::mmo1);
    EXPECT_TRUE(log.find(" wird jetzt nachgeholt: ") != std::string::npos &&
                log.find(std::string(txt::ErrCatchUpNoShutdown) + ": ") != std::string::npos) << log;
    // A shutdown would have ended every program of this prefix by now.
    EXPECT_FALSE(app.waitExit(3s));
    EXPECT_TRUE(app.controlEnabled(Ctl::btnActive));
}

}  // namespace
}  // namespace zb::e2e
