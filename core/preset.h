#pragma once
// The administrator's preset: a settings file that every user's first start
// takes as that user's Backup.ini, so that a computer set up without a visit
// backs up from the first logon of each user.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/preset_rules.h"
#include "core/settings_schema.h"
#include "platform/ports.h"

namespace zb {

// %ProgramData%\ZELKOR Backup\Vorgabe.ini; empty when the system names no
// folder for all users' data.
std::string presetPath(ISystem& system);

struct PresetValue {
    ini::Setting setting;
    std::string value;  // as it goes into Backup.ini
};

struct PresetJudgement {
    std::vector<PresetValue> take;     // in the order the program saves them
    std::vector<std::string> refused;  // the keys left out, in the same order
};

// Which keys of the preset pass the checks that the program's own reading of
// Backup.ini applies: the settings of the window and NurAenderungen; nothing
// of the rotation, the state or the error log, which are each user's own.
// `read` gives a key's text, nothing when the preset lacks the key. Values
// with control or direction characters, and folders that name a device, a
// pipe or GLOBALROOT, are refused like any other invalid value.
PresetJudgement judgePreset(const std::function<std::optional<std::string>(const ini::Setting&)>& read,
                            const TimeRules& time);

// A folder of the preset for this account: %USERNAME% and %USERPROFILE% (in
// any case) replaced by the account's, so that one preset gives each user of
// a shared computer a folder of their own on the same drive. Nothing when it
// names one of them and the account has none.
std::optional<std::string> forThisAccount(const std::string& text, ISystem& system);

// The logon step that Windows runs once for each user of a computer on which
// the program was installed for all: a user who has never started the
// program gets the autostart entry, so that it starts at this logon already;
// a user who has started it keeps what they chose, except where the
// uninstaller left its mark. Throws EZelkorError when the entry cannot be
// written.
void FirstLogon(IRegistry& registry, ISystem& system);

}  // namespace zb
