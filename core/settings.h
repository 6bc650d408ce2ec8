#pragma once
// The settings file Backup.ini: where it lives and how its four kinds of
// value (text, flag, integer, time) are read and written.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/settings_schema.h"
#include "platform/ports.h"

namespace zb {

// %APPDATA%\ZelkorBackup\ - formed anew on every call, never cached.
std::string settingsFolder(ISystem& sys);
std::string settingsFilePath(ISystem& sys);

// The integer reading rule: optional leading blanks, optional sign, decimal
// digits, or hexadecimal digits after "0x", "0X" or "$"; the whole text must
// be such a number and fit 32 bits, otherwise `def`.
std::int32_t strToIntDef(std::string_view s, std::int32_t def);

// Hours and minutes, optionally seconds, separated by `sep`, optionally
// followed by the locale's AM or PM designator.
std::optional<TimeOfDay> parseTime(std::string_view s, std::string_view sep, std::string_view am,
                                   std::string_view pm);

class SettingsFile {
public:
    SettingsFile(IProfile& profile, ILocale& locale, std::string path)
        : profile_(profile), locale_(locale), path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    // A setting of the schema, with its default.
    bool readFlag(const ini::Setting& s);
    std::string readText(const ini::Setting& s);
    std::int32_t readInteger(const ini::Setting& s);
    TimeOfDay readTime(const ini::Setting& s);
    void writeFlag(const ini::Setting& s, bool value);
    void writeText(const ini::Setting& s, const std::string& value);
    void writeInteger(const ini::Setting& s, std::int32_t value);
    void writeTime(const ini::Setting& s, TimeOfDay value);
    void remove(const ini::Setting& s);

    std::string readString(const std::string& section, const std::string& key, const std::string& def);
    std::int32_t readInteger(const std::string& section, const std::string& key, std::int32_t def);
    bool readBool(const std::string& section, const std::string& key, bool def);
    // Throws EZelkorError "'%s' ist keine gültige Uhrzeit" for a text that is no time.
    TimeOfDay readTime(const std::string& section, const std::string& key, TimeOfDay def);

    // Each write reaches the file at once; a refused write throws
    // EZelkorError "In %s kann nicht geschrieben werden".
    void writeString(const std::string& section, const std::string& key, const std::string& value);
    void writeInteger(const std::string& section, const std::string& key, std::int32_t value);
    void writeBool(const std::string& section, const std::string& key, bool value);
    void writeTime(const std::string& section, const std::string& key, TimeOfDay value);

private:
    IProfile& profile_;
    ILocale& locale_;
    std::string path_;
};

}  // namespace zb
