// The minute tick over simulated days, the after-run actions and the two
// roads to a shutdown. Nothing here switches anything off: the power and
// volume calls go to recording stand-ins.
#include "run_fixture.h"
#include "core/calendar.h"

namespace zb::test {
namespace {

class ScheduleTest : public RunTest {
protected:
    ScheduleTest() {
        drive('E');
        target(1, "E:\\");
        window.onSetText = [this](Ctl c, const std::string& s) {
            if (c != Ctl::pnTitle) return;
            if (s == txt::StatusRunning) runStarts.push_back(clock.now());
            statuses.push_back(s);
        };
        window.onProcessMessages = nullptr;
    }
    void startAt(int hour, int minute, int second = 0) { window.setTime(Ctl::dtpTarget, {hour, minute, second}); }
    // Ticks once a minute from `from` for `minutes` minutes, after a long stop.
    void tickEveryMinute(LocalDateTime from, int minutes) {
        clock.set(from);
        for (int i = 0; i < minutes; ++i) {
            VirtualClock c;
            c.set(from);
            c.advance(static_cast<std::uint32_t>(i) * 60000u);
            clock.set(c.now());
            clock.setTick(clock.tickCount() + (i == 0 ? 86400000u : 60000u));
            form.TimerTimer(Ctl::Timer);
        }
    }
    std::vector<LocalDateTime> runStarts;
};

TEST_F(ScheduleTest, AWeekOfTicksRunsEachTickedDayOnceInItsMinute) {
    tick(Ctl::cbMo), tick(Ctl::cbMi), tick(Ctl::cbSo);  // Sunday through the hidden box
    startAt(12, 34, 56);                                  // the seconds make no difference
    tickEveryMinute({2026, 12, 7, 0, 0, 30, 0}, 7 * 24 * 60);
    ASSERT_EQ(runStarts.size(), 3u);
    EXPECT_EQ(runStarts[0].day, 7);
    EXPECT_EQ(runStarts[1].day, 9);
    EXPECT_EQ(runStarts[2].day, 13);
    for (const auto& r : runStarts) EXPECT_EQ(r.hour * 60 + r.minute, 12 * 60 + 34);
}

TEST_F(ScheduleTest, TheStatusLineTellsWhetherAndWhenTodaysBackupIsDue) {
    tick(Ctl::cbMo);
    startAt(12, 34);
    const std::pair<LocalDateTime, std::string> cases[] = {
        {{2026, 12, 8, 12, 33, 0, 0}, "Aktiviert"},
        {{2026, 12, 7, 12, 35, 0, 0}, "Aktiviert. Für heute ist kein weiteres Backup vorgesehen..."},
        {{2026, 12, 7, 12, 33, 59, 0}, "Aktiviert. Backup heute um 12:34 Uhr"},
    };
    for (const auto& [when, status] : cases) {
        clock.set(when);
        form.TimerTimer(Ctl::Timer);
        EXPECT_EQ(window.text(Ctl::pnTitle), status);
    }
    EXPECT_TRUE(runStarts.empty());
    // The tick in the start minute shows the due text before it starts the run.
    statuses.clear();
    clock.set({2026, 12, 7, 12, 34, 30, 0});
    form.TimerTimer(Ctl::Timer);
    EXPECT_EQ(statuses.front(), "Aktiviert. Backup heute um 12:34 Uhr");
    EXPECT_EQ(window.text(Ctl::pnTitle), "Backup abgeschlossen.");
}

TEST_F(ScheduleTest, MidnightAndTheLastMinuteOfTheDay) {
    tick(Ctl::cbMo), tick(Ctl::cbDi);
    startAt(0, 0);
    tickEveryMinute({2026, 12, 7, 0, 0, 10, 0}, 2 * 24 * 60);
    ASSERT_EQ(runStarts.size(), 2u);
    EXPECT_EQ(runStarts[1].day, 8);
    runStarts.clear();
    startAt(23, 59);
    tickEveryMinute({2026, 12, 14, 0, 0, 10, 0}, 2 * 24 * 60);
    ASSERT_EQ(runStarts.size(), 2u);
    EXPECT_EQ(runStarts[0].hour, 23);
}

TEST_F(ScheduleTest, AMissedStartMinuteIsNotCaughtUp) {
    tick(Ctl::cbMo);
    startAt(12, 34);
    clock.set({2026, 12, 7, 12, 33, 50, 0});
    form.TimerTimer(Ctl::Timer);
    form.PowerBroadcast(4);  // asleep through 12:34
    clock.set({2026, 12, 7, 12, 35, 5, 0});
    form.PowerBroadcast(0x12);
    form.TimerTimer(Ctl::Timer);
    tickEveryMinute({2026, 12, 7, 12, 36, 5, 0}, 11 * 60);
    EXPECT_TRUE(runStarts.empty());
    EXPECT_EQ(logLines().front().substr(0, 53), "Geplante Sicherung am Montag, 07.12.2026 um 12:34 Uhr");
}

// The tick count says how much time passed, the local clock which start
// minutes it covered: a start that a clock or zone set forward jumped over is
// told and made up, never run as scheduled with its shutdown; a clock set
// back runs no start twice.
TEST_F(ScheduleTest, AClockSetOverTheStartNeitherRunsItNorShutsDown) {
    tick(Ctl::cbMo);
    startAt(18, 0);
    window.setCheckedState(Ctl::cbSD, true);
    window.setTimerEnabled(true);
    const auto berlin = [](std::int64_t) { return 60; };
    const auto tokyo = [](std::int64_t) { return 9 * 60; };
    for (const bool byZone : {false, true}) {
        SCOPED_TRACE(byZone ? "time zone" : "clock");
        ASSERT_TRUE(profile->writeString(iniPath(), "Backup", "Nachholen", byZone ? "1" : "0"));
        window.setText(Ctl::mmo1, "");
        runStarts.clear();
        clock.zone = berlin;
        const int day = byZone ? 14 : 7;  // a Monday each
        tickEveryMinute({2026, 12, day, 9, 59, 10, 0}, 2);
        // Set 8 hours on; the next tick comes a minute later by the real clock
        // and lands in the start minute.
        if (byZone) clock.zone = tokyo;
        clock.set({2026, 12, day, 18, 0, 40, 0});
        clock.setTick(clock.tickCount() + 60000);
        form.TimerTimer(Ctl::Timer);
        EXPECT_TRUE(runStarts.empty());
        const std::string date = (day == 7 ? "07" : "14") + std::string(".12.2026");
        ASSERT_FALSE(logLines().empty());
        EXPECT_EQ(logLines().front(), "Geplante Sicherung am Montag, " + date + " um 18:00 Uhr nicht ausgeführt: Die "
                                      "Uhr oder die Zeitzone wurde über die Startzeit hinaus vorgestellt: " + date);
        for (int i = 0; i < 12; ++i) {
            clock.advance(60000);
            form.TimerTimer(Ctl::Timer);
        }
        EXPECT_EQ(runStarts.size(), byZone ? 1u : 0u);  // made up after its 10 minutes
        EXPECT_TRUE(power.calls.empty());
    }
    // Run in its minute, then the clock set back across it: not run again.
    window.setCheckedState(Ctl::cbSD, false);
    runStarts.clear();
    tickEveryMinute({2026, 12, 21, 17, 59, 10, 0}, 2);
    ASSERT_EQ(runStarts.size(), 1u);
    tickEveryMinute({2026, 12, 21, 17, 50, 10, 0}, 20);
    EXPECT_EQ(runStarts.size(), 1u);
}

TEST_F(ScheduleTest, TicksDuringARunChangeNothing) {
    tick(Ctl::cbMo);
    startAt(12, 34);
    clock.set({2026, 12, 7, 12, 34, 0, 0});
    int nested = 0;
    window.onProcessMessages = [&] {
        const std::string before = window.text(Ctl::pnTitle);
        form.TimerTimer(Ctl::Timer);
        ++nested;
        EXPECT_EQ(window.text(Ctl::pnTitle), before);
    };
    form.TimerTimer(Ctl::Timer);
    EXPECT_GT(nested, 0);
    EXPECT_EQ(runStarts.size(), 1u);
}

TEST_F(ScheduleTest, AfterARunWithoutTargetTheWindowGoesBackToTheTrayWithoutEject) {
    tick(Ctl::cbMo);
    startAt(12, 34);
    target(1, "");
    window.setCheckedState(Ctl::cbUnmountUSB, true);  // no target was used: nothing to eject
    clock.set({2026, 12, 7, 12, 34, 0, 0});
    form.TimerTimer(Ctl::Timer);
    EXPECT_EQ(window.text(Ctl::pnTitle), "Backup abgeschlossen.");
    EXPECT_FALSE(form.backupRunning());
    EXPECT_TRUE(window.enabled(Ctl::btnActive) && window.enabled(Ctl::btnQuit));
    EXPECT_FALSE(window.shown());
    EXPECT_EQ(tray.icons.size(), 1u);
    EXPECT_TRUE(volume.calls.empty());
    EXPECT_EQ(logLines(), std::vector<std::string>{"Sicherungslaufwerke nicht gefunden: 07.12.2026"});
    EXPECT_TRUE(power.calls.empty());
}

// Each run's lines under a header of its own; a missed start after them under another.
TEST_F(ScheduleTest, TheLogPaneGivesEachRunItsOwnHeader) {
    tick(Ctl::cbMo);
    startAt(12, 34);
    target(1, "");
    clock.set({2026, 12, 7, 12, 37, 0, 0});
    form.Click(Ctl::miExecNow);
    clock.set({2026, 12, 7, 12, 39, 0, 0});
    form.Click(Ctl::miExecNow);
    form.PowerBroadcast(4);
    clock.set({2026, 12, 14, 13, 0, 0, 0});
    form.PowerBroadcast(0x12);
    const std::string pane = window.text(Ctl::mmo1);
    EXPECT_EQ(pane.substr(0, pane.find(" um 12:34 Uhr")),
              "Meldungen der Sicherung vom 07.12.2026 12:37:\r\nSicherungslaufwerke nicht gefunden: 07.12.2026\r\n"
              "Meldungen der Sicherung vom 07.12.2026 12:39:\r\nSicherungslaufwerke nicht gefunden: 07.12.2026\r\n"
              "Weitere Meldungen vom 14.12.2026 13:00:\r\nGeplante Sicherung am Montag, 14.12.2026");
}

TEST_F(ScheduleTest, EjectFailsIsReportedAndTheShutdownStillComes) {
    tick(Ctl::cbMo);
    startAt(12, 34);
    window.setCheckedState(Ctl::cbUnmountUSB, true);
    window.setCheckedState(Ctl::cbSD, true);
    target(1, "E:\\Sicherung");
    makeFolder("drive-E\\Sicherung");
    clock.set({2026, 12, 7, 12, 34, 0, 0});
    form.TimerTimer(Ctl::Timer);
    // E: is of no type that can be ejected in the stand-in.
    EXPECT_EQ(volume.calls, std::vector<std::string>{"GetDriveType E:\\"});
    EXPECT_EQ(logLines().back(), "Laufwerk E:\\Sicherung nicht getrennt!: 07.12.2026");
    EXPECT_EQ(window.text(Ctl::pnTitle), "Backup abgeschlossen... PC wird heruntergefahren");
    EXPECT_EQ(power.calls.back(), "ExitWindowsEx 12 0");
    // While Windows goes down the program stays marked as running.
    EXPECT_TRUE(form.backupRunning());
    EXPECT_FALSE(window.enabled(Ctl::btnQuit));
    EXPECT_TRUE(window.shown());
}

TEST_F(ScheduleTest, ARefusedShutdownIsReportedAndTheProgramWaitsAgain) {
    tick(Ctl::cbMo);
    startAt(12, 34);
    window.setCheckedState(Ctl::cbSD, true);
    power.exitAccepted = false;
    clock.set({2026, 12, 7, 12, 34, 0, 0});
    form.TimerTimer(Ctl::Timer);
    EXPECT_EQ(logLines().back(), "PC konnte nicht heruntergefahren werden!: 07.12.2026");
    EXPECT_FALSE(form.backupRunning());
    EXPECT_TRUE(window.enabled(Ctl::btnActive) && window.enabled(Ctl::btnQuit));
    EXPECT_FALSE(window.shown());

    window.answers = {MsgResult::Yes};
    form.miBackupAndShutdownClick(Ctl::miBackupAndShutdown);
    EXPECT_EQ(logLines().back(), "PC konnte nicht heruntergefahren werden!: 07.12.2026");
    EXPECT_FALSE(form.backupRunning());
    EXPECT_FALSE(window.shown());
}

TEST_F(ScheduleTest, AFailedRunDoesNotBlockTomorrow) {
    tick(Ctl::cbMo), tick(Ctl::cbDi);
    startAt(12, 34);
    std::filesystem::remove_all(host(settingsDir()));
    writeBytes(settingsDir().substr(0, settingsDir().size() - 1), "kein Ordner");  // every write fails
    clock.set({2026, 12, 7, 12, 34, 0, 0});
    EXPECT_THROW(form.TimerTimer(Ctl::Timer), EZelkorError);
    EXPECT_FALSE(form.backupRunning());
    EXPECT_TRUE(window.enabled(Ctl::btnQuit));
    EXPECT_FALSE(window.shown());
    std::filesystem::remove(host(settingsDir().substr(0, settingsDir().size() - 1)));
    std::filesystem::create_directories(host(settingsDir()));
    clock.set({2026, 12, 8, 12, 34, 0, 0});
    clock.setTick(clock.tickCount() + 86400000u);
    form.TimerTimer(Ctl::Timer);
    EXPECT_EQ(runStarts.size(), 2u);
    EXPECT_EQ(window.text(Ctl::pnTitle), "Backup abgeschlossen.");
}

TEST_F(ScheduleTest, BackupAndShutdownAsksFirstAndNeverEjects) {
    window.setCheckedState(Ctl::cbUnmountUSB, true);
    for (MsgResult answer : {MsgResult::No, MsgResult::None}) {
        window.answers = {answer};
        form.Click(Ctl::miBackupAndShutdown);
        EXPECT_TRUE(runStarts.empty());
        EXPECT_TRUE(power.calls.empty());
    }
    window.answers = {MsgResult::Yes};
    form.Click(Ctl::miBackupAndShutdown);
    ASSERT_EQ(window.boxes.size(), 3u);
    EXPECT_EQ(window.boxes[2], (Box{MsgKind::Error, MsgButtons::YesNo,
                                    "Nach der Datensicherung wird das System unwiderruflich heruntergefahren!\r\n\r\n"
                                    "Beenden Sie zunächst alle anderen Anwendungen und schließen Sie alle Dateien."
                                    "\r\n\r\nForfahren?"}));
    EXPECT_EQ(runStarts.size(), 1u);
    EXPECT_TRUE(volume.calls.empty());
    EXPECT_EQ(power.calls.back(), "ExitWindowsEx 12 0");
    EXPECT_TRUE(form.backupRunning());
}


// The starts whose minute passed while nobody looked, and the one to run now.
TEST(MissedStarts, OnlyStartsWhoseMinutePassedWhileNobodyRan) {
    const std::array<bool, 7> monWed{true, false, true, false, false, false, false}, daily{true, true, true, true,
                                                                                          true, true, true};
    using T = LocalDateTime;
    const UtcOffset utc = [](std::int64_t) { return 0; };
    const struct {
        const char* what;
        T alive;
        std::optional<T> ran;
        T now;
        std::array<bool, 7> days;
        std::vector<T> missed;
        std::optional<T> run = {};  // after a previous look that is `recent`
        bool recent = false;
    } cases[] = {
        {"away Monday to Thursday", {2026, 12, 7, 0, 30, 0}, {}, {2026, 12, 10, 9, 0, 0}, monWed,
         {{2026, 12, 7, 1, 0, 0}, {2026, 12, 9, 1, 0, 0}}},
        {"gone in the start minute, nothing ran", {2026, 12, 7, 1, 0, 30}, {}, {2026, 12, 7, 9, 0, 0}, monWed,
         {{2026, 12, 7, 1, 0, 0}}},
        {"gone in the start minute after the run began", {2026, 12, 7, 1, 0, 30}, T{2026, 12, 7, 1, 0, 5},
         {2026, 12, 7, 9, 0, 0}, monWed, {}},
        {"alive past the start minute", {2026, 12, 7, 1, 1, 0}, {}, {2026, 12, 8, 9, 0, 0}, monWed, {}},
        {"back within the start minute", {2026, 12, 6, 22, 0, 0}, {}, {2026, 12, 7, 1, 0, 40}, monWed, {},
         T{2026, 12, 7, 1, 0, 0}},
        {"over the turn of the year", {2026, 12, 31, 23, 0, 0}, {}, {2027, 1, 2, 2, 0, 0}, daily,
         {{2027, 1, 1, 1, 0, 0}, {2027, 1, 2, 1, 0, 0}}},
        {"a clock set back", {2026, 12, 9, 0, 0, 0}, {}, {2026, 12, 7, 9, 0, 0}, daily, {}},
        {"a tick 61 s late", {2026, 12, 7, 0, 59, 59}, {}, {2026, 12, 7, 1, 1, 0}, monWed, {},
         T{2026, 12, 7, 1, 0, 0}, true},
        {"a tick after a long stop", {2026, 12, 7, 0, 59, 59}, {}, {2026, 12, 7, 1, 9, 0}, monWed,
         {{2026, 12, 7, 1, 0, 0}}},
        {"the hour set back", {2026, 12, 7, 1, 59, 30}, {}, {2026, 12, 7, 1, 0, 30}, daily, {}, {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const StartsFound f = lookAtSchedule({c.alive, c.recent, c.now, c.ran, c.days, {1, 0, 0}}, utc);
        EXPECT_EQ(f.lastMissed, c.missed);
        EXPECT_EQ(f.runNow, c.run);
    }
}

// German time: summer time from the last Sunday of March to that of October,
// changing at 01:00 UTC; the repeated hour is in the table above.
std::int32_t germanOffset(std::int64_t utc) {
    const auto change = [y = fromSeconds(utc).year](unsigned month) {
        std::int64_t d = daysFromCivil(y, month, 31);
        while ((d % 7 + 10) % 7 != 6) --d;
        return d * 86400 + 3600;
    };
    return utc >= change(3) && utc < change(10) ? 120 : 60;
}

TEST(StartOn, AStartInTheSkippedHourComesRightAfterIt) {
    const std::int64_t spring = daysFromCivil(2026, 3, 29), autumn = daysFromCivil(2026, 10, 25);
    const struct { std::int64_t day; TimeOfDay start; LocalDateTime at; } cases[] = {
        {spring, {2, 30}, {2026, 3, 29, 3, 0, 0}}, {spring, {2, 0}, {2026, 3, 29, 3, 0, 0}},
        {spring, {1, 59}, {2026, 3, 29, 1, 59, 0}}, {spring - 1, {2, 30}, {2026, 3, 28, 2, 30, 0}},
        {autumn, {2, 30}, {2026, 10, 25, 2, 30, 0}}};
    for (const auto& c : cases) EXPECT_EQ(startOn(c.day, c.start, germanOffset), c.at);
}

// A week with the program away, asleep and running, seen from the tray, the
// error log, the event log and section Status.
TEST_F(ScheduleTest, AMissedStartAndAWeekWithoutACompleteBackupAreReportedOutsideTheWindow) {
    writeIni("[Backup]\r\nMon=1\r\nMit=1\r\nP1A=1\r\nP1P=C:\\Quelle\r\nTAR1=E:\\\r\nZEI=01:00:00\r\n"
             "[Status]\r\nLetzte=2026-11-30 01:00:00\r\nErgebnis=vollst\xE4ndig\r\nZiel=1\r\nFehlend=0\r\n"
             "LetzteVollstaendige=2026-11-30 01:00:00\r\nAktiv=2026-12-06 20:00:00\r\n");
    makeFolder("Quelle");
    clock.set({2026, 12, 7, 8, 0, 0, 0});  // Monday morning: the computer was off at 01:00
    form.FormCreate(Ctl::frmBackup);
    const std::string missed = "Geplante Sicherung am Montag, 07.12.2026 um 01:00 Uhr nicht ausgeführt: Der Computer "
                               "war aus oder im Ruhezustand, oder das Programm lief nicht";
    const std::string week = "Seit 7 Tagen keine vollständige Sicherung, die letzte war am 30.11.2026 01:00";
    // With nothing to make it up, how to back up now and where the option is.
    const std::string now = "Jetzt sichern: Rechtsklick auf das Symbol im Infobereich, \"Backup durchführen\". "
                            "Verpasste Sicherungen holt das Programm selbst nach, wenn im selben Menü unter "
                            "\"Optionen\" \"Verpasste Sicherung nachholen\" angehakt ist";
    EXPECT_EQ(logLines(), (std::vector<std::string>{missed + ": 07.12.2026", now + ": 07.12.2026",
                                                    week + ": 07.12.2026"}));
    EXPECT_EQ(reports(), (std::vector<PosixEventLog::Event>{{EventType::Warning, 4, missed},
                                                            {EventType::Warning, 5, week}}));
    ASSERT_EQ(tray.icons.size(), 1u);
    const TrayIconData& icon = tray.icons.begin()->second;
    EXPECT_EQ(icon.hIcon, tray.warningIcon());
    // The reason first, then when and where the last run was; the schedule's line no longer fits.
    EXPECT_EQ(std::string(icon.szTip), "ZELKOR Backup\nEine geplante Sicherung nicht ausgeführt.\n"
                                        "Zuletzt vollständig am 30.11.2026 01:00, Ziellaufwerk 1");
    EXPECT_EQ(tray.calls.back().message, NIM_MODIFY_);
    EXPECT_EQ(std::string(tray.calls.back().data.szInfo),
              "Geplante Sicherung am Montag, 07.12.2026 um 01:00 Uhr nicht ausgeführt. "
              "Seit 7 Tagen keine vollständige Sicherung. Die letzte war am 30.11.2026 01:00. "
              "Jetzt sichern: \"Backup durchführen\".");
    EXPECT_EQ(tray.calls.back().data.dwInfoFlags, NIIF_WARNING_);
    EXPECT_NE(iniText().find("Aktiv=2026-12-07 08:00:00\r\n"), std::string::npos);

    // Once a day: the ticks of Monday add nothing, Tuesday's first does.
    window.setText(Ctl::mmo1, "");
    tickEveryMinute({2026, 12, 7, 8, 0, 30, 0}, 24 * 60);
    EXPECT_EQ(logLines(), std::vector<std::string>{week + ": 08.12.2026"});

    // Asleep from Tuesday evening to Thursday: Wednesday's start is missed.
    window.setText(Ctl::mmo1, "");
    clock.set({2026, 12, 8, 20, 0, 0, 0});
    form.PowerBroadcast(4);
    clock.set({2026, 12, 10, 7, 0, 0, 0});
    form.PowerBroadcast(0x12);
    EXPECT_EQ(logLines().front(), "Geplante Sicherung am Mittwoch, 09.12.2026 um 01:00 Uhr nicht ausgeführt: "
                                  "Der Computer war aus oder im Ruhezustand, oder das Programm lief nicht: 10.12.2026");

    // The next complete run: the normal icon, no balloon, no more warnings.
    const std::size_t calls = tray.calls.size();
    form.miExecNowClick(Ctl::miExecNow);
    EXPECT_EQ(tray.icons.begin()->second.hIcon, tray.appIcon());
    for (std::size_t i = calls; i < tray.calls.size(); ++i) EXPECT_EQ(tray.calls[i].data.uFlags & NIF_INFO_, 0u);
    EXPECT_EQ(eventLog.events.back().id, 1u);
    EXPECT_NE(iniText().find("[Status]\r\nLetzte=2026-12-10 07:00:00\r\nErgebnis=vollst\xE4ndig\r\nZiel=1\r\n"
                             "Fehlend=0\r\nLetzteVollstaendige=2026-12-10 07:00:00\r\nAktiv=2026-12-10 07:00:"),
              std::string::npos)
        << iniText();
}

// Start-up and wake inside the start minute, and a late tick.
TEST_F(ScheduleTest, NoStartMinuteIsPassedOverByAStartUpAWakeOrALateTick) {
    writeIni("[Backup]\r\nMon=1\r\nDie=1\r\nSon=1\r\nP1A=1\r\nP1P=" + sourceFolder("Quelle") +
             "\r\nTAR1=E:\\\r\nZEI=08:00:00\r\n[Status]\r\nAktiv=2026-12-06 20:00:00\r\n");
    clock.set({2026, 12, 7, 8, 0, 10, 0});
    form.FormCreate(Ctl::frmBackup);
    ASSERT_TRUE(runStarts.empty() && window.postedTicks == 1);  // the message loop runs it: the window shows
    form.TimerTimer(Ctl::Timer);
    clock.set({2026, 12, 8, 7, 0, 0, 0});
    form.PowerBroadcast(4);
    clock.set({2026, 12, 8, 8, 0, 30, 0});
    form.PowerBroadcast(0x12);
    ASSERT_EQ(window.postedTicks, 2);
    form.TimerTimer(Ctl::Timer);
    clock.set({2026, 12, 14, 7, 59, 59, 0});
    clock.setTick(clock.tickCount() + 6 * 86400000u);  // Sunday's start is told, not run
    form.TimerTimer(Ctl::Timer);
    clock.set({2026, 12, 14, 8, 1, 0, 0});
    clock.setTick(clock.tickCount() + 61000);
    form.TimerTimer(Ctl::Timer);
    ASSERT_EQ(runStarts.size(), 3u);
    EXPECT_EQ(runStarts[2].minute, 1);
}

// Ten years away in nine lines, one balloon for every finding, and the
// warning kept until a complete run.
TEST_F(ScheduleTest, TenYearsAwayAreToldInAFewLinesAndTheWarningOutlivesARestart) {
    writeIni("[Backup]\r\nMon=1\r\nDie=1\r\nMit=1\r\nDon=1\r\nFre=1\r\nSam=1\r\nSon=1\r\nP1A=1\r\nP1P=" +
             sourceFolder("Quelle") + "\r\nTAR1=E:\\\r\n[Status]\r\nLetzte=2016-12-06 01:00:00\r\nErgebnis=unvollst"
             "\xE4ndig\r\nZiel=1\r\nFehlend=12\r\nLetzteVollstaendige=2016-11-29 01:00:00\r\nAktiv=2016-12-07 02:00:00\r\n");
    clock.set({2026, 12, 7, 10, 0, 0, 0});
    form.FormCreate(Ctl::frmBackup);
    ASSERT_EQ(logLines().size(), 10u);
    EXPECT_EQ(logLines()[0], "3645 frühere geplante Sicherungen nicht ausgeführt, die erste am Donnerstag, 08.12.2016 um "
                        "01:00 Uhr: Der Computer war aus oder im Ruhezustand, oder das Programm lief nicht: 07.12.2026");
    EXPECT_EQ(reports().size(), 9u);
    EXPECT_NE(iniText().find("Verpasst=3652\r\n"), std::string::npos);
    EXPECT_EQ(std::string(tray.calls.back().data.szInfo),
              "Sicherung unvollständig am 06.12.2016 01:00 auf Ziellaufwerk 1: 12 Dateien fehlen. Einzelheiten im "
              "Protokoll. 3652 geplante Sicherungen nicht ausgeführt. Seit 3660 Tagen keine vollständige Sicherung. "
              "Jetzt sichern: \"Backup durchführen\".");

    // The last run was fine after all; the program starts again a minute later.
    ASSERT_TRUE(profile->writeString(iniPath(), "Status", "Ergebnis", "vollständig"));
    clock.advance(60000);
    TfrmBackup again(portsWith(window, tray));
    again.FormCreate(Ctl::frmBackup);
    EXPECT_EQ(logLines().size(), 10u);  // the week is told once a day, also across starts
    EXPECT_EQ(std::string(tray.icons.begin()->second.szTip).substr(0, 58),
              "ZELKOR Backup\n3652 geplante Sicherungen nicht ausgeführt.");
    again.miExecNowClick(Ctl::miExecNow);
    EXPECT_EQ(tray.icons.begin()->second.hIcon, tray.appIcon());
    // A mark of life from 1900 is damage: nothing to report.
    ASSERT_TRUE(profile->writeString(iniPath(), "Status", "Aktiv", "1900-01-01 00:00:00"));
    again.PowerBroadcast(0x12);
    EXPECT_NE(iniText().find("Verpasst=0\r\n"), std::string::npos);
    // Eight missed: the oldest one is summed up on its own.
    ASSERT_TRUE(profile->writeString(iniPath(), "Status", "Aktiv", "2026-12-09 02:00:00"));
    clock.set({2026, 12, 17, 10, 0, 0, 0});
    TfrmBackup third(portsWith(window, tray));
    third.FormCreate(Ctl::frmBackup);
    EXPECT_NE(window.text(Ctl::mmo1).find("\r\nEine frühere geplante Sicherung am Donnerstag, 10.12.2026 um 01:00 Uhr "
                                          "nicht ausgeführt: Der Computer war aus oder im Ruhezustand, oder das "
                                          "Programm lief nicht: 17.12.2026\r\n"),
              std::string::npos);
}

}  // namespace
}  // namespace zb::test

namespace zb::test {
namespace {

// A start minute passed while a box of the start-up was open runs late
// within the late-tick rule, or is told as such; one passed while the timer
// was stopped is told as such; a run dated ahead holds no start.
TEST_F(ScheduleTest, AStartNotRunIsToldWithItsTrueReason) {
    const std::string src = sourceFolder("Quelle");
    const struct {
        const char* what;
        std::uint32_t boxMs;  // how long the start-up's box stays open
        LocalDateTime at;     // the program starts
        const char* status;
        bool runs;
        std::string line;
    } cases[] = {
        {"answered 3 minutes after the start", 3 * 60000, {2026, 12, 7, 7, 59, 50, 0}, "", true, ""},
        {"answered 6 minutes after the start", 6 * 60000, {2026, 12, 7, 7, 59, 50, 0}, "", false,
         "Geplante Sicherung am Montag, 07.12.2026 um 08:00 Uhr nicht ausgeführt: Die Startzeit verging, während eine "
         "Meldung offen war"},
        {"the timer stopped before the start", 0, {2026, 12, 7, 9, 0, 0, 0}, "Gestoppt=2026-12-07 07:30:00\r\n", false,
         "Geplante Sicherung am Montag, 07.12.2026 um 08:00 Uhr nicht ausgeführt: Der Timer war gestoppt"},
        {"a last run dated later today", 0, {2026, 12, 7, 8, 0, 10, 0}, "Letzte=2026-12-07 12:00:00\r\n", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(host(settingsDir() + "Zeitplan.ini"));  // each case a computer of its own
        writeIni("[Backup]\r\nMon=1\r\nP1A=1\r\nP1P=" + src + "\r\nTAR1=E:\\\r\nTAR2=X:\\\r\nZEI=08:00:00\r\n[Status]\r\n"
                 "Aktiv=2026-12-07 07:00:00\r\n" + c.status);
        clock.set(c.at);
        window.onMessageBox = [&](const Box&) { clock.advance(c.boxMs); };
        window.setText(Ctl::mmo1, "");
        window.postedTicks = 0;
        runStarts.clear();
        TfrmBackup start{portsWith(window, tray)};
        start.FormCreate(Ctl::frmBackup);
        if (window.postedTicks > 0) start.TimerTimer(Ctl::Timer);
        EXPECT_EQ(runStarts.size(), c.runs ? 1u : 0u);
        const auto lines = logLines();
        const auto told = std::find_if(lines.begin(), lines.end(),
                                       [](const std::string& l) { return l.find("nicht ausgeführt:") != std::string::npos; });
        EXPECT_EQ(told == lines.end() ? "" : *told, c.line.empty() ? "" : c.line + ": 07.12.2026");
        EXPECT_EQ(iniText().find("Gestoppt="), std::string::npos);
    }

    // Stopped and activated again in the same session.
    window.onMessageBox = nullptr;
    target(2, "");
    clock.set({2026, 12, 14, 7, 30, 0, 0});
    form.Click(Ctl::btnStopTimer);
    EXPECT_NE(readBytes(settingsDir() + "Zeitplan.ini").find("Gestoppt=2026-12-14 07:30:00\r\n"), std::string::npos);
    clock.set({2026, 12, 14, 9, 0, 0, 0});
    window.setText(Ctl::mmo1, "");
    form.Click(Ctl::btnActive);
    EXPECT_EQ(logLines(), std::vector<std::string>{"Geplante Sicherung am Montag, 14.12.2026 um 08:00 Uhr nicht "
                                                   "ausgeführt: Der Timer war gestoppt: 14.12.2026"});
    EXPECT_EQ(readBytes(settingsDir() + "Zeitplan.ini").find("Gestoppt="), std::string::npos);
}

// Nothing found is lost: a balloon waits for a notification area that is
// not up yet, and what a wake finds during a run shares the run's balloon.
TEST_F(ScheduleTest, NoBalloonIsLost) {
    writeIni("[Backup]\r\nMon=1\r\nDie=1\r\nP1A=1\r\nP1P=" + sourceFolder("Quelle") + "\r\nTAR1=E:\\\r\nZEI=01:00:00\r\n"
             "[Status]\r\nAktiv=2026-12-06 20:00:00\r\n");
    clock.set({2026, 12, 7, 8, 0, 0, 0});
    tray.shellUp = false;
    form.FormCreate(Ctl::frmBackup);
    const std::string missed = "Geplante Sicherung am Montag, 07.12.2026 um 01:00 Uhr nicht ausgeführt. "
                               "Jetzt sichern: \"Backup durchführen\".";
    tray.shellUp = true;
    form.TaskbarCreated();
    EXPECT_EQ(std::string(tray.icons.begin()->second.szInfo), missed);

    // Asleep during a run over a start; the run then misses a file.
    source(2, "C:\\Fehlt");
    shellFiles.afterShellCopy = [&, once = false]() mutable {
        if (std::exchange(once, true)) return;
        form.PowerBroadcast(4);
        clock.set({2026, 12, 8, 9, 0, 0, 0});
        form.PowerBroadcast(0x12);
    };
    form.miExecNowClick(Ctl::miExecNow);
    EXPECT_EQ(std::string(tray.icons.begin()->second.szInfo),
              "Sicherung unvollständig am 07.12.2026 08:00 auf Ziellaufwerk 1: Nicht jeder Pfad wurde gesichert. "
              "Einzelheiten im Protokoll. Geplante Sicherung am Dienstag, 08.12.2026 um 01:00 Uhr nicht ausgeführt. "
              "Jetzt sichern: \"Backup durchführen\".");
}

// While the last run is not complete, the next start shows what it reported.
TEST_F(ScheduleTest, TheNextStartShowsTheReportsTheBalloonPointsTo) {
    writeIni("[Backup]\r\nP1A=1\r\nP1P=C:\\Fehlt\r\nTAR1=E:\\\r\n");
    form.FormCreate(Ctl::frmBackup);
    form.miExecNowClick(Ctl::miExecNow);
    const std::vector<std::string> reported = logLines();
    ASSERT_EQ(reported.size(), 2u);
    for (const bool complete : {false, true}) {
        SCOPED_TRACE(complete);
        PosixWindow w;
        PosixTray t;
        w.onWait = window.onWait;
        TfrmBackup next{portsWith(w, t)};
        next.FormCreate(Ctl::frmBackup);
        EXPECT_EQ(w.text(Ctl::mmo1), complete ? "" : "Meldungen der letzten Sicherung vom 09.12.2026 01:00:\r\n" +
                                                         reported[0] + "\r\n" + reported[1] + "\r\n");
        sourceFolder("Fehlt");
        if (!complete) next.miExecNowClick(Ctl::miExecNow);
    }
    // Beyond the kept ones, a count.
    ASSERT_TRUE(profile->writeString(iniPath(), "Protokoll", "Anzahl", "52"));
    ASSERT_TRUE(profile->writeString(iniPath(), "Status", "Ergebnis", "unvollständig"));
    PosixWindow w;
    TfrmBackup next{portsWith(w, tray)};
    next.FormCreate(Ctl::frmBackup);
    EXPECT_NE(w.text(Ctl::mmo1).find("\r\n… und 2 weitere Meldungen\r\n"), std::string::npos);
}

}  // namespace
}  // namespace zb::test
