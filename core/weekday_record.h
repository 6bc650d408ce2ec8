#pragma once
// The record a run leaves in the weekday folder it writes: whose backup the
// folder holds and how its run ended. It travels with the medium, so it is
// the medium's own truth about that generation wherever the drive is read
// later, by this computer, another account or a rebuild of the catalog.
// A plain text file in UTF-8 with a byte order mark and CRLF lines, so
// Notepad shows it as it is.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ports.h"

namespace zb {

// Its name in the weekday folder, beside P1 to P5.
inline constexpr const char* kWeekdayRecordName = "Sicherungsangaben.txt";

enum class RecordState { Running, Complete, Incomplete, Failed };

struct WeekdayRecord {
    std::string account;   // "COMPUTER\name", as shown to people
    std::string sid;       // what decides whose folder it is
    std::string computer;
    int targetNo = 0;      // "Ziellaufwerk N" of the run that wrote it
    LocalDateTime start;
    RecordState state = RecordState::Running;
    std::optional<LocalDateTime> end;  // set with the result
    std::uint64_t files = 0;    // files the run backed up
    std::uint64_t missing = 0;  // files it did not
    friend bool operator==(const WeekdayRecord&, const WeekdayRecord&) = default;
};

// The German word the file holds for a state ("läuft", "vollständig",
// "unvollständig", "fehlgeschlagen").
const char* recordStateWord(RecordState s);

std::string formatWeekdayRecord(const WeekdayRecord& r);

// Nothing when the text is no record of ours (another file under that name,
// or one cut off before its account was written): such a folder is judged as
// one without a record, never as another account's.
std::optional<WeekdayRecord> parseWeekdayRecord(std::string_view text);

enum class FolderOwner { Own, Unrecorded, OtherAccount, OtherComputer };

// Whose the weekday folder is for the account `sid` on `computer`. The
// account decides first, since one account may be known on several
// computers of a domain only by the same SID; the computer's name is
// compared as Windows compares names.
FolderOwner ownerOf(const std::optional<WeekdayRecord>& record, std::string_view sid,
                    std::string_view computer);

}  // namespace zb
