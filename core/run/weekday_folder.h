#pragma once
// The weekday folder's own record of whose backup it holds and how its run
// ended, read before the run touches the folder and written through the
// run's door at its start and its end.
#include <optional>
#include <string>

#include "core/backup_state.h"
#include "core/run/target_door.h"
#include "core/weekday_record.h"

namespace zb {

// The record in `folder` (full form); nothing when there is none of ours.
std::optional<WeekdayRecord> readWeekdayRecord(IShellFiles& files, const std::string& folder);

// Writes the record into the door's weekday folder; 0 or the system's error code.
[[nodiscard]] std::uint32_t writeWeekdayRecord(TargetDoor& door, const WeekdayRecord& record);

RecordState recordStateOf(Outcome outcome);

// The account's short name: "anna" of "PC01\anna".
std::string shortAccountName(const std::string& account);

// Whether `target` is a folder of this account's own on a shared drive: one
// of its folders is named as the account ("E:\Sicherung\anna", as a preset
// with %USERNAME% gives each account). Its weekday folders are then made
// for that account alone.
bool isFolderPerAccount(const std::string& target, const std::string& account);

}  // namespace zb
