#pragma once
// When a scheduled start is due, missed or settled, on the local clock with
// its summer time; and the one summary of what a start-up or a wake found.
// Plain rules over times: the form carries them out.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace zb {

// Minutes local time is ahead of UTC at a UTC moment (seconds since 1970).
using UtcOffset = std::function<std::int32_t(std::int64_t)>;

// The start of the local day `day` (days since 1970) at `start`: that minute,
// or, when the change to summer time skips it, the first minute after the gap.
LocalDateTime startOn(std::int64_t day, TimeOfDay start, const UtcOffset& offset);

// A tick that comes at most this late still starts the run.
inline constexpr std::uint32_t kLateTickMs = 5 * 60 * 1000;
// Missed starts reported one by one; older ones are summed up in one line.
inline constexpr std::size_t kMissedShown = 7;

// One look at the schedule: at a tick, or after the program or the computer
// was away.
struct ScheduleLook {
    // The previous look: every start whose minute had ended by then is settled.
    LocalDateTime previous;
    // The previous look is at most kLateTickMs ago by the real clock, so a
    // start minute between it and now was passed over, not slept through.
    bool previousRecent = false;
    LocalDateTime now;
    // The newest start that a run began at or after, or that was reported.
    std::optional<LocalDateTime> settled;
    std::array<bool, 7> weekdays{};
    TimeOfDay start;
    // Since when the program was up but held by a box of its start-up, and
    // whether that is at most kLateTickMs ago: a start minute not over by
    // then is run late, or told as passed while the box was open.
    std::optional<LocalDateTime> heldFrom;
    bool heldRecent = false;
    // Since when the timer was stopped.
    std::optional<LocalDateTime> stoppedAt;
};

// Why a start was missed.
enum class MissedWhy { Off, Stopped, Held, ClockSet };

struct StartsFound {
    int missed = 0;
    LocalDateTime firstMissed;
    MissedWhy firstWhy = MissedWhy::Off;
    std::vector<LocalDateTime> lastMissed;  // the newest, at most kMissedShown, oldest first
    std::vector<MissedWhy> why;             // of each of lastMissed
    std::optional<LocalDateTime> runNow;    // the start to run now
    std::vector<LocalDateTime> every;       // every missed start, oldest first
};

// Tells `t` as missed for `why`, after the ones `found` holds.
void addMissed(StartsFound& found, const LocalDateTime& t, MissedWhy why);
// `later` after `found`: the starts of a look that went on from there.
void addFound(StartsFound& found, const StartsFound& later);

// The starts of ticked weekdays not yet settled whose minute began by now:
// the newest runs when its minute is not over or the previous look is
// recent; every other one was missed.
StartsFound lookAtSchedule(const ScheduleLook& look, const UtcOffset& offset);

// Whole days from `since` to `now`.
int daysBetween(const LocalDateTime& since, const LocalDateTime& now);

// What a start-up or a wake found, for one balloon and the tooltip.
// News that needs nothing of the user is the lightest.
enum class Gravity { News = 0, DaysWithoutComplete = 1, MissedStarts, LastRunNotComplete, ScheduleOff };
struct Finding {
    Gravity gravity;
    std::string text;   // the whole report
    std::string brief;  // a few words, when the whole reports do not fit together
};

// Every finding, the gravest first, within `limit` bytes: whole reports as
// far as they fit, the lighter ones in brief.
std::string summary(std::vector<Finding> findings, std::size_t limit);

}  // namespace zb
