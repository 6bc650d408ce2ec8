#include "core/run/weekday_folder.h"

#include "core/copycheck.h"
#include "core/names.h"
#include "core/paths.h"

namespace zb {

namespace {

// Far more than any record of ours: a larger file of that name is none.
constexpr std::size_t kLargestRecord = 64 * 1024;

}  // namespace

std::optional<WeekdayRecord> readWeekdayRecord(IShellFiles& files, const std::string& folder) {
    std::string text;
    if (files.readFile(join(folder, kWeekdayRecordName), kLargestRecord, text) != 0) return std::nullopt;
    return parseWeekdayRecord(text);
}

std::uint32_t writeWeekdayRecord(TargetDoor& door, const WeekdayRecord& record) {
    return door.writeFile(door.inWeekdayFolder(kWeekdayRecordName), formatWeekdayRecord(record));
}

RecordState recordStateOf(Outcome outcome) {
    switch (outcome) {
        case Outcome::Complete: return RecordState::Complete;
        case Outcome::Incomplete: return RecordState::Incomplete;
        case Outcome::Failed: break;
    }
    return RecordState::Failed;
}

std::string shortAccountName(const std::string& account) {
    const auto cut = account.find_last_of('\\');
    return cut == std::string::npos ? account : account.substr(cut + 1);
}

bool isFolderPerAccount(const std::string& target, const std::string& account) {
    const std::string me = shortAccountName(account);
    if (me.empty()) return false;
    std::string rest = target;
    // The drive or the share itself is no folder of anyone's.
    while (!rest.empty() && (rest.back() == '\\' || rest.back() == '/')) rest.pop_back();
    for (std::string parent = parentOf(rest); !rest.empty() && parent != rest && !parent.empty();
         rest = parent, parent = parentOf(rest)) {
        const auto cut = rest.find_last_of("\\/");
        if (sameName(rest.substr(cut == std::string::npos ? 0 : cut + 1), me)) return true;
    }
    return false;
}

}  // namespace zb
