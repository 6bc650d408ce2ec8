#pragma once
// A missed start made up, and the computer woken for the next one: plain
// rules over the clock, carried out by the form.
#include <cstdint>
#include <optional>
#include <string>

#include "core/schedule_rules.h"

namespace zb {

// The event log's ids of a made-up run and of a refused wake timer.
inline constexpr std::uint32_t kEventCatchUp = 30, kEventWakeRefused = 31;

// NachholenNach: a whole number of minutes from 1 to 120; anything else is 10.
int catchUpDelayMinutes(const std::string& text);

// One made-up run waiting for its time.
struct CatchUp {
    LocalDateTime makesUp;  // the missed start it makes up
    LocalDateTime due;      // when it runs, on the local clock, for the user
    // When it runs, by the real clock: the tick count of the look that
    // planned it and the delay from there. The local clock may jump (summer
    // time, a clock set by hand); the delay must not.
    std::uint32_t plannedTick = 0;
    std::uint32_t delayMs = 0;
};

// A look at start-up or on waking, for a made-up run.
struct CatchUpLook {
    bool enabled = false;  // Nachholen=1 and the schedule active
    int delayMinutes = 10;
    const StartsFound* found = nullptr;  // what the look found
    std::optional<LocalDateTime> lastComplete;
    std::optional<CatchUp> pending;  // planned earlier and not run yet
    LocalDateTime now;
    std::uint32_t tick = 0;
};

// The made-up run after this look: none when the option is off or a start
// runs now; one that waits already stays the only one, its delay counted
// again from this look (after a wake the drives need their time as after a
// start); otherwise one for the newest missed start of the last 7 days that
// no complete run came after.
std::optional<CatchUp> planCatchUp(const CatchUpLook& look);

// Whether the made-up run starts at a tick at `tick`. The minute timer
// ticks a minute apart, so a tick at most half a minute before the time is
// nearer than the next one.
bool catchUpDue(const CatchUp& c, std::uint32_t tick);

// The moment to wake the computer for the next start, in UTC seconds: a
// minute before the first start of a ticked weekday whose wake still lies
// ahead of `now` and that is not settled already (run or told on a clock
// set back); none without a ticked weekday.
std::optional<std::int64_t> wakeMoment(const LocalDateTime& now, const std::array<bool, 7>& weekdays,
                                       TimeOfDay start, const UtcOffset& offset,
                                       const std::optional<LocalDateTime>& settled = std::nullopt);

}  // namespace zb
