// A generated adversary against the schedule's one function: random ticks,
// clocks and zones set both ways, summer time, sleep, restarts, stop and
// activate, runs of random length, catch-up on and off, while five
// invariants are watched. ZB_SCHEDULE_RUNS=10000 runs more sequences,
// ZB_SCHEDULE_SEED another set.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <climits>

#include "core/backup_state.h"
#include "core/calendar.h"
#include "core/schedule/schedule.h"

namespace zb {
namespace {

std::int32_t berlin(std::int64_t u) { return u >= 1806195600 && u < 1824944400 ? 120 : 60; }  // 2027

struct World {
    std::mt19937 rng;
    std::int64_t utc, set = 0;  // the true time, and how far the clock was set off it
    std::int32_t zone = 0;
    std::uint32_t tick = 1000;
    ScheduleFacts f;
    Schedule s;
    bool timerOn = true;
    std::optional<LocalDateTime> alive, lastRun, kept, keptSettled;
    RunKind run = RunKind::None;
    std::int64_t runEnds = 0;
    LocalDateTime runStart;
    std::int64_t runFor = 0, first = 0;
    std::map<std::int64_t, int> told;  // per start: runs and reports
    std::vector<std::int64_t> runsAt;   // a run of any kind serves the starts before it
    // More than a day ahead of a clock set back: a start may come again.
    std::int64_t forgetAbove = INT64_MAX;
    void forget() { forgetAbove = std::min(forgetAbove, localSec() + 86400); }
    std::vector<std::pair<std::int64_t, std::int64_t>> reached;  // local spans time passed through
    std::vector<std::pair<std::int64_t, std::int64_t>> wakes;    // (local now, wake) since the last run
    int madeUp = 0;
    std::string trail, violation;
    std::string at() const {
        const LocalDateTime t = fromSeconds(localSec());
        return std::to_string(t.day) + "." + std::to_string(t.month) + " " + std::to_string(t.hour) + ":" +
               std::to_string(t.minute);
    }

