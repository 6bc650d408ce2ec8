// The run that keeps today's weekday folder: each source's folder in it is
// brought level with the source, and only what changed is written.
#include "core/mirror.h"
#include "core/message.h"
#include "core/names.h"
#include "core/target_paths.h"
#include "core/paths.h"
#include "core/uMain.h"
#include "resources/texts.h"

namespace zb {

namespace {

constexpr std::uint32_t kServeEveryMs = 50;

// The folder that holds `path` and its last name.
std::pair<std::string, std::string> splitLast(std::string path) {
    while (!path.empty() && path.back() == '\\') path.pop_back();
    const auto cut = path.find_last_of('\\');
    return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

// A link that a Windows target may find under `name` in `entries`.
const FileEntry* linkNamed(const std::vector<FileEntry>& entries, const std::string& name) {
    for (const FileEntry& e : entries)
        if (e.reparsePoint() && sameName(e.name, name)) return &e;
    return nullptr;
}

}  // namespace

// Whether the way into `Dest` passes a link in its last two names (the
// source folder and the weekday folder): one that could not be taken away
// leads out of the backup, and nothing is written through it.
bool TfrmBackup::throughLink(const std::string& Dest) {
    std::string dest = Dest;
    for (int i = 0; i < 2; ++i) {
        const auto [parent, name] = splitLast(dest);
        std::uint32_t error = 0;
        if (const auto entries = onTarget().listFolder(parent, error, {}))
            if (linkNamed(*entries, name)) return true;
        dest = parent;
    }
    return false;
}

bool TfrmBackup::weekdayFolderIsLink(const TargetPath& root, const std::string& weekday, bool tell) {
    TargetDoor& door = onTarget();
    std::uint32_t error = 0;
    const auto inRoot = door.listFolder(root.full, error, {});
    const FileEntry* e = inRoot ? linkNamed(*inRoot, weekday) : nullptr;
    if (!e) return false;
    const std::function<void()> none;
    Remover remover(door, none);
    const TargetPath W = root / e->name;
    const std::uint32_t stays = remover.remove(W.full, *e);
    if (door.swapped()) targetSwapped_ = true;
    else if (stays && tell) report(fill(txt::ErrDelete, {stays, W.shown}));
    return stays != 0;
}

bool TfrmBackup::pruneWeekdayFolder(const TargetPath& root, const std::string& weekday,
                                    std::array<std::string, 5>& kept) {
    const std::function<void()> serve = messageServer();
    // A weekday folder that is a link is taken away as the link: what it
    // points at is no backup of this run's. One that stays stops the run on
    // this target.
    if (weekdayFolderIsLink(root, weekday, true)) return false;
    TargetDoor& door = onTarget();
    Remover remover(door, serve);
    const TargetPath W = root / weekday;
    std::uint32_t error = 0;
    const auto inside = door.listFolder(W.full, error, serve);
    if (!inside) return true;
    for (const FileEntry* e : strayInWeekdayFolder(*inside, snapshot_.ticked(), &kept)) {
        const TargetPath path = W / e->name;
        const int before = remover.failures.count;
        (void)remover.remove(path.full, *e);
        if (door.swapped()) {
            targetSwapped_ = true;
            return false;
        }
        if (remover.failures.count > before) report(fill(txt::ErrDelete, {remover.failures.error, path.shown}));
        remover.failures = {};
    }
    return true;
}

void TfrmBackup::mirrorfiles(const std::string& Source, const std::string& Dest, const std::string& Shown) {
    // The same test of the source as the shell's copy makes, with the same
    // report: a relative source would depend on the current directory.
    // The same report for a destination reached through a link.
    TargetDoor* door = doorFor(Dest);
    if (!door || !isAbsolutePath(Source) || !door->setCurrentDirectory(Source) || throughLink(Dest)) {
        tally_.lose(currentSource_);
        reportShort(fill(txt::ErrCopy, {Source, Dest}));
        return;
    }
    noteSourceMedium(Source);
    if (!system_.directoryExists(Dest)) (void)door->createFolder({}, Dest);
    const BackupInSource where = findBackupInSource(*door, Source, Dest);
    if (where.inside && where.source == 0) return;  // the source is its own copy
    const bool localTimes = keepsLocalTimes(*door, Dest);

    std::uint32_t served = clock_.tickCount();
    std::function<void()> keepAlive;
    KeptFolder kept(*door, localTimes, keepAlive);
    keepAlive = [&] {
        const std::uint32_t now = clock_.tickCount();
        if (now - served < kServeEveryMs) return;
        served = now;
        const int p = kept.copyingPercent;
        window_.setText(Ctl::pnTitle, p > 0 && p < 100 ? fill(txt::StatusSavingPercent,
                                                              {Shown, kept.checkedFiles, kept.copiedFiles, p})
                                                        : fill(txt::StatusSavingCounted,
                                                              {Shown, kept.checkedFiles, kept.copiedFiles}));
        window_.processMessages();
    };
    const CopyShortfall shortfall =
        completeCopy(*door, Source, Dest, where, keepAlive, &kept, [this] { return mediaChange(); });
    window_.setText(Ctl::pnTitle, fill(txt::StatusSavingCounted, {Shown, kept.checkedFiles, kept.copiedFiles}));
    reportShortfall(Source, Dest, shortfall);
    // A leftover that stays is no file missing from the backup: it is told
    // as what it is, by the path the user knows.
    if (const RemovalFailures& stays = kept.stays(); stays.count > 0) {
        const std::string full = door->fullPath(Dest);
        std::string shown = stays.first;
        if (shown.compare(0, full.size(), full) == 0) {
            std::size_t rest = full.size();
            while (rest < shown.size() && shown[rest] == '\\') ++rest;
            shown = withTrailingDelimiter(Dest) + shown.substr(rest);
        }
        report(fill(txt::ErrDelete, {stays.error, shown}));
    }
}

}  // namespace zb
