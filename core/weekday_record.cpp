#include "core/weekday_record.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "core/names.h"

namespace zb {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kHeader =
    "; Angaben von ZELKOR Backup zu der Sicherung in diesem Ordner. "
    "Bitte nicht ändern: Das Programm erkennt daran, wem die Sicherung gehört.";

struct StateWord {
    RecordState state;
    const char* word;
};
constexpr std::array<StateWord, 4> kStates{{{RecordState::Running, "läuft"},
                                            {RecordState::Complete, "vollständig"},
                                            {RecordState::Incomplete, "unvollständig"},
                                            {RecordState::Failed, "fehlgeschlagen"}}};

std::string stamp(const LocalDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buf;
}

bool number(std::string_view s, int& out) {
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size();
}

bool number(std::string_view s, std::uint64_t& out) {
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size();
}

std::optional<LocalDateTime> parseStamp(std::string_view s) {
    // "yyyy-mm-dd hh:mm:ss"
    if (s.size() != 19 || s[4] != '-' || s[7] != '-' || s[10] != ' ' || s[13] != ':' || s[16] != ':')
        return std::nullopt;
    LocalDateTime t;
    if (!number(s.substr(0, 4), t.year) || !number(s.substr(5, 2), t.month) ||
        !number(s.substr(8, 2), t.day) || !number(s.substr(11, 2), t.hour) ||
        !number(s.substr(14, 2), t.minute) || !number(s.substr(17, 2), t.second))
        return std::nullopt;
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 ||
        t.second > 59)
        return std::nullopt;
    return t;
}

}  // namespace

const char* recordStateWord(RecordState s) {
    for (const auto& e : kStates)
        if (e.state == s) return e.word;
    return "";
}

std::string formatWeekdayRecord(const WeekdayRecord& r) {
    std::string out(kBom);
    auto line = [&out](std::string_view key, const std::string& value) {
        out.append(key).append("=").append(value).append("\r\n");
    };
    out.append(kHeader).append("\r\n[Sicherung]\r\n");
    line("Konto", r.account);
    line("SID", r.sid);
    line("Computer", r.computer);
    line("Ziellaufwerk", std::to_string(r.targetNo));
    line("Beginn", stamp(r.start));
    line("Zustand", recordStateWord(r.state));
    line("Ende", r.end ? stamp(*r.end) : std::string());
    line("Dateien", std::to_string(r.files));
    line("Fehlend", std::to_string(r.missing));
    return out;
}

std::optional<WeekdayRecord> parseWeekdayRecord(std::string_view text) {
    if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
    WeekdayRecord r;
    bool inSection = false, haveSid = false, haveStart = false, haveState = false;
    while (!text.empty()) {
        auto eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            inSection = line == "[Sicherung]";
            continue;
        }
        if (!inSection) continue;
        auto eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "Konto") r.account = value;
        else if (key == "SID") { r.sid = value; haveSid = !value.empty(); }
        else if (key == "Computer") r.computer = value;
        else if (key == "Ziellaufwerk") { if (!number(value, r.targetNo)) r.targetNo = 0; }
        else if (key == "Beginn") {
            auto t = parseStamp(value);
            if (t) { r.start = *t; haveStart = true; }
        } else if (key == "Zustand") {
            for (const auto& e : kStates)
                if (value == e.word) { r.state = e.state; haveState = true; }
        } else if (key == "Ende") r.end = parseStamp(value);
        else if (key == "Dateien") { if (!number(value, r.files)) r.files = 0; }
        else if (key == "Fehlend") { if (!number(value, r.missing)) r.missing = 0; }
    }
    if (!haveSid || !haveStart || !haveState) return std::nullopt;
    return r;
}

FolderOwner ownerOf(const std::optional<WeekdayRecord>& record, std::string_view sid,
                    std::string_view computer) {
    if (!record) return FolderOwner::Unrecorded;
    if (!sameName(record->sid, sid)) return FolderOwner::OtherAccount;
    if (!sameName(record->computer, computer)) return FolderOwner::OtherComputer;
    return FolderOwner::Own;
}

}  // namespace zb
