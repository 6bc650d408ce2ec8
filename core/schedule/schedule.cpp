#include "core/schedule/schedule.h"

#include <cstdlib>
#include <utility>

#include "core/backup_state.h"

namespace zb {

namespace {

constexpr std::int64_t kDay = 86400;

// The UTC moments a local time can stand for: one, two in the hour set back,
// none in the hour skipped (then the one the offset of that moment gives).
std::vector<std::int64_t> utcOf(std::int64_t local, const UtcOffset& offset) {
    std::vector<std::int64_t> out;
    for (const std::int64_t o : {offset(local - kDay), offset(local + kDay)}) {
        const std::int64_t u = local - o * 60;
        if (offset(u) == o && (out.empty() || out.front() != u)) out.push_back(u);
    }
    if (out.empty()) out.push_back(local - offset(local) * 60LL);
    return out;
}

// How far the local clock moved beyond the time that passed, in seconds,
// whichever way the hour set back is read.
std::int64_t clockSet(std::int64_t from, std::int64_t to, std::int64_t passed, const UtcOffset& offset) {
    std::int64_t best = INT64_MAX;
    for (const std::int64_t a : utcOf(from, offset))
        for (const std::int64_t b : utcOf(to, offset)) {
            const std::int64_t d = b - a - passed;
            if (best == INT64_MAX || std::llabs(d) < std::llabs(best)) best = d;
        }
    return best;
}

void settle(Schedule& n, const LocalDateTime& t) {
    if (!n.settled || secondsOf(t) > secondsOf(*n.settled)) n.settled = t;
}

void settle(Schedule& n, const StartsFound& found) {
    if (!found.lastMissed.empty()) settle(n, found.lastMissed.back());
}

// The newest start run or told: this value's, or the last run's from the
// settings file, which a run that began in the future (damage, or a clock
// set back since) does not count as.
std::optional<LocalDateTime> settledBy(const Schedule& s, const ScheduleFacts& f) {
    std::optional<LocalDateTime> ran = f.lastRun;
    if (ran && secondsOf(*ran) > secondsOf(f.now)) ran.reset();
    if (!s.settled || (ran && secondsOf(*ran) > secondsOf(*s.settled))) return ran;
    return s.settled;
}

// A clock set back by more than a day: what it had settled beyond that is
// let go, or a clock once set to a wrong year would hold back every start.
void forgetAhead(Schedule& n, const ScheduleFacts& f) {
    if (n.settled && secondsOf(*n.settled) > secondsOf(f.now) + kDay) n.settled = fromSeconds(secondsOf(f.now) + kDay);
}

StartsFound look(const Schedule& s, const ScheduleFacts& f, const LocalDateTime& previous, const LocalDateTime& to,
                 bool recent) {
    ScheduleLook l{previous, recent, to, settledBy(s, f), f.weekdays, f.start};
    l.heldFrom = s.heldFrom;
    l.heldRecent = s.heldFrom && f.tick - s.heldTick <= kLateTickMs;
    l.stoppedAt = s.stoppedAt;
    return lookAtSchedule(l, f.offset);
}

// The look of a tick: from the previous look to now as far as the time that
// passed covers it; what a clock set forward jumped over is missed.
StartsFound tickLook(Schedule& n, const ScheduleFacts& f, bool& jumped) {
    jumped = false;
    const LocalDateTime from = n.lookFrom.value_or(f.now);
    const std::uint32_t elapsed = n.lookFrom ? f.tick - n.lookTick : 0;
    const bool recent = n.lookFrom && elapsed <= kLateTickMs;
    n.lookFrom = f.now;
    n.lookTick = f.tick;
    const std::int64_t passed = elapsed / 1000;
    const std::int64_t set = clockSet(secondsOf(from), secondsOf(f.now), passed, f.offset);
    if (std::llabs(set) <= kClockSetSeconds) return look(n, f, from, f.now, recent);
    const LocalDateTime reached = fromSeconds(secondsOf(from) + passed);
    StartsFound found = look(n, f, from, reached, recent);
    if (found.runNow) settle(n, *found.runNow);
    settle(n, found);
    // Set back: the time seen again holds nothing that is not settled, up to a day.
    if (set < 0) {
        forgetAhead(n, f);
        return found;
    }
    StartsFound skipped = look(n, f, reached, f.now, false);
    if (skipped.runNow) addMissed(skipped, *skipped.runNow, MissedWhy::ClockSet);
    skipped.runNow.reset();
    for (MissedWhy& w : skipped.why) w = MissedWhy::ClockSet;
    skipped.firstWhy = MissedWhy::ClockSet;
    jumped = skipped.missed > 0;
    addFound(found, skipped);
    return found;
}

std::optional<CatchUp> plan(const Schedule& n, const ScheduleFacts& f, const StartsFound& found,
                            const std::optional<CatchUp>& pending) {
    CatchUpLook l;
    l.enabled = f.catchUpOn && f.timerOn && n.running == RunKind::None;
    l.delayMinutes = f.catchUpDelay;
    l.found = &found;
    l.lastComplete = f.lastComplete;
    l.pending = pending;
    l.now = f.now;
    l.tick = f.tick;
    return planCatchUp(l);
}

void tick(Schedule& n, ScheduleDecision& d, const ScheduleFacts& f) {
    if (n.running != RunKind::None) {
        // A start reached during a run waits for its end; one missed is
        // told after it, away from the run's own reports.
        bool jumped = false;
        StartsFound found = tickLook(n, f, jumped);
        settle(n, found);
        if (found.runNow) settle(n, *found.runNow), n.queued = found.runNow;
        found.runNow.reset();
        addFound(n.later, found);
        return;
    }
    if (n.queued) {
        d.run = n.queued;
        n.queued.reset();
        return;
    }
    // Without word of a change (a tick may come first) the tick measures it.
    bool jumped = false;
    d.found = tickLook(n, f, jumped);
    settle(n, d.found);
    if (d.found.runNow) {
        d.run = d.found.runNow;
        settle(n, *d.run);
        d.found.runNow.reset();
        return;
    }
    // A waiting made-up run keeps its time: the clock may jump again.
    if (jumped && !n.catchUp) {
        n.catchUp = plan(n, f, d.found, std::nullopt);
        d.announce = n.catchUp;
    }
    d.makeUp = n.catchUp && catchUpDue(*n.catchUp, f.tick);
}

void absence(Schedule& n, ScheduleDecision& d, const ScheduleFacts& f, const std::optional<LocalDateTime>& alive) {
    // Without a mark of life (the first start of this version) only this
    // minute is known; one before 2000 is damage, one in the future a clock
    // set back.
    const bool known = alive && alive->year >= 2000 && secondsOf(*alive) <= secondsOf(f.now);
    LocalDateTime from = known ? *alive : f.now;
    // While the timer was stopped no tick looked: from the stop on, starts
    // are told as passed while it was (a run meanwhile marked the program
    // alive after them).
    if (n.stoppedAt && secondsOf(*n.stoppedAt) < secondsOf(from)) from = *n.stoppedAt;
    d.found = look(n, f, from, f.now, false);
    n.lookFrom = f.now;
    n.lookTick = f.tick;
    n.heldFrom.reset();
    settle(n, d.found);
    if (d.found.runNow && f.timerOn) {
        // Run from the message loop: the window can show the run only once
        // start-up or wake is over.
        settle(n, *d.found.runNow);
        n.queued = d.found.runNow;
        d.post = n.running == RunKind::None;
    }
    // One already waiting stays the only one, its delay counted again from
    // here: after a wake the drives need their time as after a start.
    n.catchUp = plan(n, f, d.found, n.catchUp);
    d.found.runNow.reset();
    d.announce = n.catchUp;
}

}  // namespace

ScheduleStep step(const Schedule& s, const ScheduleEvent& e, const ScheduleFacts& f) {
    ScheduleStep out{s, {}};
    Schedule& n = out.next;
    ScheduleDecision& d = out.decision;
    switch (e.kind) {
        case ScheduleEventKind::Tick: tick(n, d, f); break;
        case ScheduleEventKind::ClockChanged:
            // Looked at right away, the time before the change is known by
            // the tick count: what it reached runs from the message loop.
            if (f.timerOn) tick(n, d, f);
            else forgetAhead(n, f);  // stopped: no start runs, the activation looks from the stop
            if (d.run) n.queued = d.run, d.post = true;
            d.run.reset();
            d.makeUp = false;
            break;
        case ScheduleEventKind::Suspend:
            // What passes while the computer sleeps is missed, not late.
            n.lookFrom.reset();
            break;
        case ScheduleEventKind::StartUp:
            // Boxes may hold the start-up past a start minute from here on.
            n.heldFrom = f.now;
            n.heldTick = f.tick;
            break;
        case ScheduleEventKind::StopKept: n.stoppedAt = e.at; break;
        case ScheduleEventKind::SettledKept:
            if (e.at) settle(n, *e.at);
            n.kept = n.settled;
            break;
        case ScheduleEventKind::Absence: absence(n, d, f, e.at); break;
        case ScheduleEventKind::StartUpDone:
            if (f.timerOn) n.stoppedAt.reset();
            break;
        case ScheduleEventKind::Activate:
            // Starts are counted as missed only under the schedule in force:
            // the one saved now begins here.
            n.lookFrom = f.now;
            n.lookTick = f.tick;
            if (!e.byUser) break;
            // The starts passed while the timer was stopped are told as such.
            if (s.stoppedAt) {
                d.found = look(n, f, *s.stoppedAt, f.now, false);
                d.found.runNow.reset();
                settle(n, d.found);
            }
            n.stoppedAt.reset();
            break;
        case ScheduleEventKind::Stop:
            if (f.timerOn) n.stoppedAt = f.now;
            n.catchUp.reset();
            // A start that waited for the run in progress is not run now.
            if (n.queued) addMissed(d.found, *n.queued, MissedWhy::Stopped);
            n.queued.reset();
            break;
        case ScheduleEventKind::RunStarted:
            n.running = e.run;
            n.catchUp.reset();  // a run of any kind replaces the made-up one
            break;
        case ScheduleEventKind::RunEnded:
            n.running = RunKind::None;
            d.found = std::exchange(n.later, {});
            d.post = n.queued.has_value();
            // Made up after a start-up or a wake, the run would switch off a
            // computer that someone has just begun to use; with a start
            // waiting, the shutdown follows that one.
            d.shutdown = f.shutdownOn && s.running == RunKind::Scheduled && !n.queued;
            break;
        case ScheduleEventKind::CatchUpOff: n.catchUp.reset(); break;
        case ScheduleEventKind::ProgramEnd:
            // The next start looks from the mark of life written now.
            d.found = std::exchange(n.later, {});
            if (n.queued) addMissed(d.found, *n.queued, MissedWhy::Off);
            n.queued.reset();
            break;
    }
    const auto same = [](const std::optional<LocalDateTime>& a, const std::optional<LocalDateTime>& b) {
        return a.has_value() == b.has_value() && (!a || secondsOf(*a) == secondsOf(*b));
    };
    if (!n.queued && n.later.missed == 0 && n.settled && !same(n.settled, n.kept)) d.keep = n.kept = n.settled;
    return out;
}

std::optional<std::int64_t> nextWake(const Schedule& s, const ScheduleFacts& f) {
    if (!f.timerOn) return std::nullopt;
    return wakeMoment(f.now, f.weekdays, f.start, f.offset, settledBy(s, f));
}

}  // namespace zb
