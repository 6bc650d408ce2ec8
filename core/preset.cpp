#include "core/preset.h"

#include "core/paths.h"
#include "core/settings.h"
#include "core/shell/links.h"
#include "resources/texts.h"

namespace zb {

std::string presetPath(ISystem& system) {
    const std::string shared = system.sharedDataFolder();
    if (shared.empty()) return {};
    return withTrailingDelimiter(shared) + txt::PresetFolderName + '\\' + txt::PresetFileName;
}

namespace {

// A value read into the profile functions' 2048 characters may have been cut.
constexpr std::size_t kLongestValue = 2046;

std::optional<std::string> checked(const ini::Setting& s, const std::string& text, const TimeRules& time) {
    if (text.size() > kLongestValue) return std::nullopt;
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
        case ini::Type::Text:
            return text;
    }
    return std::nullopt;
}

}  // namespace

PresetJudgement judgePreset(const std::function<std::optional<std::string>(const ini::Setting&)>& read,
                            const TimeRules& time) {
    std::vector<ini::Setting> keys;
    keys.insert(keys.end(), ini::Weekday.begin(), ini::Weekday.end());
    keys.insert(keys.end(), ini::SourceOn.begin(), ini::SourceOn.end());
    keys.insert(keys.end(), ini::SourcePath.begin(), ini::SourcePath.end());
    keys.insert(keys.end(), ini::Target.begin(), ini::Target.end());
    keys.insert(keys.end(), {ini::StartTime, ini::Eject, ini::Shutdown, ini::OnlyChanges});
    PresetJudgement result;
    for (const ini::Setting& s : keys) {
        const std::optional<std::string> text = read(s);
        if (!text) continue;
        if (auto value = checked(s, *text, time)) result.take.push_back({s, std::move(*value)});
        else result.refused.emplace_back(s.key);
    }
    return result;
}

void FirstLogon(IRegistry& registry, ISystem& system) {
    if (!system.directoryExists(settingsFolder(system))) {
        AddAutostartEntry(registry, txt::AutostartValueName, AutostartCommand(ProgramPath(system)));
        return;
    }
    RestoreAutostartEntry(registry, system);
}

}  // namespace zb
