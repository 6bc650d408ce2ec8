#pragma once
// What makes a file the administrator's preset, and which of its values the
// program takes: the program's first start and Vorgabe.exe judge by the same
// rules, so no file is placed that the program would then read otherwise.
// No port and no Windows header: Vorgabe.exe is built from this file too.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings_schema.h"

namespace zb {

// A settings file of some thirty keys: anything larger is no preset.
inline constexpr std::size_t kLargestPreset = 64 * 1024;

// The locale's rule for a time of day, as the program reads ZEI.
struct TimeRules {
    std::string separator, am, pm;
};

// The entries of an INI text as the profile functions see them: names
// without regard to case, blanks around names and values dropped, a value's
// enclosing quotes removed, the first of a repeated key counts.
class IniText {
public:
    struct Entry {
        std::string section, key, value;
    };
    explicit IniText(std::string_view text);
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    const std::vector<Entry>& entries() const { return entries_; }
    const std::vector<std::string>& sections() const { return sections_; }
    // Lines that are neither a section, an entry, a comment nor empty.
    const std::vector<std::string>& strayLines() const { return stray_; }

private:
    std::vector<Entry> entries_;
    std::vector<std::string> sections_;
    std::vector<std::string> stray_;
};

// A text the program shows or passes on: no control characters and none
// that turn the direction of what follows.
bool isPlainText(std::string_view utf8);
// A folder a backup reads or writes: plain text, a drive or network path
// (a network path may be the long form "\\?\UNC\"), never a device, a pipe, a
// mailslot, the object manager's GLOBALROOT, a reserved DOS name or a stream.
bool isFolderPath(std::string_view utf8);

// A source folder (P1P to P5P) or a target (TAR1 to TAR8).
bool isFolderSetting(const ini::Setting& s);

// The value `text` of `s` as it goes into Backup.ini, or nothing when the
// program would read it otherwise than the administrator wrote it.
std::optional<std::string> presetValue(const ini::Setting& s, const std::string& text, const TimeRules& time);

// Whether a file is a preset at all, for Vorgabe.exe: an INI text whose
// sections and keys are the program's and whose values are valid. Each
// refusal its own code; `what` names the section, key or line concerned.
enum class PresetFault { None, NotIni, UnknownName, InvalidValue };
struct PresetCheck {
    PresetFault fault = PresetFault::None;
    std::string what;
};
PresetCheck checkPresetFile(std::string_view text, const TimeRules& time);

}  // namespace zb
