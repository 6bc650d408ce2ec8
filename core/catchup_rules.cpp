#include "core/catchup_rules.h"

#include <climits>

#include "core/backup_state.h"
#include "core/calendar.h"

namespace zb {

namespace {

constexpr std::int64_t kDay = 86400;
constexpr int kDefaultDelay = 10, kLongestDelay = 120;
constexpr std::uint32_t kHalfTick = 30 * 1000;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b < 0 ? 1 : 0); }

}  // namespace

int catchUpDelayMinutes(const std::string& text) {
    const auto minutes = trustedCount(text, kLongestDelay);
    return minutes && *minutes >= 1 ? *minutes : kDefaultDelay;
}

std::optional<CatchUp> planCatchUp(const CatchUpLook& look) {
    if (!look.enabled || (look.found && look.found->runNow)) return std::nullopt;
    const auto planned = [&](const LocalDateTime& makesUp) {
        const std::uint32_t delayMs = static_cast<std::uint32_t>(look.delayMinutes) * 60 * 1000;
        return CatchUp{makesUp, fromSeconds(secondsOf(look.now) + look.delayMinutes * 60), look.tick, delayMs};
    };
    if (look.pending) return planned(look.pending->makesUp);
    if (!look.found) return std::nullopt;
    // A start passed while the user had stopped the timer was not wanted.
    const auto& shown = look.found->lastMissed;
    std::size_t i = shown.size();
    while (i > 0 && i <= look.found->why.size() && look.found->why[i - 1] == MissedWhy::Stopped) --i;
    if (i == 0) return std::nullopt;
    const LocalDateTime& missed = shown[i - 1];
    const std::int64_t at = secondsOf(missed);
    if (secondsOf(look.now) - at > 7 * kDay) return std::nullopt;
    if (look.lastComplete && secondsOf(*look.lastComplete) >= at) return std::nullopt;
    return planned(missed);
}

bool catchUpDue(const CatchUp& c, std::uint32_t tick) {
    // Unsigned: a wrap of the counter does no harm.
    return tick - c.plannedTick + kHalfTick >= c.delayMs;
}

std::optional<std::int64_t> wakeMoment(const LocalDateTime& now, const std::array<bool, 7>& weekdays,
                                       TimeOfDay start, const UtcOffset& offset,
                                       const std::optional<LocalDateTime>& settled) {
    const std::int64_t local = secondsOf(now);
    // Local seconds to UTC: the offset at the moment, found from a first guess.
    const auto toUtc = [&](std::int64_t s) { return s - offset(s - offset(s) * 60LL) * 60LL; };
    const std::int64_t today = floorDiv(local, kDay);
    const std::int64_t done = settled ? secondsOf(*settled) : INT64_MIN;
    for (std::int64_t day = today; day <= today + 8; ++day) {
        int y = 0, m = 0, d = 0;
        civilFromDays(day, y, m, d);
        if (!weekdays[static_cast<std::size_t>(isoWeekday(y, m, d) - 1)]) continue;
        const std::int64_t s = secondsOf(startOn(day, start, offset));
        // A start whose wake has come is running or about to: the computer is awake.
        if (s - 60 <= local || s <= done) continue;
        return toUtc(s) - 60;
    }
    return std::nullopt;
}

}  // namespace zb
