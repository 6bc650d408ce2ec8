#include "core/backup_state.h"

#include <cstdio>
#include <string_view>

#include "core/calendar.h"
#include "core/message.h"
#include "resources/texts.h"

namespace zb {

const char* outcomeWord(Outcome o) {
    switch (o) {
        case Outcome::Complete: return txt::OutcomeComplete;
        case Outcome::Incomplete: return txt::OutcomeIncomplete;
        default: return txt::OutcomeFailed;
    }
}

namespace {

// The length of the UTF-8 character at the start of `s`, at least 1.
std::size_t charLength(std::string_view s) {
    const auto b = static_cast<unsigned char>(s[0]);
    const std::size_t len = b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    return len <= s.size() ? len : 1;
}

// A word as the settings file may hold it: written through the ANSI code
// page of another language, each letter outside ASCII ("ä") may have become
// "?", a letter without its mark ("a"), or another letter of that code page
// ("δ" under 1253). Any one character stands for such a letter.
bool sameWord(std::string_view stored, std::string_view word) {
    while (!stored.empty() && !word.empty()) {
        const std::size_t s = charLength(stored), w = charLength(word);
        if (static_cast<unsigned char>(word[0]) < 0x80 && stored.substr(0, s) != word.substr(0, w)) return false;
        stored.remove_prefix(s);
        word.remove_prefix(w);
    }
    return stored.empty() && word.empty();
}

}  // namespace

std::optional<Outcome> outcomeFromWord(const std::string& word) {
    for (Outcome o : {Outcome::Complete, Outcome::Incomplete, Outcome::Failed})
        if (word == outcomeWord(o)) return o;
    for (Outcome o : {Outcome::Complete, Outcome::Incomplete, Outcome::Failed})
        if (sameWord(word, outcomeWord(o))) return o;
    return std::nullopt;
}

Outcome RunTally::outcome() const {
    if (!targetPresent || noSource || noRoom || (sources > 0 && sourcesLost == sources)) return Outcome::Failed;
    if (sourcesLost > 0 || sourcesShort > 0 || missing > 0) return Outcome::Incomplete;
    return Outcome::Complete;
}

std::string hhmm(int hour, int minute) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d:%02d", hour, minute);
    return buf;
}

std::string stamp(const LocalDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buf;
}

std::optional<LocalDateTime> fromStamp(const std::string& s) {
    LocalDateTime t;
    char rest = 0;
    if (std::sscanf(s.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second,
                    &rest) != 6)
        return std::nullopt;
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 || t.second > 59 ||
        t.hour < 0 || t.minute < 0 || t.second < 0)
        return std::nullopt;
    // "2026-02-31" would silently become 3 March.
    int y = 0, m = 0, d = 0;
    civilFromDays(daysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)), y, m, d);
    if (m != t.month) return std::nullopt;
    return t;
}

std::string dayStamp(const LocalDateTime& t) { return stamp(t).substr(0, 10); }

void RunTally::lose(int source) {
    ++sourcesLost;
    if (source >= 1 && source <= 5) lostSources |= 1u << (source - 1);
}

std::string runningText(const LocalDateTime& start, int target, const std::string& folder) {
    if (target == 0) return stamp(start);
    return stamp(start) + " " + std::to_string(target) + " " + folder;
}

std::optional<RunningMark> runningMark(const std::string& s, const LocalDateTime& now) {
    if (s.empty()) return std::nullopt;
    RunningMark mark;
    mark.start = trustedMoment(s.substr(0, 19), now);
    // " N folder": a target of 1 to 8 and the folder the run wrote.
    if (s.size() > 22 && s[19] == ' ' && s[20] >= '1' && s[20] <= '8' && s[21] == ' ') {
        mark.target = s[20] - '0';
        mark.folder = s.substr(22);
    }
    return mark;
}

