// An installer closing the program for an update, as the Restart Manager asks
// (ENDSESSION_CLOSEAPP); the events of the program's end and of its timer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "core/message.h"
#include "driver.h"
#include "resources/texts.h"

namespace zb::e2e {
namespace {

// Every weekday ticked, the start twelve hours away: active, nothing due.
// Returns the event of the timer coming on.
std::string schedule(Sandbox& sb, const std::string& target) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char start[8];
    std::snprintf(start, sizeof start, "%02d:00", (now.wHour + 12) % 24);
    sb.writeIni("[Backup]\r\nMon=1\r\nDie=1\r\nMit=1\r\nDon=1\r\nFre=1\r\nSam=1\r\nSon=1\r\nP1A=1\r\nP1P=" +
                sb.makeFolder("Quelle") + "\r\nTAR1=" + target + "\r\nZEI=" + start + ":00\r\n");
    const char* days = "Montag, Dienstag, Mittwoch, Donnerstag, Freitag, Samstag, Sonntag";
    return wineEvent("trace", fill(txt::EventTimerActivated, {days, std::string(start)}));
}

LRESULT ask(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR answer = 0xBAD;
    return SendMessageTimeoutA(w, msg, wp, lp, SMTO_NORMAL, 5000, &answer) ? static_cast<LRESULT>(answer) : -1;
}

TEST(UpdateE2E, AnIdleProgramClosesForAnUpdateWithoutAQuestionAndTheLogSaysWhy) {
    Sandbox sb;
    const std::string on = schedule(sb, sb.makeFolder("Ziel")), err = sb.path() + "\\stderr.txt";
    App app(sb.appData(), true, Launch{{"WINEDEBUG=-all,+eventlog"}, err});
    ASSERT_TRUE(app.waitMainVisible(false));
    app.click(Ctl::btnStopTimer);
    app.click(Ctl::btnActive);
    // Called off by the installer first: the program runs on.
    EXPECT_EQ(ask(app.main(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
    EXPECT_EQ(ask(app.main(), WM_ENDSESSION, FALSE, ENDSESSION_CLOSEAPP), 0);
    EXPECT_FALSE(app.waitExit(500ms));
    EXPECT_EQ(ask(app.main(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
    EXPECT_TRUE(app.noMessageBox());
    PostMessageA(app.main(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    EXPECT_TRUE(app.waitExit());
    if (std::getenv("WINELOADER"))  // Windows keeps its events in its own log
        EXPECT_EQ(wineEvents(err), on + wineEvent("warn", txt::EventTimerStopped) + on +
                                       wineEvent("trace", txt::EventEndedForUpdate));
}

// Started again by Windows after an update: the schedule comes on, nothing shows.
TEST(UpdateE2E, RestartedAfterAnUpdateTheTimerIsActive) {
    Sandbox sb;
    schedule(sb, sb.makeFolder("Ziel"));
    App app(sb.appData(), true, Launch{{}, "", "/Neustart"});
    ASSERT_TRUE(app.waitMainVisible(false));
    EXPECT_TRUE(app.trayIconPresent() && app.noMessageBox());
}

// A run is never broken off for an update, not even by a late WM_ENDSESSION.
TEST(UpdateE2E, DuringARunAnUpdateIsRefusedAndTheRunGoesOn) {
    if (!std::getenv("ZB_TARGET_DRIVES")) GTEST_SKIP() << "no test drive M:";
    Sandbox sb;
    const std::string on = schedule(sb, "M:\\"), err = sb.path() + "\\stderr.txt";
    App app(sb.appData(), true, Launch{{"WINEDEBUG=-all,+eventlog"}, err});
    ASSERT_TRUE(app.waitMainVisible(false));
    app.command(Ctl::miExecNow);
    ASSERT_TRUE(app.waitText(Ctl::pnTitle, "Backup läuft... Bitte warten", 5s));
    EXPECT_EQ(ask(app.main(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), FALSE);
    EXPECT_EQ(ask(app.main(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP), 0);
    ASSERT_TRUE(app.waitMainVisible(false, 60s));  // the run ended and went back to the tray
    EXPECT_TRUE(app.running());
    EXPECT_EQ(sb.iniValue("Status", "Ergebnis"), "vollst\xE4ndig");
    if (std::getenv("WINELOADER"))
        EXPECT_EQ(wineEvents(err).find(wineEvent("trace", txt::EventEndedForUpdate)), std::string::npos);
}

}  // namespace
}  // namespace zb::e2e
