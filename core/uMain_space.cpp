// The room a run needs on its target: a backup that cannot fit is not
// started, so that last week's backup of the weekday is not deleted for one
// that could never be whole; a target left nearly full is named.
#include "core/message.h"
#include "core/mirror.h"
#include "core/paths.h"
#include "core/space_rules.h"
#include "core/uMain.h"
#include "resources/texts.h"

namespace zb {

namespace {

constexpr std::uint32_t kEventSpaceLow = 12;

}  // namespace

bool TfrmBackup::roomForBackup(const std::string& W, bool keep) {
    runWrites_ = runFrees_ = runFreeBefore_ = 0;
    const std::string target = withTrailingDelimiter(CurrentTarget);
    const auto volume = diskSpaceOf(shellFiles_, target);
    // A target that gives no figures is used as it always was.
    if (!volume) return true;

    const std::function<void()> serve = messageServer();
    // The sources as the run found them at its start; one that cannot be
    // read adds nothing here, and its copy reports it.
    std::vector<std::string> sources;
    int ticked = 0;
    for (int k = 1; k <= 5; ++k) {
        const SnapshotSource& s = snapshot_.source(k);
        const bool used = s.ticked && !s.text.empty();
        sources.push_back(used ? s.folder() : std::string());
        ticked += used;
    }
    SpaceCounter count(shellFiles_, volume->clusterBytes, target, serve);
    const bool old = system_.directoryExists(W);
    if (keep && old) {
        const bool localTimes = keepsLocalTimes(shellFiles_, W);
        count.kept(W, sources, localTimes);
    } else {
        if (old) count.deleted(W);
        for (const std::string& s : sources)
            if (!s.empty()) count.fresh(s);
    }
    runWrites_ = count.need.needed;
    runFrees_ = count.need.freed;
    runFreeBefore_ = volume->freeBytes;
    std::uint64_t bin = 0;
    runBinBefore_ = shellFiles_.recycleBinBytes(target, bin) == 0 ? std::optional(bin) : std::nullopt;
    const RoomVerdict verdict = judgeRoom(volume, count.need);
    if (verdict.fits) return true;

    const std::string needed = sizeText(verdict.needed, true), available = sizeText(verdict.available, false);
    std::string text;
    if (!old) text = fill(txt::ErrNoRoom, {CurrentTarget, needed, available});
    else if (verdict.fromOld == 0) text = fill(txt::ErrNoRoomKept, {CurrentTarget, needed, available, W});
    else text = fill(txt::ErrNoRoomFreed, {CurrentTarget, needed, available, sizeText(verdict.fromOld, false), W});
    tally_.noRoom = true;
    tally_.sources = ticked;
    for (int k = 1; k <= 5; ++k)
        if (!sources[static_cast<std::size_t>(k - 1)].empty()) tally_.lose(k);
    tally_.missing = count.need.files;
    reportShort(text);
    // The rotation moves on as after any run on this target: the next run
    // tries the next one, which may have the room.
    settings().writeInteger(ini::Rotation, CurrentTargetNo);
    return false;
}

bool TfrmBackup::roomAfterDeletion(const std::string& W) {
    const auto now = diskSpaceOf(shellFiles_, withTrailingDelimiter(CurrentTarget));
    if (!now || runWrites_ == 0) return true;
    const RoomVerdict verdict = judgeRoom(now, SpaceNeed{runWrites_, 0, 0, 0});
    if (verdict.fits) return true;
    // The drive's Recycle Bin grew: the folder went there and can come back.
    std::uint64_t bin = 0;
    const bool inBin = runBinBefore_ && shellFiles_.recycleBinBytes(withTrailingDelimiter(CurrentTarget), bin) == 0 &&
                       bin > *runBinBefore_;
    const char* text = inBin ? txt::ErrNoRoomInBin : txt::ErrNoRoomAfterDeletion;
    loseEverySource();
    reportShort(fill(text, {CurrentTarget, sizeText(verdict.needed, true), sizeText(verdict.available, false), W}));
    settings().writeInteger(ini::Rotation, CurrentTargetNo);
    return false;
}

void TfrmBackup::noteSpaceLeft() {
    const auto after = diskSpaceOf(shellFiles_, withTrailingDelimiter(CurrentTarget));
    if (!after || !spaceLow(*after, runWrites_)) return;
    const std::string free = sizeText(after->freeBytes, false);
    logReport(fill(txt::ErrSpaceLow, {CurrentTarget, free, sizeText(after->totalBytes, false)}), clock_.now(),
              EventType::Warning, kEventSpaceLow);
    lowSpaceTip_ = fill(txt::TipSpaceLow, {free});
}

}  // namespace zb
