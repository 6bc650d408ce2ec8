// Start-up and end of the real program under Wine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "driver.h"
#include "resources/texts.h"

namespace zb::e2e {
namespace {

const std::vector<std::string> kYesNo = {"&Ja", "&Nein"};

TEST(StartupE2E, FirstStartShowsTheWindowWithDefaults) {
    Sandbox sb;
    ASSERT_FALSE(std::filesystem::exists(sb.settingsDir()));
    App app(sb.appData());
    ASSERT_TRUE(app.waitMainVisible(true));
    EXPECT_EQ(app.text(Ctl::pnTitle), "Initialisiere...");
    EXPECT_TRUE(std::filesystem::is_directory(sb.settingsDir()));
    EXPECT_FALSE(app.checked(Ctl::cbMo));
    EXPECT_FALSE(app.controlVisible(Ctl::edPfad1));
    EXPECT_FALSE(app.controlVisible(Ctl::cbSo));
    EXPECT_TRUE(app.controlVisible(Ctl::edTarget8));
    EXPECT_EQ(app.text(Ctl::cbUnmountUSB), "Nach Abschluß Laufwerk trennen");
    EXPECT_EQ(app.text(Ctl::lbRedundanzzurcksetzen), "Redundanz zurücksetzen");
    char caption[64] = {};
    GetWindowTextA(app.main(), caption, sizeof caption);
    EXPECT_STREQ(caption, "ZELKOR Backup 19.09.01");
    RECT client{};
    GetClientRect(app.main(), &client);
    EXPECT_EQ(client.right, 627);
    EXPECT_EQ(client.bottom, 511);
    const LONG style = GetWindowLongA(app.main(), GWL_STYLE);
    EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    app.paintNow();
    app.screenshot(app.main(), "window");
    EXPECT_TRUE(app.noMessageBox());
}

TEST(StartupE2E, SavedFileLoadsIntoTheControls) {
    Sandbox sb;
    sb.writeIni("[Backup]\r\nP1A=1\r\nP2A=0\r\nP3A=1\r\nP1P=C:\\Daten\\\r\nP2P=D:\\Versteckt\r\n"
                "P3P=C:\\B\xFCro\r\nTAR1=E:\\\r\nTAR2=F:\\Sicherung\r\nTAR8=Z:\r\nZEI=22:15:30\r\nSHU=1\r\n");
    App app(sb.appData());
    ASSERT_TRUE(app.waitMainVisible(true));
    EXPECT_TRUE(app.checked(Ctl::cbPfad1));
    EXPECT_FALSE(app.checked(Ctl::cbPfad2));
    EXPECT_TRUE(app.checked(Ctl::cbPfad3));
    EXPECT_TRUE(app.controlVisible(Ctl::edPfad1));
    EXPECT_FALSE(app.controlVisible(Ctl::edPfad2));
    EXPECT_TRUE(app.controlVisible(Ctl::btnFind3));
    EXPECT_EQ(app.text(Ctl::edPfad1), "C:\\Daten\\");
    EXPECT_EQ(app.text(Ctl::edPfad2), "D:\\Versteckt");
    EXPECT_EQ(app.text(Ctl::edPfad3), "C:\\Büro");
    EXPECT_EQ(app.text(Ctl::edTarget1), "E:\\");
    EXPECT_EQ(app.text(Ctl::edTarget2), "F:\\Sicherung");
    EXPECT_EQ(app.text(Ctl::edTarget8), "Z:");
    EXPECT_TRUE(app.checked(Ctl::cbSD));
    EXPECT_FALSE(app.checked(Ctl::cbUnmountUSB));
    EXPECT_TRUE(app.noMessageBox());
}

TEST(StartupE2E, UnmountSavedWarnsBeforeTheWindow) {
    Sandbox sb;
    sb.writeIni("[Backup]\r\nUNM=1\r\n");
    App app(sb.appData());
    auto box = app.waitMessageBox();
    ASSERT_TRUE(box);
    EXPECT_FALSE(app.mainVisible());
    EXPECT_EQ(box->caption, "Warnung");
    EXPECT_EQ(box->text, txt::WarnUnmount);
    EXPECT_EQ(box->buttons, kYesNo);
    app.screenshot(box->hwnd, "warning-unmount");
    app.answer(*box, "&Nein");
    ASSERT_TRUE(app.waitMainVisible(true));
    EXPECT_TRUE(app.checked(Ctl::cbUnmountUSB));
    EXPECT_TRUE(app.noMessageBox());
}

TEST(StartupE2E, EndAsksAndNeinKeepsTheProgram) {
    Sandbox sb;
    App app(sb.appData());
    ASSERT_TRUE(app.waitMainVisible(true));
    app.clickAsync(Ctl::btnQuit);
    auto box = app.waitMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Bestätigen");
    EXPECT_EQ(box->text, txt::AskQuit);
    EXPECT_EQ(box->buttons, kYesNo);
    app.screenshot(box->hwnd, "confirm-end");
    app.answer(*box, "&Nein");
    EXPECT_FALSE(app.waitExit(1s));
    EXPECT_TRUE(app.mainVisible());

    app.clickAsync(Ctl::btnQuit);
    box = app.waitMessageBox();
    ASSERT_TRUE(box);
    app.answer(*box, "&Ja");
    EXPECT_TRUE(app.waitExit());
}

TEST(StartupE2E, EndOfTheSessionEndsWithoutAQuestion) {
    Sandbox sb;
    App app(sb.appData());
    ASSERT_TRUE(app.waitMainVisible(true));
    // What Windows (and wineboot --end-session) sends when the user logs off.
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(app.main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000,
                                    &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    EXPECT_TRUE(app.noMessageBox());
    PostMessageA(app.main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_TRUE(app.waitExit());
}

TEST(StartupE2E, AnUnwritableSettingsFileIsReportedAndTheProgramRunsOn) {
    Sandbox sb;
    const std::string source = sb.makeFolder("Quelle");
    // APPDATA names a file: the settings folder can never be created.
    const std::string blocked = sb.path() + "\\blockiert";
    std::ofstream(blocked) << "x";
    App app(blocked);
    ASSERT_TRUE(app.waitMainVisible(true));
    app.click(Ctl::cbMo);
    app.click(Ctl::cbPfad1);
    app.setText(Ctl::edPfad1, source);
    app.clickAsync(Ctl::btnActive);
    auto box = app.waitMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "ZELKOR Backup");
    EXPECT_EQ(box->text, "In " + blocked + "\\ZelkorBackup\\Backup.ini kann nicht geschrieben werden");
    EXPECT_EQ(box->buttons, std::vector<std::string>{"OK"});
    app.answer(*box, "OK");
    EXPECT_TRUE(app.running());
    EXPECT_TRUE(app.mainVisible());  // not sent to the tray
}

SYSTEMTIME daysBefore(SYSTEMTIME t, int days) {
    FILETIME ft{};
    SystemTimeToFileTime(&t, &ft);
    const ULONGLONG u = (ULONGLONG{ft.dwHighDateTime} << 32 | ft.dwLowDateTime) - days * 864000000000ULL;
    ft = {static_cast<DWORD>(u), static_cast<DWORD>(u >> 32)};
    FileTimeToSystemTime(&ft, &t);
    return t;
}

// The program was not running on the two days before today when their
// starts came: once it runs, it says so, in the log, the tray and the event log.
TEST(StartupE2E, StartsMissedWhileTheProgramWasNotRunningAreReported) {
    const char* keys[] = {"Son", "Mon", "Die", "Mit", "Don", "Fre", "Sam"};
    const char* names[] = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const SYSTEMTIME alive = daysBefore(now, 3);
    Sandbox sb;
    std::string ini = "[Backup]\r\nP1A=1\r\nP1P=" + sb.makeFolder("Quelle") + "\r\nZEI=06:30:00\r\n";
    for (int d : {1, 2}) ini += std::string(keys[daysBefore(now, d).wDayOfWeek]) + "=1\r\n";
    sb.writeIni(ini + "[Status]\r\nAktiv=" + stamp(alive) + "\r\n");

    // Every ticked start whose minute ended after Aktiv and before now.
    std::string log, events, last, line;
    int missed = 0;
    for (int d = 3; d >= 0; --d) {
        SYSTEMTIME s = daysBefore(now, d);
        s.wHour = 6, s.wMinute = 31, s.wSecond = s.wMilliseconds = 0;  // the start minute's end
        if (ini.find(keys[s.wDayOfWeek] + std::string("=1")) == std::string::npos || stamp(s) <= stamp(alive) ||
            stamp(s) > stamp(now))
            continue;
        last = std::string(names[s.wDayOfWeek]) + ", " + shortDate(s) + " um 06:30 Uhr";
        line = "Geplante Sicherung am " + last +
               " nicht ausgeführt: Der Computer war aus oder im Ruhezustand, oder das Programm lief nicht";
        log += line + ": " + shortDate(now) + "\r\n";
        events += wineEvent("warn", line);
        ++missed;
    }
    ASSERT_EQ(missed, 2);

    const std::string stderrFile = sb.path() + "\\stderr.txt";
    App app(sb.appData(), true, Launch{{"WINEDEBUG=-all,+eventlog"}, stderrFile});
    ASSERT_TRUE(app.waitMainVisible(false));
    auto balloon = waitBalloon();
    ASSERT_TRUE(balloon);
    EXPECT_EQ(balloon->text,
              "2 geplante Sicherungen nicht ausgeführt, zuletzt am " + last + ". Jetzt sichern: \"Backup durchführen\".");
    app.screenshot(balloon->hwnd, "balloon-missed");
    EXPECT_TRUE(app.trayIconPresent());
    EXPECT_EQ(app.text(Ctl::mmo1), log + txt::ErrMissedNoCatchUp + ": " + shortDate(now) + "\r\n");
    // One entry a day: the newest report of the day stands.
    EXPECT_EQ(fromAnsi(sb.iniValue("Errors", shortDate(now).c_str())), line);
    if (std::getenv("WINELOADER")) {  // Windows keeps its events in its own log
        // The timer came on first; its days in the order of the week.
        std::string days;
        for (int iso = 1; iso <= 7; ++iso)
            if (ini.find(keys[iso % 7] + std::string("=1")) != std::string::npos)
                days += (days.empty() ? "" : ", ") + std::string(names[iso % 7]);
        const std::string on = "Sicherung an diesen Wochentagen um 06:30 Uhr: " + days;
        EXPECT_EQ(wineEvents(stderrFile), wineEvent("trace", on) + events);
    }
    const std::string aktiv = sb.iniValue("Status", "Aktiv");
    EXPECT_GE(aktiv, stamp(now));
    EXPECT_EQ(aktiv.substr(0, 10), stamp(now).substr(0, 10));
}

}  // namespace
}  // namespace zb::e2e
