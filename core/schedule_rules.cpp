#include "core/schedule_rules.h"

#include <algorithm>
#include <climits>

#include "core/backup_state.h"
#include "core/calendar.h"

namespace zb {

namespace {

constexpr std::int64_t kDay = 86400;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b < 0 ? 1 : 0); }

}  // namespace

LocalDateTime startOn(std::int64_t day, TimeOfDay start, const UtcOffset& offset) {
    const std::int64_t local = day * kDay + start.hour * 3600 + start.minute * 60;
    // A zone changes at most once within two days; taken as UTC, the local
    // time is off by the offset only.
    const std::int64_t before = offset(local - kDay) * 60, after = offset(local + kDay) * 60;
    if (after <= before) return fromSeconds(local);  // no gap: the hour set back repeats, it skips nothing
    // The first UTC minute with the new offset: the gap in local time lies
    // from it plus the old offset to it plus the new one.
    std::int64_t lo = floorDiv(local - kDay, 60), hi = floorDiv(local + kDay, 60);
    while (lo + 1 < hi) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        (offset(mid * 60) * 60 == after ? hi : lo) = mid;
    }
    const std::int64_t change = hi * 60;
    if (local >= change + before && local < change + after) return fromSeconds(change + after);
    return fromSeconds(local);
}

void addMissed(StartsFound& found, const LocalDateTime& t, MissedWhy why) {
    if (found.missed++ == 0) {
        found.firstMissed = t;
        found.firstWhy = why;
    }
    found.every.push_back(t);
    found.lastMissed.push_back(t);
    found.why.push_back(why);
    if (found.lastMissed.size() > kMissedShown) {
        found.lastMissed.erase(found.lastMissed.begin());
        found.why.erase(found.why.begin());
    }
}

void addFound(StartsFound& found, const StartsFound& later) {
    const int before = later.missed - static_cast<int>(later.lastMissed.size());
    // The ones summed up in `later` are known by number only.
    if (before > 0) {
        if (found.missed == 0) {
            found.firstMissed = later.firstMissed;
            found.firstWhy = later.firstWhy;
        }
        found.missed += before;
    }
    for (std::size_t i = 0; i < later.lastMissed.size(); ++i) addMissed(found, later.lastMissed[i], later.why[i]);
    found.every.erase(found.every.end() - static_cast<std::ptrdiff_t>(later.lastMissed.size()), found.every.end());
    found.every.insert(found.every.end(), later.every.begin(), later.every.end());
    if (later.runNow) found.runNow = later.runNow;
}

StartsFound lookAtSchedule(const ScheduleLook& look, const UtcOffset& offset) {
    StartsFound found;
    const std::int64_t from = secondsOf(look.previous), to = secondsOf(look.now);
    // A clock set back, or the hour set back at the end of summer time: the
    // starts of the time seen again were settled the first time.
    if (to < from) return found;
    const std::int64_t settled = look.settled ? secondsOf(*look.settled) : INT64_MIN;
    const auto why = [&](std::int64_t s) {
        if (look.heldFrom && s + 60 > secondsOf(*look.heldFrom)) return MissedWhy::Held;
        if (look.stoppedAt && s >= secondsOf(*look.stoppedAt)) return MissedWhy::Stopped;
        return MissedWhy::Off;
    };
    const auto miss = [&](std::int64_t s) { addMissed(found, fromSeconds(s), why(s)); };
    std::optional<std::int64_t> newest;
    for (std::int64_t day = floorDiv(from - 60, kDay); day <= floorDiv(to, kDay); ++day) {
        int y = 0, m = 0, d = 0;
        civilFromDays(day, y, m, d);
        if (!look.weekdays[static_cast<std::size_t>(isoWeekday(y, m, d) - 1)]) continue;
        const std::int64_t s = secondsOf(startOn(day, look.start, offset));
        // Its minute had ended at the previous look, it lies ahead, or a run
        // began at it or later.
        if (s + 60 <= from || s > to || s <= settled) continue;
        if (newest) miss(*newest);
        newest = s;
    }
    if (!newest) return found;
    const bool heldLate = look.heldRecent && why(*newest) == MissedWhy::Held;
    if (to < *newest + 60 || look.previousRecent || heldLate) found.runNow = fromSeconds(*newest);
    else miss(*newest);
    return found;
}

int daysBetween(const LocalDateTime& since, const LocalDateTime& now) {
    return static_cast<int>(floorDiv(secondsOf(now) - secondsOf(since), kDay));
}

std::string summary(std::vector<Finding> findings, std::size_t limit) {
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.gravity > b.gravity; });
    for (std::size_t whole = findings.size();; --whole) {
        std::string s;
        for (std::size_t i = 0; i < findings.size(); ++i) {
            if (!s.empty()) s += ' ';
            s += i < whole ? findings[i].text : findings[i].brief;
        }
        if (s.size() <= limit || whole == 0) return cutUtf8(s, limit);
    }
}

}  // namespace zb
