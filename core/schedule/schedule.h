#pragma once
// The whole state of the schedule as one value, and the one function that
// takes it through each event. The form tells what happened and carries out
// what comes back: a run, a made-up run, reports, a shutdown, the wake timer.
//
// One rule for clocks: the tick count says how much time passed, the local
// clock which start minutes that time covered. A start minute that a change
// of the clock or the time zone jumped over was not reached: it is told as
// missed and made up when that is wanted, never followed by a shutdown.
#include <cstdint>
#include <optional>

#include "core/catchup_rules.h"
#include "core/schedule_rules.h"

namespace zb {

// Who started the run in progress.
enum class RunKind { None, Scheduled, MadeUp, Other };

struct Schedule {
    // The previous look, by the local and by the real clock; none after the
    // computer went to sleep or before the timer first ran.
    std::optional<LocalDateTime> lookFrom;
    std::uint32_t lookTick = 0;
    // The newest start that was run or told as missed.
    std::optional<LocalDateTime> settled;
    // Since when start-up is held by its boxes, until its look is done.
    std::optional<LocalDateTime> heldFrom;
    std::uint32_t heldTick = 0;
    // Since when the timer is stopped; kept across a restart.
    std::optional<LocalDateTime> stoppedAt;
    std::optional<CatchUp> catchUp;
    RunKind running = RunKind::None;
    // A start reached while a run went on, or at start-up or wake: it runs
    // from the message loop once the program is free.
    std::optional<LocalDateTime> queued;
    // Starts missed while a run went on, told after it.
    StartsFound later;
    // What the program's own file holds of `settled`: a start that waits is
    // not kept as done, lest a process killed meanwhile lose it.
    std::optional<LocalDateTime> kept;
};

enum class ScheduleEventKind {
    Tick,          // the minute timer (also a tick posted from the message loop)
    ClockChanged,  // WM_TIMECHANGE: the clock or the time zone was set
    Suspend,       // the computer goes to sleep
    StartUp,       // the program begins: its boxes may hold it from here
    StopKept,      // `at`: the stop the previous start of the program left
    SettledKept,   // `at`: the newest start it ran or told
    Absence,       // after start-up or wake: `at` the last mark of life
    StartUpDone,
    Activate,      // the timer runs (again); `byUser` from the button
    Stop,          // "Timer stoppen"
    RunStarted,    // `run` says who started it
    RunEnded,
    CatchUpOff,    // the option was switched off
    ProgramEnd,    // the program ends: what waits is lost unless told now
};

struct ScheduleEvent {
    ScheduleEventKind kind;
    std::optional<LocalDateTime> at;
    bool byUser = false;
    RunKind run = RunKind::None;
};

// What the form reads at the moment of the event.
struct ScheduleFacts {
    LocalDateTime now;
    std::uint32_t tick = 0;
    std::array<bool, 7> weekdays{};
    TimeOfDay start;
    UtcOffset offset;
    bool timerOn = false;
    bool catchUpOn = false;  // Nachholen=1
    int catchUpDelay = 10;
    bool shutdownOn = false;  // cbSD, read when a run has ended
    // From the settings file: the start of the last run and of the last
    // complete one, if they can be trusted.
    std::optional<LocalDateTime> lastRun, lastComplete;
};

struct ScheduleDecision {
    StartsFound found;                  // starts to tell as missed
    std::optional<LocalDateTime> run;   // the start to run now
    bool post = false;                  // a start waits: tick again from the message loop
    std::optional<CatchUp> announce;    // a made-up run newly planned
    bool makeUp = false;                // the made-up run is due now
    bool shutdown = false;              // after the run that ended
    std::optional<LocalDateTime> keep;  // to write into the program's own file
};

struct ScheduleStep {
    Schedule next;
    ScheduleDecision decision;
};

ScheduleStep step(const Schedule& s, const ScheduleEvent& e, const ScheduleFacts& f);

// The moment to wake the computer for the next start that will run, in UTC
// seconds; none while the timer is off.
std::optional<std::int64_t> nextWake(const Schedule& s, const ScheduleFacts& f);

// A clock that moved by more than this against the tick count was set.
inline constexpr std::int64_t kClockSetSeconds = 60;

}  // namespace zb
