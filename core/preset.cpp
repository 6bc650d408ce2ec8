#include "core/preset.h"

#include <cctype>

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

std::optional<std::string> forThisAccount(const std::string& text, ISystem& system) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const char* name : {"USERNAME", "USERPROFILE"}) {
            const std::string variable = std::string("%") + name + "%";
            if (text.size() - i < variable.size()) continue;
            bool same = true;
            for (std::size_t k = 0; k < variable.size() && same; ++k)
                same = std::toupper(static_cast<unsigned char>(text[i + k])) == variable[k];
            if (!same) continue;
            const std::string value = system.env(name);
            if (value.empty()) return std::nullopt;
            out += value;
            i += variable.size();
            replaced = true;
            break;
        }
        if (!replaced) out += text[i++];
    }
    return out;
}

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
        if (auto value = presetValue(s, *text, time)) result.take.push_back({s, std::move(*value)});
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
