// A start missed while the program was not running, made up a minute after
// its start by the real minute timer (this takes about a minute), without
// the shutdown that the option asks for after scheduled runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <cstdio>
#include <fstream>
#include <thread>

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


// A start whose minute passes while a made-up run goes on runs right after
// it; the log pane gives each run a header of its own. A source gone after
// the activation gives each run a line to report.
TEST(CatchUpE2E, AStartDuringAMadeUpRunFollowsItAndEachRunHasItsHeader) {
    if (!std::getenv("ZB_TARGET_DRIVES")) GTEST_SKIP() << "no test drives M: and N:";
    Sandbox sb;
    std::string ini = "[Backup]\r\nMon=1\r\nDie=1\r\nMit=1\r\nDon=1\r\nFre=1\r\nSam=1\r\nSon=1\r\nTAR1=N:\\\r\n";
    std::string gone;
    for (int k = 1; k <= 5; ++k) {
        // Many small files: the made-up run has to last past the next minute.
        const std::string source = gone = sb.makeFolder("Quelle" + std::to_string(k));
        for (int i = 0; k < 5 && i < 3000; ++i) std::ofstream(source + "\\f" + std::to_string(i)) << i;
        ini += "P" + std::to_string(k) + "A=1\r\nP" + std::to_string(k) + "P=" + source + "\r\n";
    }
    SYSTEMTIME now = minutesAgo(0);
    if (now.wSecond >= 40) std::this_thread::sleep_for(std::chrono::seconds(61 - now.wSecond));
    // Yesterday's start was missed; today's comes with the second tick.
    const SYSTEMTIME start = minutesAgo(-2), alive = minutesAgo(26 * 60);
    char zei[16];
    std::snprintf(zei, sizeof zei, "%02d:%02d:00", start.wHour, start.wMinute);
    sb.writeIni(ini + "ZEI=" + zei + "\r\nNachholen=1\r\nNachholenNach=1\r\n[Status]\r\nAktiv=" + stamp(alive) + "\r\n");
    const ULONGLONG launched = GetTickCount64();
    App app(sb.appData());
    app.main();
    ASSERT_TRUE(app.waitMainVisible(false));
    fs::remove_all(gone);
    ASSERT_TRUE(app.waitMainVisible(true, 90s)) << "no made-up run";
    // The start runs right after the made-up run (the window may not hide
    // between them), or with its own tick when the made-up run was short.
    ASSERT_TRUE(app.waitMainVisible(false, 900s));
    const bool spanned = GetTickCount64() - launched > 122000;
    const auto headers = [&] {
        const std::string log = app.text(Ctl::mmo1);
        std::size_t n = 0;
        for (std::size_t at = log.find(txt::LogRun, 0, 27); at != std::string::npos; at = log.find(txt::LogRun, at + 1, 27))
            ++n;
        return n;
    };
    if (headers() < 2) {
        ASSERT_TRUE(app.waitMainVisible(true, 90s)) << "the start of " << zei << " did not run";
        ASSERT_TRUE(app.waitMainVisible(false, 900s));
    }
    EXPECT_EQ(headers(), 2u) << app.text(Ctl::mmo1);
    EXPECT_GE(sb.iniValue("Status", "Letzte").substr(11, 5), std::string(zei).substr(0, 5));
    app.command(Ctl::miShow);
    ASSERT_TRUE(app.waitMainVisible(true));
    app.paintNow();
    app.screenshot(app.main(), "log-pane-two-runs");
    std::printf("%s\n", spanned ? "The start's minute passed during the made-up run."
                                 : "The made-up run ended before the start's minute: not the road under test.");
}

}  // namespace
}  // namespace zb::e2e
