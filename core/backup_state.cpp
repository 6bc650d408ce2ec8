#include "core/backup_state.h"

#include <cstdio>
#include <string_view>

#include "core/calendar.h"
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
    return t;
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
