#pragma once
// The state of the backups as a user sees it without opening the window:
// the outcome of the last run, scheduled starts that were missed, and a week
// without a complete backup. Plain rules over times; the form carries them out.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/ports.h"

namespace zb {

enum class Outcome { Complete, Incomplete, Failed };

// The word stored in the settings file and shown in the tooltip.
const char* outcomeWord(Outcome o);
std::optional<Outcome> outcomeFromWord(const std::string& word);

// What a run met, source by source, for its outcome.
struct RunTally {
    bool targetPresent = false;
    int sources = 0;        // enabled sources
    int sourcesLost = 0;    // of them: nothing at all backed up
    int sourcesShort = 0;   // of them: something missing
    int missing = 0;        // files still missing, over all sources
    bool noSource = false;  // no ticked source had a path: nothing was done
    bool noRoom = false;    // the backup did not fit on the target: nothing was done
    bool earlierKept = false;  // then: today's weekday folder from before is still there
    bool missingAtLeast = false;  // `missing` is a lower bound: a source went away
    bool targetGone = false;      // the target went away during the run
    bool oldDeleted = false;      // then: last week's weekday folder was deleted at the start
    std::uint64_t saved = 0;      // files written before it went
    unsigned lostSources = 0;     // bit k-1: source k not backed up at all
    std::string firstReport;  // the first thing that was not backed up
    Outcome outcome() const;
    void lose(int source);
};

// The mark of a run that has not ended: its start, and once chosen its
// target and weekday folder ("JJJJ-MM-TT hh:mm:ss N Ordner"). Any text at
// all is such a mark: the start is empty when it cannot be trusted.
struct RunningMark {
    std::optional<LocalDateTime> start;
    int target = 0;      // 0 before the choice
    std::string folder;  // the weekday folder on it
};
std::string runningText(const LocalDateTime& start, int target, const std::string& folder);
std::optional<RunningMark> runningMark(const std::string& s, const LocalDateTime& now);

// What the user is told of a run that was not complete, in the balloon, and
// what the event log holds of any run. `when` is the short date and time of
// its start; `target` its number, 0 without one; `typed` the target as typed.
std::string runBalloon(const RunTally& tally, const std::string& when, int target);
std::string runEvent(const RunTally& tally, const std::string& when, int target, const std::string& typed);
// A run that did not reach its end; `since` is "vom <when>" or the unknown
// start; `target` 0 when it had not chosen one yet.
std::string notEndedBalloon(const std::string& since, int target, const std::string& folder);
std::string notEndedReport(const std::string& since, int target, const std::string& folder);

// An insertion string of the event log: ReportEventW refuses one of more
// than 31,839 characters, so a longer one is cut and ends in "…".
inline constexpr std::size_t kEventTextMost = 31839;
std::string eventText(const std::string& s);

// "hh:mm", as the start time and the schedule's texts show a time.
std::string hhmm(int hour, int minute);

// "JJJJ-MM-TT hh:mm:ss", local time, as the settings file stores a moment;
// nothing for a text that is no such moment, nor for a day the month lacks.
std::string stamp(const LocalDateTime& t);
std::optional<LocalDateTime> fromStamp(const std::string& s);

// "JJJJ-MM-TT", the day of a moment, as the settings file stores a day.
std::string dayStamp(const LocalDateTime& t);

// A moment of the settings file read with distrust: nothing for a text that
// is no moment, a year before 2000 or a time more than a day after `now`
// (a damaged file, or a clock that was wrong when it was written).
std::optional<LocalDateTime> trustedMoment(const std::string& s, const LocalDateTime& now);
// A count of the settings file: digits only, at most `most`.
std::optional<int> trustedCount(const std::string& s, int most = 1 << 30);

// Seconds since 1970 of a local time, for differences only.
std::int64_t secondsOf(const LocalDateTime& t);
LocalDateTime fromSeconds(std::int64_t s);

// Seven days and more since the last complete backup.
bool weekWithoutCompleteBackup(const LocalDateTime& lastComplete, const LocalDateTime& now);

// A text cut to at most `bytes` bytes of UTF-8, never inside a character.
std::string cutUtf8(const std::string& s, std::size_t bytes);

}  // namespace zb
