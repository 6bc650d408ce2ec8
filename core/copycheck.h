#pragma once
// The check after the shell's copy of a source: every folder and file of the
// source must be in the copy, each file with its size and last-write time.
// What the shell left out or left short is copied again, one entry at a
// time, with calls that handle any name and any path length.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace zb {

struct CopyShortfall {
    int missing = 0;          // files still not in the copy
    int files = 0;            // files of the source
    int folders = 0;          // folders that could be neither read nor made
    std::string first;        // the source path of the first missing entry
    std::uint32_t error = 0;  // why that one is missing
    bool targetGone = false;  // the copy's folder went away during the check
    bool sourceGone = false;  // the source, or its drive, went away during the backup
    // Another medium answers where the source or the target was: nothing
    // more is read from the one or written to the other.
    bool sourceSwapped = false, targetSwapped = false;
    bool any() const { return missing > 0 || folders > 0 || targetGone || sourceGone; }
};

// Where the backup lies when the destination is inside the source (D:\ onto
// D:\Sicherung, or the same folder through another drive letter, case or
// link). Told by identity, not by spelling.
struct BackupInSource {
    bool inside = false;
    // The folders from the destination up to the source, destination first.
    std::vector<FileId> chain;
    int source = -1;  // index of the source in `chain`
    int backup = -1;  // index of the folder left out: the target, or the weekday folder
    // The source is the target itself: its weekday folders are backups too.
    bool sourceIsTarget() const { return source == 2; }
};
BackupInSource findBackupInSource(IShellFiles& files, const std::string& source, const std::string& dest);

// A folder's place on the way from the destination up to the source (an
// index into `chain`), or -1 when it is not on that way or cannot be opened.
int placeOnTheWay(IShellFiles& files, const BackupInSource& where, const std::string& folder);

// Whether a folder directly inside the source is the backup or leads to it:
// the shell must not copy it as a whole.
bool holdsBackup(IShellFiles& files, const BackupInSource& where, const std::string& sourceFull,
                 const std::string& name);

// A copy kept from an earlier run and brought level with its source: what
// counts as unchanged there, and what goes of the copy that the source no
// longer has. Paths handed over lie inside the copy.
class KeptCopy {
public:
    virtual ~KeptCopy() = default;
    virtual bool unchanged(const FileEntry& copy, const FileEntry& source) = 0;
    // Takes an entry of the copy out of the way of the source's entry of
    // that name (a file where a folder belongs, a link, another case);
    // 0 or the system's error code.
    [[nodiscard]] virtual std::uint32_t clear(const std::string& path, const FileEntry& entry) = 0;
    // The entries of one folder of the copy that no entry of its source matches.
    virtual void leftovers(const std::string& folder, const std::vector<const FileEntry*>& entries) = 0;
    // A file of the source was checked, and copied or not.
    virtual void checked(bool copied) = 0;
    // A large file is being copied: how far, in percent.
    virtual void copying(int percent) = 0;
};

// Whether the media under the source and the target are still the ones the
// run started with.
enum class MediaChange { None, Source, Target };
using MediaWatch = std::function<MediaChange()>;

// `keepAlive` runs between entries and while a large file is copied; it
// decides itself how often to serve the window. Writes nothing outside `dest`.
// Without `kept` the copy is fresh, and nothing in it is removed.
[[nodiscard]] CopyShortfall completeCopy(IShellFiles& files, const std::string& source, const std::string& dest,
                                         const BackupInSource& where, const std::function<void()>& keepAlive,
                                         KeptCopy* kept = nullptr, const MediaWatch& media = {});

// The report of a shortfall, on one line.
std::string shortfallText(IShellFiles& files, const std::string& source, const std::string& dest,
                          const CopyShortfall& s);

// A listed name joined to its folder as it is: a name that ends in a blank
// or a dot must not be normalised away.
std::string join(const std::string& folder, const std::string& name);

}  // namespace zb
