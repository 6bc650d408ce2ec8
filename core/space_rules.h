#pragma once
// Whether a run's backup fits on its target, decided before anything there
// is deleted or written: the room the sources take there, file by file in
// the target's clusters, against the room that is free and what the run
// frees of last week's backup first. And whether the room left after a run
// is low.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/paths.h"
#include "platform/ports.h"

namespace zb {

struct DiskSpace {
    std::uint64_t freeBytes = 0, totalBytes = 0;
    std::uint32_t clusterBytes = 0;
};

// The figures of the volume that holds `path`; nothing when it gives none
// (a share that keeps them to itself, a drive gone).
std::optional<DiskSpace> diskSpaceOf(IShellFiles& files, const std::string& path);

// The room a file of `size` bytes takes: whole clusters; an empty file none.
std::uint64_t allocated(std::uint64_t size, std::uint32_t cluster);

// What a run will write on its target, and what it frees there first.
struct SpaceNeed {
    std::uint64_t needed = 0;  // new and changed files, each new folder one cluster
    std::uint64_t freed = 0;   // the deleted weekday folder, or the kept copies replaced and removed
    // A replaced copy stays until its replacement is whole: the largest of
    // them is not free when its replacement is written.
    std::uint64_t largestReplaced = 0;
    int files = 0;  // the files the run will write
};

// Room for what a file system keeps beside the files: folder entries,
// records, its journal.
inline constexpr std::uint64_t kSpaceReserve = 1 << 20;

struct RoomVerdict {
    bool fits = true;
    std::uint64_t needed = 0;     // with the reserve
    std::uint64_t available = 0;  // free, and what the run frees before it needs it
    std::uint64_t fromOld = 0;    // of that, what last week's backup gives
};
// A volume that gives no figures is no reason to refuse a run.
RoomVerdict judgeRoom(const std::optional<DiskSpace>& volume, const SpaceNeed& need);

// Low after a run: less than a tenth of the drive free, or less than the run wrote.
bool spaceLow(const DiskSpace& after, std::uint64_t written);

// A size as Windows shows it to a German user ("740 KB", "1,8 GB", units of
// 1024), rounded up for a need and down for a room, so that a need never
// reads as less than a room it does not fit into.
std::string sizeText(std::uint64_t bytes, bool roundUp);

// One folder of a source against its kept copy, or against none (`copy`
// empty): what its files need and free. Returns the folders below, each
// with the copy's folder that can stand for it (null: copied anew), and
// adds the copy's folders that go as a whole to `gone`.
std::vector<std::pair<const FileEntry*, const FileEntry*>> levelNeed(const std::vector<FileEntry>& source,
                                                                     const std::vector<FileEntry>& copy,
                                                                     std::uint32_t cluster, bool localTimes,
                                                                     SpaceNeed& need,
                                                                     std::vector<const FileEntry*>& gone);

// Lists what a run will copy and what it replaces, through the ports.
class SpaceCounter {
public:
    // `target`: the target's folder; a source that holds it must not count
    // the backups in it, as the copy leaves them out.
    SpaceCounter(IShellFiles& files, std::uint32_t cluster, const std::string& target,
                 const std::function<void()>& keepAlive);
    // A source copied into a fresh folder.
    void fresh(const std::string& source);
    // Last week's weekday folder, deleted whole.
    void deleted(const std::string& weekdayFolder);
    // The kept weekday folder brought level: each ticked source's folder
    // (`sources[k]` empty for an unticked one), and what a fresh weekday
    // folder would not hold goes.
    void kept(const std::string& weekdayFolder, const std::vector<std::string>& sources, bool localTimes);
    // One source against its kept copy.
    void keptFolder(const std::string& source, const std::string& copy, bool localTimes) {
        if (isAbsolutePath(source)) walk({files_.fullPath(source), files_.fullPath(copy), -1}, localTimes);
    }
    SpaceNeed need;

private:
    struct Pending {
        std::string src, copy;  // copy empty: none
        int chain = -1;         // the folder's place above the target, when it leads there
    };
    void walk(Pending first, bool localTimes);
    std::uint64_t tree(const std::string& folder);
    // An existing folder that is no link.
    bool realFolder(const std::string& full);
    void serve() const {
        if (keepAlive_) keepAlive_();
    }
    IShellFiles& files_;
    std::uint32_t cluster_;
    std::vector<FileId> above_;  // the target's folder and those above it, nearest first
    const std::function<void()>& keepAlive_;
};

}  // namespace zb
