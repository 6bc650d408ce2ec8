#include "core/settings.h"

#include <cctype>
#include <cstdint>

#include "core/errors.h"
#include "core/paths.h"
#include "core/message.h"
#include "resources/texts.h"

namespace zb {

std::string settingsFolder(ISystem& sys) {
    return withTrailingDelimiter(sys.env("APPDATA")) + txt::SettingsDirName + '\\';
}

std::string settingsFilePath(ISystem& sys) { return settingsFolder(sys) + txt::SettingsFileName; }

std::int32_t strToIntDef(std::string_view s, std::int32_t def) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    unsigned base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == s.size()) return def;
    std::uint64_t value = 0;
    for (; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        unsigned digit;
        if (std::isdigit(c)) digit = c - '0';
        else if (base == 16 && std::isxdigit(c)) digit = unsigned(std::tolower(c) - 'a' + 10);
        else return def;
        value = value * base + digit;
        if (value > 0xFFFFFFFFull) return def;
    }
    if (base == 10) {
        if (negative ? value > 0x80000000ull : value > 0x7FFFFFFFull) return def;
        return negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(value))
                        : static_cast<std::int32_t>(value);
    }
    // Hexadecimal takes the full 32 bits, so $FFFFFFFF is -1.
    const auto bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    return negative ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(bits)) : bits;
}

namespace {

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    if (prefix.empty() || s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// Reads 1 or 2 digits.
std::optional<int> number(std::string_view& s) {
    std::size_t n = 0;
    while (n < s.size() && n < 2 && std::isdigit(static_cast<unsigned char>(s[n]))) ++n;
    if (n == 0) return std::nullopt;
    int v = 0;
    for (std::size_t i = 0; i < n; ++i) v = v * 10 + (s[i] - '0');
    s.remove_prefix(n);
    return v;
}

}  // namespace

std::optional<TimeOfDay> parseTime(std::string_view s, std::string_view sep, std::string_view am,
                                   std::string_view pm) {
    s = trimBlanks(s);
    // 0 = no designator, 1 = AM, 2 = PM; accepted before or after the time.
    int half = 0;
    auto takeDesignator = [&](bool atEnd) {
        for (int which = 1; which <= 2 && half == 0; ++which) {
            for (std::string_view d : {which == 1 ? am : pm, which == 1 ? std::string_view("AM") : "PM"}) {
                if (d.empty() || s.size() < d.size()) continue;
                std::string_view part = atEnd ? s.substr(s.size() - d.size()) : s.substr(0, d.size());
                if (!startsWithNoCase(part, d)) continue;
                s = trimBlanks(atEnd ? s.substr(0, s.size() - d.size()) : s.substr(d.size()));
                half = which;
                break;
            }
        }
    };
    takeDesignator(true);
    if (half == 0) takeDesignator(false);
    if (sep.empty()) sep = ":";

    TimeOfDay t;
    auto h = number(s);
    if (!h || !startsWithNoCase(s, sep)) return std::nullopt;
    s.remove_prefix(sep.size());
    auto m = number(s);
    if (!m) return std::nullopt;
    int sec = 0;
    if (!s.empty()) {
        if (!startsWithNoCase(s, sep)) return std::nullopt;
        s.remove_prefix(sep.size());
        auto sv = number(s);
        if (!sv || !s.empty()) return std::nullopt;
        sec = *sv;
    }
    int hour = *h;
    if (half != 0) {
        if (hour < 1 || hour > 12) return std::nullopt;
        hour = hour % 12 + (half == 2 ? 12 : 0);
    }
    if (hour > 23 || *m > 59 || sec > 59) return std::nullopt;
    t.hour = hour;
    t.minute = *m;
    t.second = sec;
    return t;
}

std::string SettingsFile::readString(const std::string& section, const std::string& key, const std::string& def) {
    return profile_.getString(path_, section, key, def);
}

std::int32_t SettingsFile::readInteger(const std::string& section, const std::string& key, std::int32_t def) {
    return strToIntDef(readString(section, key, ""), def);
}

bool SettingsFile::readBool(const std::string& section, const std::string& key, bool def) {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

TimeOfDay SettingsFile::readTime(const std::string& section, const std::string& key, TimeOfDay def) {
    // The default goes through the same formatting and parsing as a stored
    // value, so a missing key and a stored default read alike; an empty
    // stored value is no time.
    const std::string s = readString(section, key, locale_.formatLongTime(def));
    auto t = parseTime(s, locale_.timeSeparator(), locale_.amDesignator(), locale_.pmDesignator());
    if (!t) throw EZelkorError(fill(txt::ErrInvalidTime, {s}));
    return *t;
}

void SettingsFile::writeString(const std::string& section, const std::string& key, const std::string& value) {
    if (!profile_.writeString(path_, section, key, value))
        throw EZelkorError(fill(txt::ErrCannotWrite, {path_}));
}

void SettingsFile::writeInteger(const std::string& section, const std::string& key, std::int32_t value) {
    writeString(section, key, std::to_string(value));
}

void SettingsFile::writeBool(const std::string& section, const std::string& key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

void SettingsFile::writeTime(const std::string& section, const std::string& key, TimeOfDay value) {
    writeString(section, key, locale_.formatLongTime(value));
}

bool SettingsFile::readFlag(const ini::Setting& s) { return readBool(s.section, s.key, s.number != 0); }
std::string SettingsFile::readText(const ini::Setting& s) { return readString(s.section, s.key, ""); }
std::int32_t SettingsFile::readInteger(const ini::Setting& s) { return readInteger(s.section, s.key, s.number); }
TimeOfDay SettingsFile::readTime(const ini::Setting& s) { return readTime(s.section, s.key, s.time); }
void SettingsFile::writeFlag(const ini::Setting& s, bool value) { writeBool(s.section, s.key, value); }
void SettingsFile::writeText(const ini::Setting& s, const std::string& value) { writeString(s.section, s.key, value); }
void SettingsFile::remove(const ini::Setting& s) {
    if (!profile_.removeKey(path_, s.section, s.key)) throw EZelkorError(fill(txt::ErrCannotWrite, {path_}));
}
void SettingsFile::writeInteger(const ini::Setting& s, std::int32_t value) {
    writeInteger(s.section, s.key, value);
}
void SettingsFile::writeTime(const ini::Setting& s, TimeOfDay value) { writeTime(s.section, s.key, value); }

}  // namespace zb
