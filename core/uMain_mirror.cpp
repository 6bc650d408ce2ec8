// The run that keeps today's weekday folder: each source's folder in it is
// brought level with the source, and only what changed is written.
#include "core/mirror.h"
#include "core/message.h"
#include "core/paths.h"
#include "core/uMain.h"
#include "resources/texts.h"

namespace zb {

namespace {

constexpr std::uint32_t kServeEveryMs = 50;

// The folder that holds W and W's last name.
std::pair<std::string, std::string> splitLast(const std::string& W) {
    const auto cut = W.find_last_of('\\');
    return {W.substr(0, cut + 1), W.substr(cut + 1)};
}

// Whether the way into `dest` passes a link in its last `levels` names (the
// source folder and the weekday folder): one that could not be taken away
// leads out of the backup, and nothing is written through it.
bool throughLink(IShellFiles& files, std::string dest, int levels) {
    for (int i = 0; i < levels; ++i) {
        while (!dest.empty() && dest.back() == '\\') dest.pop_back();
        const auto [parent, name] = splitLast(dest);
        std::uint32_t error = 0;
        if (const auto entries = files.listFolder(parent, error, {}))
            for (const FileEntry& e : *entries)
                if (e.name == name && e.reparsePoint()) return true;
        dest = parent;
    }
    return false;
}

}  // namespace

void TfrmBackup::pruneWeekdayFolder(const std::string& W) {
    std::array<bool, 5> ticked{};
    bool any = false;
    for (int k = 1; k <= 5; ++k) any |= ticked[static_cast<std::size_t>(k - 1)] = window_.checked(cbPfad(k));
    if (!any) return;  // a run that backs nothing up leaves the old backup alone
    std::uint32_t served = clock_.tickCount();
    const std::function<void()> serve = [this, &served] {
        const std::uint32_t now = clock_.tickCount();
        if (now - served < kServeEveryMs) return;
        served = now;
        window_.processMessages();
    };
    Remover remover(shellFiles_, serve);
    std::uint32_t error = 0;
    // A weekday folder that is a link is taken away as the link: what it
    // points at is no backup of this run's.
    const auto [target, weekday] = splitLast(W);
    const auto onTarget = shellFiles_.listFolder(target, error, serve);
    if (!onTarget) return;
    for (const FileEntry& e : *onTarget) {
        if (e.name != weekday || !e.reparsePoint()) continue;
        if (const std::uint32_t stays = remover.remove(W, e)) report(fill(txt::ErrDelete, {stays, W}));
        return;
    }
    const auto inside = shellFiles_.listFolder(W, error, serve);
    if (!inside) return;
    for (const FileEntry* e : strayInWeekdayFolder(*inside, ticked)) {
        const std::string path = W + "\\" + e->name;
        const int before = remover.failures.count;
        (void)remover.remove(path, *e);
        if (remover.failures.count > before) report(fill(txt::ErrDelete, {remover.failures.error, path}));
        remover.failures = {};
    }
}

void TfrmBackup::mirrorfiles(const std::string& Source, const std::string& Dest, const std::string& Shown) {
    // The same test of the source as the shell's copy makes, with the same
    // report: a relative source would depend on the current directory.
    // The same report for a destination reached through a link.
    if (!isAbsolutePath(Source) || !shellFiles_.setCurrentDirectory(Source) || throughLink(shellFiles_, Dest, 2)) {
        tally_.lose(runSource_);
        reportShort(fill(txt::ErrCopy, {Source, Dest}));
        return;
    }
    if (!system_.directoryExists(Dest)) (void)system_.forceDirectories(Dest);
    const BackupInSource where = findBackupInSource(shellFiles_, Source, Dest);
    if (where.inside && where.source == 0) return;  // the source is its own copy
    std::string fileSystem;
    const bool localTimes = shellFiles_.fileSystemName(Dest, fileSystem) == 0 && keepsLocalTimes(fileSystem);

    std::uint32_t served = clock_.tickCount();
    std::function<void()> keepAlive;
    KeptFolder kept(shellFiles_, localTimes, keepAlive);
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
    CopyShortfall shortfall = completeCopy(shellFiles_, Source, Dest, where, keepAlive, &kept);
    window_.setText(Ctl::pnTitle, fill(txt::StatusSavingCounted, {Shown, kept.checkedFiles, kept.copiedFiles}));
    kept.addTo(shortfall);
    reportShortfall(Source, Dest, shortfall);
}

}  // namespace zb
