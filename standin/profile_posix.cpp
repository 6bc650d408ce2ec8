// The stand-in for the private-profile functions: an INI reader and writer
// that keeps their rules. Names match without regard to case, the first of
// duplicate sections and keys counts, a new key goes after the last line of
// its section, a new section at the end of the file, an existing key is
// rewritten in place, and every write reaches the file at once. The file
// holds the ANSI code page of the stand-ins until a value does not fit it;
// then it becomes UTF-16 LE with a byte order mark, and stays so, as the
// program keeps it on Windows.
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "standin/codepage.h"
#include "platform/ports.h"
#include "standin/posix_paths.h"

namespace zb {

namespace {

constexpr std::size_t kMaxValue = 2047;

std::string trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return std::string(s);
}

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Everything after a NUL byte is invisible to the profile functions.
std::string_view cutAtNul(std::string_view s) { return s.substr(0, s.find('\0')); }

// The file's lines, as UTF-8 whatever the file holds.
struct IniText {
    bool unicode = false;
    std::vector<std::string> lines;
};

constexpr char kBom[] = "\xFF\xFE";

IniText readIni(const std::string& hostFile) {
    std::ifstream in(hostFile, std::ios::binary);
    IniText ini;
    if (!in) return ini;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string content;
    ini.unicode = bytes.rfind(kBom, 0) == 0;
    if (ini.unicode) {
        std::u16string wide;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            wide += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8);
        content = utf16ToUtf8(wide);
    } else {
        content = ansiToUtf8(bytes, ansiCodePage());
    }
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ini.lines.push_back(std::move(line));
        start = end + 1;
    }
    return ini;
}

std::string fileBytes(IniText& ini) {
    std::string text;
    for (const auto& line : ini.lines) text += line + "\r\n";
    if (!ini.unicode) {
        if (auto ansi = utf8ToAnsi(text, ansiCodePage())) return *ansi;
        ini.unicode = true;
    }
    std::string bytes = kBom;
    for (char16_t c : utf8ToUtf16(text)) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

// At most `units` UTF-16 units, never half a pair.
std::string cutUtf16(const std::string& utf8, std::size_t units) {
    std::u16string w = utf8ToUtf16(utf8);
    if (w.size() <= units) return utf8;
    w.resize(units);
    if (w.back() >= 0xD800 && w.back() < 0xDC00) w.pop_back();
    return utf16ToUtf8(w);
}

std::optional<std::string> sectionName(const std::string& line) {
    const std::string t = trim(cutAtNul(line));
    if (t.empty() || t.front() != '[') return std::nullopt;
    const std::size_t close = t.rfind(']');
    if (close == std::string::npos) return std::nullopt;  // read as an ordinary line
    return trim(std::string_view(t).substr(1, close - 1));
}

// Key name of a line inside a section, or nothing for a line without '='.
std::optional<std::string> keyName(const std::string& line) {
    const std::string_view v = cutAtNul(line);
    const std::size_t eq = v.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return trim(v.substr(0, eq));
}

struct Location {
    std::ptrdiff_t section = -1;  // header line
    std::ptrdiff_t key = -1;      // key line
    std::ptrdiff_t lastLine = -1; // last non-blank line of the section
};

Location locate(const std::vector<std::string>& lines, const std::string& section, const std::string& key) {
    Location loc;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i]);
        if (loc.section >= 0) {
            if (name) break;  // the first section of that name is the one
            if (!trim(lines[i]).empty()) loc.lastLine = static_cast<std::ptrdiff_t>(i);
            if (loc.key < 0) {
                const auto k = keyName(lines[i]);
                if (k && equalNoCase(*k, key)) loc.key = static_cast<std::ptrdiff_t>(i);
            }
        } else if (name && equalNoCase(*name, section)) {
            loc.section = loc.lastLine = static_cast<std::ptrdiff_t>(i);
        }
    }
    return loc;
}

class PosixProfile final : public IProfile {
public:
    std::string getString(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& def) override {
        std::string result = def;
        if (const auto host = posix::hostPath(file)) {
            const auto lines = readIni(*host).lines;
            const Location loc = locate(lines, section, key);
            if (loc.key >= 0) {
                const std::string_view line = cutAtNul(lines[static_cast<std::size_t>(loc.key)]);
                result = trim(line.substr(line.find('=') + 1));
                if (result.size() >= 2 && (result.front() == '"' || result.front() == '\'') &&
                    result.back() == result.front())
                    result = result.substr(1, result.size() - 2);
            }
        }
        return cutUtf16(result, kMaxValue);
    }

    bool writeString(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value) override {
        return write(file, section, key, &value);
    }
    bool removeKey(const std::string& file, const std::string& section, const std::string& key) override {
        return write(file, section, key, nullptr);
    }

private:
    // Without a value the key's line goes; a key that is not there is no failure.
    static bool write(const std::string& file, const std::string& section, const std::string& key,
                      const std::string* value) {
        const auto host = posix::hostPath(file);
        if (!host) return false;
        IniText ini = readIni(*host);
        auto& lines = ini.lines;
        const Location loc = locate(lines, section, key);
        if (!value) {
            if (loc.key < 0) return std::filesystem::exists(std::filesystem::path(*host).parent_path());
            lines.erase(lines.begin() + loc.key);
        } else if (loc.key >= 0) {
            std::string& line = lines[static_cast<std::size_t>(loc.key)];
            line = *keyName(line) + "=" + *value;
        } else if (loc.section >= 0) {
            lines.insert(lines.begin() + loc.lastLine + 1, key + "=" + *value);
        } else {
            lines.push_back("[" + section + "]");
            lines.push_back(key + "=" + *value);
        }
        const std::string bytes = fileBytes(ini);
        std::ofstream f(*host, std::ios::binary | std::ios::trunc);
        if (!f) return false;
        f << bytes;
        f.flush();
        return static_cast<bool>(f);
    }
};

}  // namespace

std::unique_ptr<IProfile> makeProfile() { return std::make_unique<PosixProfile>(); }

}  // namespace zb
