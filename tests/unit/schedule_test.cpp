// The minute tick over simulated days, the after-run actions and the two
// roads to a shutdown. Nothing here switches anything off: the power and
// volume calls go to recording stand-ins.
#include "run_fixture.h"

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
    // Ticks once a minute, at hh:mm:30, from `from` for `minutes` minutes.
    void tickEveryMinute(LocalDateTime from, int minutes) {
        clock.set(from);
        for (int i = 0; i < minutes; ++i) {
            VirtualClock c;
            c.set(from);
            c.advance(static_cast<std::uint32_t>(i) * 60000u);
            clock.set(c.now());
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
        {{2026, 12, 7, 12, 33, 59, 0}, "Aktiviert. Backup heute um 12:34 Uhr"},
        {{2026, 12, 7, 12, 35, 0, 0}, "Aktiviert. Für heute ist kein weiteres Backup vorgesehen..."},
        {{2026, 12, 8, 12, 33, 0, 0}, "Aktiviert"},
    };
    for (const auto& [when, status] : cases) {
        clock.set(when);
        form.TimerTimer(Ctl::Timer);
        EXPECT_EQ(window.text(Ctl::pnTitle), status);
    }
    EXPECT_TRUE(runStarts.empty());
    // The tick in the start minute shows the due text before it starts the run.
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
    tickEveryMinute({2026, 12, 7, 0, 0, 10, 0}, 2 * 24 * 60);
    ASSERT_EQ(runStarts.size(), 2u);
    EXPECT_EQ(runStarts[0].hour, 23);
}

TEST_F(ScheduleTest, AMissedStartMinuteIsNotCaughtUp) {
    tick(Ctl::cbMo);
    startAt(12, 34);
    clock.set({2026, 12, 7, 12, 33, 50, 0});
    form.TimerTimer(Ctl::Timer);
    clock.set({2026, 12, 7, 12, 35, 5, 0});  // asleep through 12:34, or enabled at 12:34:05
    form.TimerTimer(Ctl::Timer);
    tickEveryMinute({2026, 12, 7, 12, 36, 5, 0}, 11 * 60);
    EXPECT_TRUE(runStarts.empty());
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

}  // namespace
}  // namespace zb::test
