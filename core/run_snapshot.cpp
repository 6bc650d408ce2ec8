#include "core/run_snapshot.h"

#include "core/paths.h"

namespace zb {

std::string volumeRoot(const std::string& path) {
    if (!isAbsolutePath(path)) return {};
    if (path[1] == ':') return path.substr(0, 2) + "\\";
    // \\server\share\: the share is the medium.
    const auto sep = [](char c) { return c == '\\' || c == '/'; };
    std::size_t i = 2;
    while (i < path.size() && !sep(path[i])) ++i;
    if (i >= path.size()) return {};
    std::size_t j = i + 1;
    while (j < path.size() && !sep(path[j])) ++j;
    if (j == i + 1) return {};
    return path.substr(0, j) + "\\";
}

std::optional<MediumId> mediumOf(IShellFiles& files, const std::string& folder) {
    const std::string root = volumeRoot(folder);
    if (root.empty()) return std::nullopt;
    MediumId id;
    if (files.fileIdentity(root, id.root) != 0 || files.fileIdentity(folder, id.folder) != 0) return std::nullopt;
    return id;
}

MediumState compareMedium(IShellFiles& files, const std::string& folder, const MediumId& recorded) {
    // Another volume under the letter is a change even where the folder is
    // missing on it: a folder made there would go onto a stranger's medium.
    FileId id;
    if (files.fileIdentity(volumeRoot(folder), id) != 0) return MediumState::Gone;
    if (!(id == recorded.root)) return MediumState::Changed;
    if (files.fileIdentity(folder, id) != 0) return MediumState::Gone;
    return id == recorded.folder ? MediumState::Same : MediumState::Changed;
}

std::string SnapshotSource::folder() const { return text.empty() ? text : withTrailingDelimiter(text); }

bool RunSnapshot::anySource() const {
    for (const SnapshotSource& s : sources)
        if (s.ticked && !s.text.empty()) return true;
    return false;
}

std::array<bool, 5> RunSnapshot::ticked() const {
    std::array<bool, 5> t{};
    for (std::size_t i = 0; i < t.size(); ++i) t[i] = sources[i].ticked;
    return t;
}

RunSnapshot takeSnapshot(const std::function<bool(int)>& sourceTicked,
                         const std::function<std::string(int)>& sourceText,
                         const std::function<std::string(int)>& targetText) {
    RunSnapshot s;
    for (int k = 1; k <= 5; ++k) s.source(k) = {sourceTicked(k), sourceText(k), std::nullopt};
    for (int n = 1; n <= 8; ++n) s.targets[static_cast<std::size_t>(n - 1)] = targetText(n);
    return s;
}

}  // namespace zb