    int rand(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    std::int32_t offset(std::int64_t u) const { return berlin(u) + zone; }
    std::int64_t localSec() const { return utc + set + offset(utc + set) * 60; }
    void fail(const std::string& why) {
        if (violation.empty()) violation = why + " after:" + trail;
    }
    ScheduleFacts facts() {
        f.now = fromSeconds(localSec());
        f.tick = tick;
        f.offset = [this](std::int64_t u) { return offset(u); };
        f.timerOn = timerOn;
        f.lastRun = f.lastComplete = lastRun;
        return f;
    }
    bool wasReached(std::int64_t st) const {
        for (const auto& [a, b] : reached)
            if (a < st && st <= b) return true;
        return false;
    }
    ScheduleDecision ev(ScheduleEventKind k, std::optional<LocalDateTime> at = {}, bool user = false,
                        RunKind r = RunKind::None) {
        const ScheduleStep st = step(s, {k, at, user, r}, facts());
        s = st.next;
        if (st.decision.keep) keptSettled = st.decision.keep;
        const ScheduleDecision& d = st.decision;
        for (const LocalDateTime& t : d.found.every)
            if (++told[secondsOf(t)] > 1 && secondsOf(t) <= forgetAbove) fail("told twice " + std::to_string(secondsOf(t)));
        if (!d.found.every.empty()) alive = f.now;
        if (const auto w = nextWake(s, facts())) wakes.emplace_back(localSec(), *w);
        if (d.run) begin(RunKind::Scheduled, secondsOf(*d.run));
        else if (d.makeUp) begin(RunKind::MadeUp, 0);
        else if (d.post) ev(ScheduleEventKind::Tick);
        return d;
    }
    void begin(RunKind kind, std::int64_t st) {
        if (kind == RunKind::Scheduled) {
            const LocalDateTime t = fromSeconds(st);
            if (!f.weekdays[static_cast<std::size_t>(isoWeekday(t.year, t.month, t.day) - 1)]) fail("day not ticked");
            if (++told[st] > 1 && st <= forgetAbove) fail("run twice " + std::to_string(st));
            std::optional<std::int64_t> w;
            for (const auto& [now, at] : wakes)
                if (now < st - 60 && st <= localSec()) w = at;
            if (w && *w + 60 + offset(*w + 60) * 60 != st) fail("wake elsewhere " + std::to_string(st));
        }
        if (kind == RunKind::MadeUp && ++madeUp > 1) fail("second made-up run");
        wakes.clear();
        run = kind;
        runFor = st;
        runStart = fromSeconds(localSec());
        runsAt.push_back(localSec());
        runEnds = utc + (rand(0, 9) == 0 ? rand(600, 3 * 3600) : rand(5, 400));
        ev(ScheduleEventKind::RunStarted, {}, false, kind);
    }
    void endRun() {
        const RunKind kind = std::exchange(run, RunKind::None);
        lastRun = runStart;
        alive = fromSeconds(localSec());
        if (!ev(ScheduleEventKind::RunEnded).shutdown) return;
        if (kind != RunKind::Scheduled || !wasReached(runFor)) fail("shutdown not after a start reached");
        restart(true);
    }
    void advance(std::int64_t seconds, bool ends = true) {
        const std::int64_t a = localSec();
        utc += seconds;
        tick += static_cast<std::uint32_t>(seconds * 1000);
        if (localSec() > a) reached.emplace_back(a, localSec());
        if (ends && run != RunKind::None && utc >= runEnds) endRun();
    }
    void startUp() {
        s = Schedule{};
        ev(ScheduleEventKind::StartUp);
        ev(ScheduleEventKind::StopKept, kept);
        if (keptSettled && secondsOf(*keptSettled) <= localSec() + 86400) ev(ScheduleEventKind::SettledKept, keptSettled);
        else forget();
        timerOn = true;
        kept.reset();
        const auto before = alive;
        alive = fromSeconds(localSec());
        ev(ScheduleEventKind::Activate);
        wakes.clear();
        madeUp = 0;
        ev(ScheduleEventKind::Absence, before);
        ev(ScheduleEventKind::StartUpDone);
        alive = fromSeconds(localSec());
    }
    void restart(bool clean) {
        if (clean) ev(ScheduleEventKind::ProgramEnd), alive = fromSeconds(localSec());
        if (std::exchange(run, RunKind::None) != RunKind::None) lastRun = runStart;
        advance(rand(0, 40 * 60) * 60);
        startUp();
    }
    void act() {
        const int a = rand(0, 19);
        trail += " " + (std::getenv("ZB_SCHEDULE_TRACE") ? at() + "|" : std::string());
        if (a < 10) {
            const int late = rand(0, 19) == 0 ? rand(60, 420) : rand(0, 3);
            trail += "t" + std::to_string(60 + late);
            advance(60 + late);
            if (timerOn) ev(ScheduleEventKind::Tick);
        } else if (a < 12) {
            const int by = (rand(0, 1) ? 1 : -1) * rand(1, 30 * 60) * 60;
            trail += "c" + std::to_string(by);
            if (a == 10) set += by;
            else zone = rand(-3, 9) * 60;
            wakes.clear(), madeUp = 0;
            ev(ScheduleEventKind::ClockChanged);
            forget();
        } else if (a == 12) {
            trail += "sleep";
            ev(ScheduleEventKind::Suspend);
            alive = fromSeconds(localSec());
            advance(rand(1, 40 * 60) * 60, false);
            wakes.clear(), madeUp = 0;
            ev(ScheduleEventKind::Absence, alive);
            advance(0);
        } else if (a == 13) {
            trail += "restart";
            restart(rand(0, 1));
        } else if (a == 14 && timerOn) {
            trail += "stop";
            kept = fromSeconds(localSec());
            ev(ScheduleEventKind::Stop);
            timerOn = false;
        } else if (a == 15 && !timerOn) {
            trail += "on";
            timerOn = true;
            kept.reset();
            alive = fromSeconds(localSec());
            ev(ScheduleEventKind::Activate, {}, true);
        } else if (a == 16) {
            trail += "catchup";
            if (!(f.catchUpOn = !f.catchUpOn)) ev(ScheduleEventKind::CatchUpOff);
        } else if (a == 17 && run == RunKind::None) {
            trail += "menu";
            begin(RunKind::Other, 0);
        }
    }
};

TEST(ScheduleAdversary, NoSequenceBreaksTheFiveInvariants) {
    const auto env = [](const char* name, int def) {
        const char* v = std::getenv(name);
        return v ? std::atoi(v) : def;
    };
    const int runs = env("ZB_SCHEDULE_RUNS", 300), seed = env("ZB_SCHEDULE_SEED", 20261208);
    int violations = 0;
    for (int i = 0; i < runs; ++i) {
        World w{std::mt19937(static_cast<unsigned>(seed + i)), i % 2 ? 1805706000 : 1824454800};
        for (int d = 0; d < 7; ++d) w.f.weekdays[static_cast<std::size_t>(d)] = w.rand(0, 2) > 0;
        w.f.start = {w.rand(0, 1) ? 2 : w.rand(0, 23), w.rand(0, 59), 0};
        w.f.catchUpOn = w.rand(0, 1);
        w.f.catchUpDelay = w.rand(1, 15);
        w.f.shutdownOn = w.rand(0, 1);
        w.reached.emplace_back(w.localSec() - 3600, w.localSec());  // switched on after an hour off
        w.startUp();
        w.first = w.localSec();
        for (int n = w.rand(20, env("ZB_SCHEDULE_STEPS", 400)); n > 0; --n) w.act();
        if (!w.timerOn) w.timerOn = true, w.ev(ScheduleEventKind::Activate, {}, true);
        while (w.run != RunKind::None) w.advance(60), w.ev(ScheduleEventKind::Tick);
        for (int n = 0; n < 3; ++n) w.advance(60), w.ev(ScheduleEventKind::Tick);
        // Every start that the passing of time reached since the first start-up.
        for (std::int64_t day = w.first / 86400; day <= w.localSec() / 86400; ++day) {
            int y = 0, m = 0, dd = 0;
            civilFromDays(day, y, m, dd);
            // Around summer time the start in the gap moves with the zone of the moment.
            const bool change = berlin(day * 86400 - 86400) != berlin(day * 86400 + 86400);
            if (change || !w.f.weekdays[static_cast<std::size_t>(isoWeekday(y, m, dd) - 1)]) continue;
            const std::int64_t st = secondsOf(startOn(day, w.f.start, w.f.offset));
            const bool served = std::any_of(w.runsAt.begin(), w.runsAt.end(),
                                            [st](std::int64_t r) { return r >= st && r <= st + 86400; });
            if (st >= w.first && st < w.localSec() - 600 && w.wasReached(st) && w.told[st] != 1 && !served &&
                st <= w.forgetAbove)
                w.fail("start " + std::to_string(st) + " told " + std::to_string(w.told[st]) + " times");
        }
        if (!w.violation.empty() && ++violations <= 3) ADD_FAILURE() << "seed " << seed + i << ": " << w.violation;
    }
    EXPECT_EQ(violations, 0) << "of " << runs;
}

}  // namespace
}  // namespace zb