std::string runBalloon(const RunTally& tally, const std::string& when, int target) {
    if (tally.noSource)
        return tally.earlierKept ? fill(txt::BalloonNoSource, {when, target}) : fill(txt::BalloonNoSourceNoneKept, {when});
    if (tally.noRoom) return fill(txt::BalloonNoRoom, {when, target});
    // Whatever stands on the stick is told, even when no source was finished.
    if (tally.targetGone && target != 0)
        return fill(tally.oldDeleted ? txt::BalloonTargetGoneOldDeleted : txt::BalloonTargetGone,
                    {when, target,
                     std::to_string(tally.saved) + " " + (tally.saved == 1 ? txt::FileSingular : txt::FilePlural)});
    const Outcome outcome = tally.outcome();
    if (outcome == Outcome::Failed)
        return target == 0 ? fill(txt::BalloonNoTarget, {when}) : fill(txt::BalloonNothingCopied, {when, target});
    if (tally.missing == 0) return fill(txt::BalloonSourceLost, {when, target});
    if (tally.missingAtLeast)
        return fill(tally.missing == 1 ? txt::BalloonIncompleteAtLeastOne : txt::BalloonIncompleteAtLeast,
                    {when, target, tally.missing});
    if (tally.missing == 1) return fill(txt::BalloonIncompleteOne, {when, target});
    return fill(txt::BalloonIncomplete, {when, target, tally.missing});
}

std::string runEvent(const RunTally& tally, const std::string& when, int target, const std::string& typed) {
    const Outcome outcome = tally.outcome();
    if (outcome == Outcome::Complete) return fill(txt::EventComplete, {when, target});
    // Without a target, or without a source, the balloon says all there is.
    if (target == 0 || tally.noSource) return runBalloon(tally, when, target);
    std::string paths;
    int lost = 0;
    for (int k = 1; k <= 5; ++k) {
        if ((tally.lostSources >> (k - 1) & 1u) == 0) continue;
        if (lost++ > 0) paths += ", ";
        paths += fill(txt::PathNo, {k});
    }
    const std::string missing =
        tally.missingAtLeast ? fill(txt::AtLeast, {tally.missing}) : std::to_string(tally.missing);
    std::string event = fill(outcome == Outcome::Incomplete ? txt::EventIncomplete : txt::EventFailed,
                             {when, target, typed, missing, lost == 0 ? std::string("0") : fill(txt::PathList, {lost, paths})});
    if (!tally.firstReport.empty()) event += " " + fill(txt::EventFirstReport, {tally.firstReport});
    return event;
}

std::string notEndedBalloon(const std::string& since, int target, const std::string& folder) {
    if (target == 0) return fill(txt::BalloonRunNotEnded, {since});
    return fill(txt::BalloonRunNotEndedOn, {since, folder, target});
}

std::string notEndedReport(const std::string& since, int target, const std::string& folder) {
    if (target == 0) return fill(txt::ErrRunNotEnded, {since});
    return fill(txt::ErrRunNotEndedOn, {since, folder, target});
}

std::string eventText(const std::string& s) {
    // A UTF-8 text has at least as many bytes as UTF-16 units.
    if (s.size() <= kEventTextMost) return s;
    return cutUtf8(s, kEventTextMost - 3) + "…";
}

std::int64_t secondsOf(const LocalDateTime& t) {
    const std::int64_t days = daysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day));
    return days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

std::optional<LocalDateTime> trustedMoment(const std::string& s, const LocalDateTime& now) {
    const auto t = fromStamp(s);
    if (!t || t->year < 2000 || secondsOf(*t) > secondsOf(now) + 86400) return std::nullopt;
    return t;
}

std::optional<int> trustedCount(const std::string& s, int most) {
    if (s.empty() || s.size() > 10) return std::nullopt;
    long long n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n > most) return std::nullopt;
    return static_cast<int>(n);
}

LocalDateTime fromSeconds(std::int64_t s) {
    std::int64_t days = s / 86400, rest = s % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    LocalDateTime t;
    civilFromDays(days, t.year, t.month, t.day);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

bool weekWithoutCompleteBackup(const LocalDateTime& lastComplete, const LocalDateTime& now) {
    return secondsOf(now) - secondsOf(lastComplete) >= 7 * 86400;
}

std::string cutUtf8(const std::string& s, std::size_t bytes) {
    if (s.size() <= bytes) return s;
    std::size_t n = bytes;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    return s.substr(0, n);
}

}  // namespace zb
