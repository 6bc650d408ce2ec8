// An installer closing the program for an update, as the Restart Manager
// asks (ENDSESSION_CLOSEAPP), and what the event log learns of the program's
// end and of its timer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/message.h"
#include "driver.h"
#include "resources/texts.h"

namespace zb::e2e {
namespace {

namespace fs = std::filesystem;

constexpr const char* kAllDays = "Montag, Dienstag, Mittwoch, Donnerstag, Freitag, Samstag, Sonntag";

// Every weekday ticked, the start twelve hours away: active, nothing due.
std::string schedule(Sandbox& sb, const std::string& source, const std::string& target, std::string& start) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char hhmm[8];
    std::snprintf(hhmm, sizeof hhmm, "%02d:00", (now.wHour + 12) % 24);
    start = hhmm;
    const std::string ini = "[Backup]\r\nMon=1\r\nDie=1\r\nMit=1\r\nDon=1\r\nFre=1\r\nSam=1\r\nSon=1\r\nP1A=1\r\nP1P=" +
                            source + "\r\nTAR1=" + target + "\r\nZEI=" + start + ":00\r\n";
    sb.writeIni(ini);
    return ini;
}

LRESULT ask(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR answer = 0xBAD;
    if (!SendMessageTimeoutA(w, msg, wp, lp, SMTO_NORMAL, 5000, &answer)) return -1;
    return static_cast<LRESULT>(answer);
}

std::string activated(const std::string& start) {
    return wineEvent("trace", fill(txt::EventTimerActivated, {kAllDays, start}));
}

TEST(UpdateE2E, AnIdleProgramClosesForAnUpdateWithoutAQuestionAndTheLogSaysWhy) {
    Sandbox sb;
    std::string start;
    schedule(sb, sb.makeFolder("Quelle"), sb.makeFolder("Ziel"), start);
    const std::string stderrFile = sb.path() + "\\stderr.txt";
    App app(sb.appData(), true, Launch{{"WINEDEBUG=-all,+eventlog"}, stderrFile});
    ASSERT_TRUE(app.waitMainVisible(false));
    // "Timer stoppen" and "Aktivieren" again, in the hidden window.
    app.click(Ctl::btnStopTimer);
    EXPECT_TRUE(app.waitText(Ctl::pnTitle, "Timer gestoppt"));
    app.click(Ctl::btnActive);
    ASSERT_TRUE(app.waitMainVisible(false));

    // Called off by the installer first: the program runs on.
    EXPECT_EQ(ask(app.main(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
    EXPECT_EQ(ask(app.main(), WM_ENDSESSION, FALSE, ENDSESSION_CLOSEAPP), 0);
    EXPECT_FALSE(app.waitExit(500ms));
    EXPECT_EQ(ask(app.main(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
    EXPECT_TRUE(app.noMessageBox());
    PostMessageA(app.main(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    EXPECT_TRUE(app.waitExit());
    if (std::getenv("WINELOADER")) {  // Windows keeps its events in its own log
        EXPECT_EQ(wineEvents(stderrFile), activated(start) + wineEvent("warn", txt::EventTimerStopped) +
                                              activated(start) + wineEvent("trace", txt::EventEndedForUpdate));
    }
}

// Windows starts the program again after an update with /Neustart: the
// schedule comes on as at any start, and a program that runs already in the
// session is left alone, its window not shown.
TEST(UpdateE2E, RestartedAfterAnUpdateTheTimerIsActive) {
    Sandbox sb;
    std::string start;
    schedule(sb, sb.makeFolder("Quelle"), sb.makeFolder("Ziel"), start);
    App app(sb.appData(), true, Launch{{}, "", "/Neustart"});
    ASSERT_TRUE(app.waitMainVisible(false));
    EXPECT_TRUE(app.trayIconPresent());
    EXPECT_TRUE(app.noMessageBox());
    EXPECT_EQ(countWindows("TfrmBackup"), 1);
}

// A run is never broken off for an update: the installer is refused and the
// run ends as it would have; the end of the session afterwards is told as such.
TEST(UpdateE2E, DuringARunAnUpdateIsRefusedAndTheRunGoesOn) {
    if (!std::getenv("ZB_TARGET_DRIVES")) GTEST_SKIP() << "no test drive M:";
    Sandbox sb;
    const std::string source = sb.makeFolder("Quelle");
    std::ofstream(source + "\\brief.txt") << "Inhalt";
    fs::remove_all("M:\\Aktualisierung");
    fs::create_directories("M:\\Aktualisierung");
    std::string start;
    schedule(sb, source, "M:\\Aktualisierung\\", start);
    const std::string stderrFile = sb.path() + "\\stderr.txt";
    App app(sb.appData(), true, Launch{{"WINEDEBUG=-all,+eventlog"}, stderrFile});
    ASSERT_TRUE(app.waitMainVisible(false));
    app.command(Ctl::miExecNow);
    ASSERT_TRUE(app.waitText(Ctl::pnTitle, "Backup läuft... Bitte warten", 5s));
    EXPECT_EQ(ask(app.main(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), FALSE);
    EXPECT_EQ(ask(app.main(), WM_ENDSESSION, FALSE, ENDSESSION_CLOSEAPP), 0);
    // Even told to end for an update, the run goes on: it is never broken off.
    EXPECT_EQ(ask(app.main(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP), 0);
    EXPECT_TRUE(app.noMessageBox());
    EXPECT_TRUE(app.running());
    ASSERT_TRUE(app.waitMainVisible(false, 60s));  // the run ended and went back to the tray
    EXPECT_TRUE(app.running());
    char wd[4];
    SYSTEMTIME now{};
    GetLocalTime(&now);
    std::snprintf(wd, sizeof wd, "%d", now.wDayOfWeek == 0 ? 7 : now.wDayOfWeek);
    std::ifstream copied("M:\\Aktualisierung\\" + std::string(wd) + "\\P1\\brief.txt");
    std::string content;
    std::getline(copied, content);
    EXPECT_EQ(content, "Inhalt");
    EXPECT_EQ(sb.iniValue("Status", "Ergebnis"), "vollst\xE4ndig");

    EXPECT_EQ(ask(app.main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    PostMessageA(app.main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_TRUE(app.waitExit());
    if (std::getenv("WINELOADER")) {
        const std::string all = wineEvents(stderrFile);
        EXPECT_EQ(all.substr(0, activated(start).size()), activated(start));
        const std::string last = wineEvent("trace", txt::EventEndedWithWindows);
        ASSERT_GE(all.size(), last.size());
        EXPECT_EQ(all.substr(all.size() - last.size()), last);
        EXPECT_EQ(all.find(wineEvent("trace", txt::EventEndedForUpdate)), std::string::npos);
    }
}

}  // namespace
}  // namespace zb::e2e
