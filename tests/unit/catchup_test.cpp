// A run keeps the computer awake, a missed start is made up once, the
// computer is woken for the next start, and the tray menu's options. Nothing
// sleeps or wakes here: the calls go to a recording stand-in.
#include "run_fixture.h"
#include "core/catchup_rules.h"

namespace zb::test {
namespace {

LocalDateTime at(int d, int h, int m, int s = 0) { return {2026, 12, d, h, m, s, 0}; }
std::int64_t utc(const LocalDateTime& t) { return secondsOf(t); }

// Central European time: summer time from 28 March to 31 October 2027, at 01:00 UTC.
std::int32_t berlin(std::int64_t u) {
    const bool summer = u >= utc({2027, 3, 28, 1, 0, 0, 0}) && u < utc({2027, 10, 31, 1, 0, 0, 0});
    return summer ? 120 : 60;
}

TEST(CatchUpRules, TheDelayIsAWholeNumberOfMinutesFrom1To120) {
    const std::pair<const char*, int> cases[] = {{"", 10}, {"1", 1}, {"120", 120}, {"007", 7}, {"0", 10},
                                                 {"121", 10}, {"-5", 10}, {" 5", 10}, {"5 Minuten", 10}};
    for (const auto& [text, minutes] : cases) EXPECT_EQ(catchUpDelayMinutes(text), minutes) << text;
}

TEST(CatchUpRules, WhatALookAfterStartUpOrWakePlans) {
    // The last of 7 days before the 8th, 08:00, more than 7 days before, and one due now.
    const StartsFound yesterday{1, {}, MissedWhy::Off, {at(6, 1, 0)}, {MissedWhy::Off}},
        lastWeek{1, {}, MissedWhy::Off, {at(1, 1, 0)}, {MissedWhy::Off}},
        dueNow{1, {}, MissedWhy::Off, {at(6, 1, 0)}, {MissedWhy::Off}, at(8, 8, 0)},
        // The newest passed while the timer was stopped: the one before is made up.
        stopped{2, {}, MissedWhy::Off, {at(6, 1, 0), at(7, 1, 0)}, {MissedWhy::Off, MissedWhy::Stopped}},
        onlyStopped{1, {}, MissedWhy::Stopped, {at(7, 1, 0)}, {MissedWhy::Stopped}};
    struct {
        bool enabled;
        const StartsFound* found;
        std::optional<LocalDateTime> lastComplete, pending, makesUp;
    } cases[] = {
        {true, &yesterday, std::nullopt, std::nullopt, at(6, 1, 0)},
        {false, &yesterday, std::nullopt, std::nullopt, std::nullopt},
        {true, &lastWeek, std::nullopt, std::nullopt, std::nullopt},
        {true, &yesterday, at(6, 1, 0), std::nullopt, std::nullopt},  // a complete run at it or later
        {true, &yesterday, at(5, 1, 0), std::nullopt, at(6, 1, 0)},
        {true, &dueNow, std::nullopt, at(5, 1, 0), std::nullopt},  // the start due now replaces it
        {true, &yesterday, std::nullopt, at(5, 1, 0), at(5, 1, 0)},  // never a second one
        {true, &lastWeek, std::nullopt, at(5, 1, 0), at(5, 1, 0)},
        {true, &stopped, std::nullopt, std::nullopt, at(6, 1, 0)},
        {true, &onlyStopped, std::nullopt, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        std::optional<CatchUp> pending;
        if (c.pending) pending = CatchUp{*c.pending, at(7, 9, 0), 0, 600000};
        const auto plan = planCatchUp({c.enabled, 10, c.found, c.lastComplete, pending, at(8, 8, 0), 5000});
        ASSERT_EQ(plan.has_value(), c.makesUp.has_value()) << int(&c - cases);
        if (!plan) continue;
        // The delay counts from this look, also for one that waited already.
        EXPECT_TRUE(plan->makesUp == *c.makesUp && plan->due == at(8, 8, 10) && plan->plannedTick == 5000u &&
                    plan->delayMs == 600000u);
    }
}

TEST(CatchUpRules, TheMadeUpRunStartsAtTheTickNearestToItsTimeByTheRealClock) {
    const CatchUp c{at(6, 1, 0), at(8, 8, 10), 0xFFFF0000u, 600000};  // the counter wraps meanwhile
    EXPECT_TRUE(!catchUpDue(c, 0xFFFF0000u + 569999u) && catchUpDue(c, 0xFFFF0000u + 570000u));
}

TEST(CatchUpRules, TheWakeComesAMinuteBeforeTheNextStart) {
    const std::array<bool, 7> daily{true, true, true, true, true, true, true}, mondays{true};
    const auto zoneless = [](std::int64_t) { return 0; };
    const auto wake = [&](const LocalDateTime& now, const std::array<bool, 7>& days) {
        return wakeMoment(now, days, {1, 0, 0}, zoneless);
    };
    // Inside the start's own wake minute it is too late for it.
    EXPECT_TRUE(wake(at(7, 10, 0), daily) == utc(at(8, 0, 59)) && wake(at(7, 0, 30), daily) == utc(at(7, 0, 59)) &&
                wake(at(7, 0, 59, 30), daily) == utc(at(8, 0, 59)) && wake(at(7, 10, 0), mondays) == utc(at(14, 0, 59)) &&
                !wake(at(7, 10, 0), {}));
    // Summer time: 01:00 local is 23:00 UTC; 02:30 on the day of the change
    // does not exist and starts at 03:00, 01:00 UTC.
    EXPECT_EQ(wakeMoment({2027, 7, 1, 12, 0, 0, 0}, daily, {1, 0, 0}, berlin), utc({2027, 7, 1, 22, 59, 0, 0}));
    EXPECT_EQ(wakeMoment({2027, 3, 27, 12, 0, 0, 0}, daily, {2, 30, 0}, berlin), utc({2027, 3, 28, 0, 59, 0, 0}));
    EXPECT_EQ(wakeMoment({2027, 12, 1, 12, 0, 0, 0}, daily, {1, 0, 0}, berlin), utc({2027, 12, 1, 23, 59, 0, 0}));
}

class CatchUpTest : public RunTest {
protected:
    CatchUpTest() { drive('E'); }
    // A schedule of every day at 01:00; the program last ran on Sunday at
    // 00:30 and starts on Monday at 08:00: Sunday's and Monday's starts were missed.
    void startUp(const std::string& options) {
        writeIni("[Backup]\r\nMon=1\r\nDie=1\r\nMit=1\r\nDon=1\r\nFre=1\r\nSam=1\r\nSon=1\r\nP1A=1\r\nP1P=" +
                 sourceFolder("Quelle") + "\r\nTAR1=E:\\\r\nZEI=01:00:00\r\n" + options +
                 "[Status]\r\nAktiv=2026-12-06 00:30:00\r\n");
        clock.set(at(7, 8, 0));
        form.FormCreate(Ctl::frmBackup);
    }
    // The minute timer's ticks for `minutes` minutes; the runs they started.
    int tickFor(int minutes) {
        int runs = 0;
        window.onSetText = [&](Ctl c, const std::string& s) { runs += c == Ctl::pnTitle && s == txt::StatusRunning; };
        for (int i = 0; i < minutes; ++i) {
            clock.advance(60000);
            form.TimerTimer(Ctl::Timer);
        }
        window.onSetText = nullptr;
        return runs;
    }
    // Asleep from now until `wake`, a real `hours` later.
    void sleepUntil(const LocalDateTime& wake, std::uint32_t hours) {
        form.PowerBroadcast(4);
        clock.set(wake);
        clock.setTick(clock.tickCount() + hours * 3600000u);
        form.PowerBroadcast(0x12);
    }
    int logHas(const std::string& line) {
        const auto lines = logLines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }
};

TEST_F(CatchUpTest, TheRunKeepsTheComputerAwakeAndReleasesItOnEveryRoad) {
    target(1, "E:\\");
    source(1, sourceFolder("Quelle"));
    run();
    window.onProcessMessages = [] { throw EZelkorError("ein Fehler, der die Sicherung beendet"); };
    EXPECT_THROW(run(), EZelkorError);
    EXPECT_EQ(sleep.calls, (std::vector<std::string>{"awake on", "awake off", "awake on", "awake off"}));
    // The end of the session in the middle of the run: released at once.
    sleep.calls.clear();
    window.onProcessMessages = [&] {
        if (form.endSessionPending()) return;
        ASSERT_TRUE(form.WMQueryEndSession());
        form.WMEndSession(true);
        EXPECT_FALSE(sleep.awake);
    };
    run();
    EXPECT_EQ(sleep.calls.front(), "awake on");
    EXPECT_FALSE(sleep.awake);
}

TEST_F(CatchUpTest, AMissedStartIsMadeUpOnceAfterTheDelayAndNeverShutsDown) {
    startUp("Nachholen=1\r\nNachholenNach=2\r\nSHU=1\r\n");
    const std::string planned = "Die Sicherung von Montag, 07.12.2026, 01:00 Uhr wurde verpasst. Sie wird am "
                                "07.12.2026 08:02 Uhr nachgeholt";
    EXPECT_TRUE(logHas(planned + ": 07.12.2026"));
    EXPECT_EQ(eventLog.events.back(), (PosixEventLog::Event{EventType::Information, 30, planned}));
    EXPECT_EQ(std::string(tray.calls.back().data.szInfo),
              "2 geplante Sicherungen nicht ausgeführt, zuletzt am Montag, 07.12.2026 um 01:00 Uhr. Die Sicherung "
              "von Montag, 07.12.2026, 01:00 Uhr wurde verpasst. Sie wird heute um 08:02 Uhr nachgeholt.");
    EXPECT_EQ(tickFor(1), 0);
    EXPECT_EQ(tickFor(1), 1);
    EXPECT_TRUE(logHas("Verpasste Sicherung vom Montag, 07.12.2026 um 01:00 Uhr wird jetzt nachgeholt: 07.12.2026"));
    EXPECT_TRUE(logHas("Nachgeholte Sicherung beendet: Der PC wird danach nicht heruntergefahren: 07.12.2026"));
    EXPECT_EQ(window.text(Ctl::pnTitle), "Backup abgeschlossen.");
    EXPECT_TRUE(power.calls.empty() && !form.backupRunning() && std::filesystem::exists(host("E:\\1\\P1\\a.txt")));
    EXPECT_EQ(tickFor(60), 0);
}

// A start that comes while a made-up run goes on follows it, with its own
// shutdown.
TEST_F(CatchUpTest, AStartDuringAMadeUpRunRunsAfterItAndShutsDown) {
    startUp("Nachholen=1\r\nNachholenNach=2\r\nSHU=1\r\n");
    window.setTime(Ctl::dtpTarget, {8, 3, 0});
    window.onProcessMessages = [&, minutes = 0]() mutable {
        if (++minutes > 3) return;
        clock.advance(60000);
        form.TimerTimer(Ctl::Timer);
    };
    EXPECT_EQ(tickFor(2), 1);
    EXPECT_TRUE(power.calls.empty());
    ASSERT_EQ(window.postedTicks, 1);
    window.onProcessMessages = nullptr;
    form.TimerTimer(Ctl::Timer);
    EXPECT_EQ(window.text(Ctl::pnTitle), "Backup abgeschlossen... PC wird heruntergefahren");
    EXPECT_EQ(power.calls.back(), "ExitWindowsEx 12 0");
}

TEST_F(CatchUpTest, StoppedReplacedOrFoundAgainThereIsNeverASecondOne) {
    startUp("Nachholen=1\r\n");
    ASSERT_TRUE(form.pendingCatchUp());
    // Asleep from 08:05 over Tuesday's start: the wake keeps the one made-up
    // run, for Monday's start, and counts its delay again.
    clock.advance(5 * 60000);
    sleepUntil(at(8, 9, 0), 25);
    ASSERT_TRUE(form.pendingCatchUp());
    EXPECT_TRUE(form.pendingCatchUp()->makesUp == at(7, 1, 0) && form.pendingCatchUp()->due == at(8, 9, 10));
    EXPECT_EQ(tickFor(9), 0);
    // A run meanwhile replaces it.
    form.Click(Ctl::miExecNow);
    EXPECT_FALSE(form.pendingCatchUp());
    EXPECT_EQ(tickFor(30), 0);
    // "Timer stoppen" cancels it.
    sleepUntil(at(10, 9, 0), 48);
    ASSERT_TRUE(form.pendingCatchUp());
    form.Click(Ctl::btnStopTimer);
    EXPECT_FALSE(form.pendingCatchUp());
    // Switched off in the menu: none planned.
    form.Click(Ctl::btnActive);
    form.Click(Ctl::miCatchUp);
    EXPECT_NE(iniText().find("Nachholen=0\r\n"), std::string::npos);
    sleepUntil(at(12, 9, 0), 48);
    EXPECT_FALSE(form.pendingCatchUp());
}

// The options of the tray menu show the file's values and write theirs at once.
TEST_F(CatchUpTest, TheWakeTimerFollowsTheScheduleAndARefusalIsToldOnce) {
    sleep.wakeAnswer = WakeTimer::PlanRefuses;
    startUp("NurAenderungen=1\r\n");
    form.WMTrayNotify(0, WM_RBUTTONDOWN_);
    EXPECT_TRUE(window.checked(Ctl::miOnlyChanges) && !window.checked(Ctl::miWake) && sleep.calls.empty());
    form.Click(Ctl::miOnlyChanges);
    form.Click(Ctl::miWake);
    EXPECT_TRUE(!window.checked(Ctl::miOnlyChanges) && window.checked(Ctl::miWake));
    EXPECT_NE(iniText().find("NurAenderungen=0\r\n"), std::string::npos);
    EXPECT_NE(iniText().find("Wecken=1\r\n[Status]"), std::string::npos) << iniText();
    EXPECT_EQ(sleep.calls, std::vector<std::string>{"wake 2026-12-08 00:59:00"});
    const std::string refused = "Computer kann zur Sicherung nicht geweckt werden: Windows lässt keine Zeitgeber zur "
                                "Aktivierung zu (Energieoptionen): 07.12.2026";
    EXPECT_TRUE(logHas(refused));
    // Renewed after a run, after a wake and when the zone changes; told once.
    form.Click(Ctl::miExecNow);
    clock.zone = [](std::int64_t) { return 60; };
    form.TimeChanged();
    form.PowerBroadcast(0x12);
    EXPECT_EQ(logHas(refused), 1);
    EXPECT_EQ(sleep.calls.back(), "wake 2026-12-07 23:59:00");
    form.Click(Ctl::btnStopTimer);
    EXPECT_TRUE(sleep.calls.back() == "wake cancel" && !sleep.wakeAt);
    form.Click(Ctl::btnActive);
    EXPECT_TRUE(sleep.wakeAt);
    form.Click(Ctl::miWake);
    EXPECT_FALSE(sleep.wakeAt);
    form.Click(Ctl::miWake);
    // The program ends: no wake for a program that is not there.
    window.answers = {MsgResult::Yes};
    form.Close();
    EXPECT_FALSE(sleep.wakeAt);
}

}  // namespace
}  // namespace zb::test
