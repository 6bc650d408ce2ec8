#include "core/preset_rules.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/settings.h"

namespace zb {

namespace {

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return upper(x) == upper(y);
           });
}

std::string upperCase(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = upper(c);
    return out;
}

// The code points of a UTF-8 text; an invalid sequence gives U+FFFD.
std::vector<char32_t> codePoints(std::string_view s) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const int n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        char32_t c = n == 1 ? b : b & (0x7F >> n);
        for (int k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(c);
        i += static_cast<std::size_t>(n);
    }
    return out;
}

std::vector<ini::Setting> backupKeys() {
    std::vector<ini::Setting> keys;
    keys.insert(keys.end(), ini::Weekday.begin(), ini::Weekday.end());
    keys.insert(keys.end(), ini::SourceOn.begin(), ini::SourceOn.end());
    keys.insert(keys.end(), ini::SourcePath.begin(), ini::SourcePath.end());
    keys.insert(keys.end(), ini::Target.begin(), ini::Target.end());
    keys.insert(keys.end(), {ini::StartTime, ini::Eject, ini::Shutdown, ini::Rotation, ini::OnlyChanges,
                             ini::CatchUp, ini::CatchUpDelay, ini::Wake});
    return keys;
}

}  // namespace

bool isFolderSetting(const ini::Setting& s) {
    const auto in = [&](const auto& list) {
        return std::any_of(list.begin(), list.end(), [&](const ini::Setting& x) { return x.key == s.key; });
    };
    return in(ini::SourcePath) || in(ini::Target);
}

namespace {

// A value read into the profile functions' 2048 characters may have been cut.
constexpr std::size_t kLongestValue = 2046;

}  // namespace

IniText::IniText(std::string_view text) {
    std::string section;
    bool inSection = false;
    while (!text.empty()) {
        const std::size_t cut = text.find('\n');
        std::string_view line = text.substr(0, cut);
        text = cut == std::string_view::npos ? std::string_view() : text.substr(cut + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = trimmed(line);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close == std::string_view::npos) {
                stray_.emplace_back(line);
                continue;
            }
            section = std::string(trimmed(line.substr(1, close - 1)));
            inSection = true;
            sections_.push_back(section);
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || !inSection) {
            stray_.emplace_back(line);
            continue;
        }
        std::string_view value = trimmed(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        entries_.push_back({section, std::string(trimmed(line.substr(0, eq))), std::string(value)});
    }
}

std::optional<std::string> IniText::value(std::string_view section, std::string_view key) const {
    // The profile functions search the first section of the name only.
    const auto first = std::find_if(sections_.begin(), sections_.end(),
                                    [&](const std::string& s) { return sameText(s, section); });
    if (first == sections_.end()) return std::nullopt;
    for (const Entry& e : entries_)
        if (e.section == *first && sameText(e.key, key)) return e.value;
    return std::nullopt;
}

bool isPlainText(std::string_view utf8) {
    for (const char32_t c : codePoints(utf8)) {
        if (c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0xFFFD) return false;
        // Marks and embeddings, overrides and isolates of direction.
        if (c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
            (c >= 0x2066 && c <= 0x2069))
            return false;
    }
    return true;
}

