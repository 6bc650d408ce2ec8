#pragma once
// What a run works on, taken once at its start: the ticked sources with
// their paths, the targets as typed, the target it chooses with its weekday
// folder, and the media it found there. Changes made in the window during a
// run apply to the next run; a medium swapped under the run is told by its
// identity, never by its drive letter.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/ports.h"

namespace zb {

// A medium as the run first met it: the volume's root (its serial number
// is part of the identity) and the folder the run uses on it. A card put in
// under the same letter has another root, a stick with a copied folder
// another folder.
struct MediumId {
    FileId root, folder;
    friend bool operator==(const MediumId&, const MediumId&) = default;
};

// The root of the volume that holds an absolute path: "E:\" or
// "\\server\share\"; empty for any other text.
std::string volumeRoot(const std::string& path);

// The identity of the medium under an absolute folder; nothing when the
// folder cannot be reached.
std::optional<MediumId> mediumOf(IShellFiles& files, const std::string& folder);

enum class MediumState { Same, Gone, Changed };
// The medium under `folder` compared with the one recorded: gone when it
// cannot be reached, changed when another answers there.
MediumState compareMedium(IShellFiles& files, const std::string& folder, const MediumId& recorded);

struct SnapshotSource {
    bool ticked = false;
    std::string text;  // as typed
    // The medium under the source, from the moment the run starts using it.
    std::optional<MediumId> medium;
    // The source as the copy gets it: with a trailing delimiter, empty stays empty.
    std::string folder() const;
};

struct RunSnapshot {
    std::array<SnapshotSource, 5> sources;
    std::array<std::string, 8> targets;  // as typed

    // Set once the run has chosen its target.
    int targetNo = 0;
    std::string target;   // as typed
    std::string weekday;  // "1" to "7"
    std::string W;        // the weekday folder as reported: the target with a delimiter, then the weekday
    std::optional<MediumId> targetMedium;

    SnapshotSource& source(int k) { return sources[static_cast<std::size_t>(k - 1)]; }
    const SnapshotSource& source(int k) const { return sources[static_cast<std::size_t>(k - 1)]; }
    const std::string& targetText(int n) const { return targets[static_cast<std::size_t>(n - 1)]; }
    // A ticked source with a path: without one, nothing would be backed up.
    bool anySource() const;
    std::array<bool, 5> ticked() const;
};

// Takes the snapshot from the window's state as it is now.
RunSnapshot takeSnapshot(const std::function<bool(int)>& sourceTicked,
                         const std::function<std::string(int)>& sourceText,
                         const std::function<std::string(int)>& targetText);

}  // namespace zb
