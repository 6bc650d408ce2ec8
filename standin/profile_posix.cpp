// The stand-in for the private-profile functions: an INI reader and writer
// that keeps their rules. Names match without regard to case, the first of
// duplicate sections and keys counts, a new key goes after the last line of
// its section, a new section at the end of the file, an existing key is
// rewritten in place, and every write reaches the file at once. The file
// holds code page 1252, as the ANSI functions write it.
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
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

std::vector<std::string> readLines(const std::string& hostFile) {
    std::ifstream in(hostFile, std::ios::binary);
    std::vector<std::string> lines;
    if (!in) return lines;
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
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
        // Work in the file's bytes: the 2047-character limit counts them.
        std::string result = utf8ToCp1252(def);
        if (const auto host = posix::hostPath(file)) {
            const auto lines = readLines(*host);
            const Location loc = locate(lines, utf8ToCp1252(section), utf8ToCp1252(key));
            if (loc.key >= 0) {
                const std::string_view line = cutAtNul(lines[static_cast<std::size_t>(loc.key)]);
                result = trim(line.substr(line.find('=') + 1));
                if (result.size() >= 2 && (result.front() == '"' || result.front() == '\'') &&
                    result.back() == result.front())
                    result = result.substr(1, result.size() - 2);
            }
        }
        return cp1252ToUtf8(std::string_view(result).substr(0, kMaxValue));
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
        auto lines = readLines(*host);
        const std::string sec = utf8ToCp1252(section), k = utf8ToCp1252(key);
        const std::string v = value ? utf8ToCp1252(*value) : std::string();
        const Location loc = locate(lines, sec, k);
        if (!value) {
            if (loc.key < 0) return std::filesystem::exists(std::filesystem::path(*host).parent_path());
            lines.erase(lines.begin() + loc.key);
        } else if (loc.key >= 0) {
            std::string& line = lines[static_cast<std::size_t>(loc.key)];
            line = *keyName(line) + "=" + v;
        } else if (loc.section >= 0) {
            lines.insert(lines.begin() + loc.lastLine + 1, k + "=" + v);
        } else {
            lines.push_back("[" + sec + "]");
            lines.push_back(k + "=" + v);
        }
        std::ostringstream out;
        for (const auto& line : lines) out << line << "\r\n";
        std::ofstream f(*host, std::ios::binary | std::ios::trunc);
        if (!f) return false;
        f << out.str();
        f.flush();
        return static_cast<bool>(f);
    }
};

}  // namespace

std::unique_ptr<IProfile> makeProfile() { return std::make_unique<PosixProfile>(); }

}  // namespace zb