bool isFolderPath(std::string_view utf8) {
    if (!isPlainText(utf8)) return false;
    if (utf8.empty()) return true;  // no folder: the setting is not used
    // Windows reads "/" as "\".
    std::string path = upperCase(utf8);
    std::replace(path.begin(), path.end(), '/', '\\');
    if (path.find("GLOBALROOT") != std::string::npos) return false;
    std::string_view rest = path;
    const auto starts = [&](std::string_view p) { return rest.substr(0, p.size()) == p; };
    const auto letter = [](char c) { return c >= 'A' && c <= 'Z'; };
    bool network = false;
    if (starts("\\\\.\\") || starts("\\??\\") || starts("\\\\?\\GLOBALROOT")) return false;
    if (starts("\\\\?\\UNC\\")) {
        rest.remove_prefix(8);
        network = true;
    } else if (starts("\\\\?\\")) {
        rest.remove_prefix(4);
        if (rest.size() < 3 || !letter(rest[0]) || rest[1] != ':' || rest[2] != '\\') return false;
    } else if (starts("\\\\")) {
        rest.remove_prefix(2);
        network = true;
    }
    if (!network && rest.size() >= 2 && letter(rest[0]) && rest[1] == ':') rest.remove_prefix(2);
    std::vector<std::string_view> names;
    while (!rest.empty()) {
        const std::size_t cut = rest.find('\\');
        names.push_back(rest.substr(0, cut));
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
    // A share named PIPE or MAILSLOT is a server's pipes, not a folder.
    if (network && (names.size() < 2 || names[0].empty() || names[1] == "PIPE" || names[1] == "MAILSLOT"))
        return false;
    static constexpr std::array<std::string_view, 9> kDevices{"CON", "PRN", "AUX", "NUL", "CONIN$",
                                                              "CONOUT$", "CLOCK$", "COM", "LPT"};
    for (std::string_view name : names) {
        if (name.find_first_of(":*?\"<>|") != std::string_view::npos) return false;  // streams, wildcards
        std::string_view base = name.substr(0, name.find('.'));
        while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
        for (std::string_view device : kDevices) {
            if (base == device && device != "COM" && device != "LPT") return false;
            if ((device == "COM" || device == "LPT") && base.size() == 4 && base.substr(0, 3) == device &&
                base[3] >= '0' && base[3] <= '9')
                return false;
        }
    }
    return true;
}

std::optional<std::string> presetValue(const ini::Setting& s, const std::string& text, const TimeRules& time) {
    if (text.size() > kLongestValue || !isPlainText(text)) return std::nullopt;
    switch (s.type) {
        case ini::Type::Flag: {
            // No integer as a whole: the program would read it as clear, which
            // is not what the administrator wrote.
            const std::int32_t value = strToIntDef(text, 0);
            if (value == 0 && strToIntDef(text, 1) != 0) return std::nullopt;
            return value != 0 ? "1" : "0";
        }
        case ini::Type::Time:
            if (!parseTime(text, time.separator, time.am, time.pm)) return std::nullopt;
            return text;
        case ini::Type::Integer:
            if (strToIntDef(text, 0) == 0 && strToIntDef(text, 1) != 0) return std::nullopt;
            return text;
        case ini::Type::Text:
            if (isFolderSetting(s) && !isFolderPath(text)) return std::nullopt;
            return text;
    }
    return std::nullopt;
}

PresetCheck checkPresetFile(std::string_view text, const TimeRules& time) {
    if (text.size() > kLargestPreset || text.find('\0') != std::string_view::npos) return {PresetFault::NotIni, {}};
    const IniText ini(text);
    if (!ini.strayLines().empty()) return {PresetFault::NotIni, ini.strayLines().front()};
    if (ini.sections().empty()) return {PresetFault::NotIni, {}};
    // The sections of a Backup.ini; of them only [Backup] is ever taken.
    for (const std::string& section : ini.sections())
        if (!sameText(section, ini::Backup) && !sameText(section, ini::Errors) && !sameText(section, ini::Status) &&
            !sameText(section, ini::Reports))
            return {PresetFault::UnknownName, "[" + section + "]"};
    const std::vector<ini::Setting> keys = backupKeys();
    for (const IniText::Entry& e : ini.entries()) {
        if (e.key.empty()) return {PresetFault::NotIni, "=" + e.value};
        if (!sameText(e.section, ini::Backup)) {
            if (!isPlainText(e.key) || !isPlainText(e.value)) return {PresetFault::InvalidValue, e.key};
            continue;
        }
        const auto known = std::find_if(keys.begin(), keys.end(),
                                        [&](const ini::Setting& s) { return sameText(s.key, e.key); });
        if (known == keys.end()) return {PresetFault::UnknownName, e.key};
        if (!presetValue(*known, e.value, time)) return {PresetFault::InvalidValue, e.key};
    }
    return {};
}

}  // namespace zb
