// The backup run: target rotation, the weekday folder, the folder copies,
// and the error log with the wait that keeps the window alive.
#include <cstdio>
#include <stdexcept>

#include "core/copycheck.h"
#include "core/keep_awake.h"
#include "core/paths.h"
#include "core/rotation.h"
#include "core/run/weekday_folder.h"
#include "core/run_snapshot.h"
#include "core/target_paths.h"
#include "core/uMain.h"
#include "core/calendar.h"
#include "core/message.h"
#include "resources/texts.h"

namespace zb {

namespace {

constexpr std::int32_t kPause = 5000;
constexpr std::uint16_t kDeleteFlags = FOF_NOCONFIRMATION_ | FOF_ALLOWUNDO_;
constexpr std::uint16_t kCopyFlags = FOF_NOCONFIRMATION_ | FOF_NOERRORUI_;
constexpr std::uint32_t kAllEntries = 0x3F;  // read-only, hidden, system, volume, folder, archive
constexpr int kUserCancelled = 0x4C7;       // ERROR_CANCELLED
constexpr int kOpCancelled = 0x75;          // DE_OPCANCELLED
constexpr std::uint32_t kServeEveryMs = 50;
constexpr std::uint32_t kEventFirstOnWeekday = 11;
// Longer than any backup of a computer's own data to a stick should take;
// beyond it another run is taken to hang.
constexpr std::uint32_t kMediumWaitMs = 3 * 3600 * 1000;


}  // namespace

void TfrmBackup::pause(std::int32_t Duration) {
    const auto duration = static_cast<std::uint32_t>(Duration < 0 ? 0 : Duration);
    const std::uint32_t start = clock_.tickCount();
    for (;;) {
        window_.processMessages();
        // Unsigned difference: a wrap of the counter during the wait does no harm.
        const std::uint32_t elapsed = clock_.tickCount() - start;
        if (elapsed > duration) return;
        window_.waitForMessages(duration - elapsed + 1);
    }
}

void TfrmBackup::Fehlerbehandlung(const std::string& Message, const LocalDateTime& When) {
    constexpr std::uint32_t kEventReport = 10;
    logReport(Message, When, EventType::Warning, kEventReport);
}

void TfrmBackup::report(const std::string& message) { Fehlerbehandlung(message, clock_.now()); }

void TfrmBackup::reportShort(const std::string& message) {
    if (tally_.firstReport.empty()) tally_.firstReport = message;
    report(message);
}

std::function<void()> TfrmBackup::messageServer() {
    // Often enough that the window answers and Windows gets its answer to
    // the end of the session; rarely enough to cost nothing.
    return [this, served = clock_.tickCount()]() mutable {
        const std::uint32_t now = clock_.tickCount();
        if (now - served < kServeEveryMs) return;
        served = now;
        window_.processMessages();
    };
}

void TfrmBackup::reportSourcesNotReached(int fromSource) {
    for (int k = fromSource; k <= 5; ++k) {
        const SnapshotSource& s = snapshot_.source(k);
        if (!s.ticked || s.text.empty()) continue;
        const std::string& source = s.text;
        ++tally_.sources;
        tally_.lose(k);
        reportShort(fill(txt::ErrSourceNotReached, {source}));
    }
}

int TfrmBackup::DoFileWork(std::uintptr_t Owner, std::uint32_t Func, const std::vector<std::string>& List,
                           std::uint16_t Flags, int& Result) {
    ShFileOp op;
    op.hwnd = Owner;
    op.wFunc = Func;
    for (const std::string& path : List) {
        op.pFrom += path;
        op.pFrom += '\0';
    }
    op.pFrom += '\0';
    op.fFlags = Flags;
    bool aborted = false;
    Result = onTarget().shFileOperation(op, aborted);
    return Result;
}

void TfrmBackup::dateredundanz(const std::string& Path, std::uintptr_t Owner) {
    const std::vector<std::string> list{Path};
    int result = -1;
    if (!system_.directoryExists(Path)) return;
    if (!doorFor(Path)) {
        report(fill(txt::ErrDelete, {result, Path}));
        return;
    }
    DoFileWork(Owner, FO_DELETE_, list, kDeleteFlags, result);
    if (result == 0) return;
    // Refused at the door: another medium is in the drive, and the run says so.
    if (onTarget().swapped()) {
        targetSwapped_ = true;
        return;
    }
    report(fill(txt::ErrDelete, {result, Path}));
}

void TfrmBackup::copyfiles(const std::string& Source, const std::string& Dest, std::uintptr_t Owner) {
    TargetDoor* door = doorFor(Dest);
    const std::string failure = fill(txt::ErrCopy, {Source, Dest});
    // The names in the list are relative to the source, so it must become the
    // current directory; a relative source would depend on where the last
    // copy left the current directory.
    if (!door || !isAbsolutePath(Source) || !door->setCurrentDirectory(Source) || throughLink(Dest)) {
        tally_.lose(currentSource_);
        reportShort(failure);
        return;
    }
    noteSourceMedium(Source);
    // The shell goes by letters: it copies only while both are the run's media.
    if (const MediaChange change = mediaChange(); change != MediaChange::None) {
        CopyShortfall swapped;
        if (change == MediaChange::Target) swapped.targetGone = swapped.targetSwapped = true;
        else swapped.sourceGone = swapped.sourceSwapped = true;
        reportShortfall(Source, Dest, swapped);
        return;
    }
    if (!system_.directoryExists(Dest)) (void)door->createFolder({}, Dest);
    // A target inside the source, under whatever spelling: the shell must not
    // get the folder that holds the backup, or it copies the copy into itself
    // down to the path limit. The check copies the rest of that folder.
    const BackupInSource where = findBackupInSource(*door, Source, Dest);
    if (where.inside && where.source == 0) return;  // the source is its own copy
    const std::string sourceFull = where.inside ? door->fullPath(Source) : std::string();
    ShFileOp op;
    op.hwnd = Owner;
    op.wFunc = FO_COPY_;
    if (const auto names = door->findFiles("*.*", kAllEntries)) {
        for (const std::string& name : *names) {
            if (name == "." || name == "..") continue;
            if (holdsBackup(*door, where, sourceFull, name)) continue;
            op.pFrom += name;
            op.pFrom += '\0';
        }
    }
    const bool nothingToCopy = op.pFrom.empty();
    op.pFrom += '\0';
    op.pTo = Dest;
    op.pTo += '\0';
    op.pTo += '\0';
    op.fFlags = kCopyFlags;
    op.lpszProgressTitle = txt::CopyProgressTitle;
    bool aborted = false;
    const int result = door->shFileOperation(op, aborted);
    // With FOF_NOERRORUI the shell also stops silently at a file it cannot
    // copy and marks the operation aborted, answering that file's error. A
    // cancel by the user answers success or one of the two cancel codes:
    // then nothing is copied behind the user's back.
    const bool userCancelled = aborted && (result == 0 || result == kUserCancelled || result == kOpCancelled);
    if (userCancelled && !nothingToCopy) {
        tally_.lose(currentSource_);
        reportShort(failure);
        return;
    }
    // The shell may answer success and still leave files out or short (a
    // file in use, a path too long, a full target), or fail and leave a
    // complete copy: only the check against the source tells. What it cannot
    // complete is reported; a complete copy is not, whatever the shell said.
    const CopyShortfall shortfall =
        completeCopy(*door, Source, Dest, where, messageServer(), nullptr, [this] { return mediaChange(); });
    reportShortfall(Source, Dest, shortfall);
}

void TfrmBackup::reportShortfall(const std::string& Source, const std::string& Dest, const CopyShortfall& shortfall) {
    if (shortfall.files > shortfall.missing) filesSaved_ += static_cast<std::uint64_t>(shortfall.files - shortfall.missing);
    if (!shortfall.any()) return;
    if (shortfall.targetSwapped) targetSwapped_ = true;
    else if (shortfall.targetGone) targetGone_ = true;
    tally_.missing += shortfall.missing;
    // Counted from the listings at hand: there may be more.
    if (shortfall.sourceGone) tally_.missingAtLeast = true;
    // A source gone before the check listed a file: whatever the shell got
    // across is all there is of it.
    const auto nothingIn = [this](const std::string& folder) {
        std::uint32_t error = 0;
        const auto entries = shellFiles_.listFolder(folder, error, {});
        return !entries || entries->empty();
    };
    if (shortfall.targetGone || (shortfall.files > 0 && shortfall.missing >= shortfall.files) ||
        (shortfall.sourceGone && shortfall.missing >= shortfall.files && nothingIn(Dest)))
        tally_.lose(currentSource_);
    else ++tally_.sourcesShort;
    reportShort(shortfallText(shellFiles_, Source, Dest, shortfall));
}

bool TfrmBackup::targetPresent(int n) {
    const std::string& t = snapshot_.targetText(n);
    return !t.empty() && isAbsolutePath(t) && system_.directoryExists(withTrailingDelimiter(t));
}

void TfrmBackup::miExecNowClick(Ctl Sender) {
    // A run inside a run would delete the weekday folder the other one is
    // writing, and its end would let the program be ended mid-copy.
    if (BackupRunning) return;
    BackupRunning = true;
    const KeepAwake awake(sleep_);
    scheduleRunStarted(Sender);
    ApplicationEvents1Restore(Ctl::frmBackup);
    const LocalDateTime start = clock_.now();
    tally_ = RunTally{};
    door_.reset();
    record_.reset();
    filesSaved_ = 0;
    lowSpaceTip_.clear();
    runStart_ = start;
    openRunInLog();
    runRecorded_ = false;
    targetSwapped_ = targetGone_ = oldDeleted_ = false;
    currentSource_ = 0;
    // What the run works on is taken once: a box unticked or a path changed
    // meanwhile applies to the next run, never to a step not yet reached.
    snapshot_ = takeSnapshot([this](int k) { return window_.checked(cbPfad(k)); },
                             [this](int k) { return window_.text(edPfad(k)); },
                             [this](int n) { return window_.text(edTarget(n)); });
    // The sources' media as the run finds them; one not there yet is known
    // from the moment its copy starts.
    for (SnapshotSource& s : snapshot_.sources)
        if (s.ticked && isAbsolutePath(s.text)) s.medium = mediumOf(shellFiles_, s.folder());
    runFolder_.clear();
    // Should the run never reach its end, the next start knows, and shows
    // what the run reported. A settings file that cannot be written must not
    // cost the backup itself.
    markRunning({});
    try {
        startKeptReports();
        keeping_ = true;
    } catch (...) {
    }
    try {
        runSteps();
        endRecord();
        recordOutcome(start);
    } catch (...) {
        // Whatever was done is not a complete backup; the outcome still
        // reaches the user where it can.
        ++tally_.sourcesShort;
        try {
            endRecord();
            recordOutcome(start);
        } catch (...) {
        }
        finishRun(Sender);
        throw;
    }
    finishRun(Sender);
}

void TfrmBackup::finishRun(Ctl Sender) {
    catalogRunEnded();
    mediumLock_.reset();
    // The tick and the shutdown road finish their runs themselves.
    if (Sender == Ctl::miExecNow) returnToWaiting();
}

void TfrmBackup::runSteps() {
    window_.setEnabled(Ctl::btnActive, false);
    window_.setEnabled(Ctl::btnQuit, false);
    window_.setText(Ctl::pnTitle, txt::StatusRunning);
    pause(kPause);
    // A window gone reads as empty fields and unticked boxes: the run stops
    // before it takes that for the user's choice.
    if (windowGone_) {
        tally_.targetPresent = true;
        reportSourcesNotReached(1);
        return;
    }

    const TargetChoice choice = chooseTarget(
        settings().readInteger(ini::Rotation), [this](int n) { return !snapshot_.targetText(n).empty(); },
        [this](int n) { return isAbsolutePath(snapshot_.targetText(n)); },
        [this](int n) { return targetPresent(n); });
    tally_.targetPresent = choice.present;
    if (!choice.present) reportShort(txt::ErrNoTargets);
    if (choice.target == 0) {
        CurrentTarget.clear();
        CurrentTargetNo = 0;
        return;
    }
    const int chosen = choice.target;
    const bool present = choice.present;
    CurrentTargetNo = chosen;
    CurrentTarget = snapshot_.targetText(chosen);

    const LocalDateTime today = clock_.now();
    const std::string weekday = std::to_string(isoWeekday(today.year, today.month, today.day));
    const std::string W = withTrailingDelimiter(CurrentTarget) + weekday;
    const TargetPath root = targetFolder(shellFiles_, CurrentTarget), Wp = root / weekday;
    snapshot_.targetNo = chosen;
    snapshot_.target = CurrentTarget;
    snapshot_.weekday = weekday;
    snapshot_.W = W;
    if (present) snapshot_.targetMedium = mediumOf(shellFiles_, root.shown);
    if (auto door = present ? TargetDoor::open(shellFiles_, snapshot_) : std::nullopt) door_.emplace(std::move(*door));

    const std::uintptr_t owner = window_.handle();

    // Without a source to copy, deleting last week's backup would only lose it.
    if (!snapshot_.anySource()) {
        tally_.noSource = true;
        tally_.earlierKept = present && system_.directoryExists(W);
        reportShort(tally_.earlierKept ? fill(txt::ErrNoSource, {W}) : std::string(txt::ErrNoSourceNoneKept));
        settings().writeInteger(ini::Rotation, CurrentTargetNo);
        return;
    }

    if (present) {
        runFolder_ = W;
        markRunning(W);
        catalogRunStarted();
    }

    // Kept, today's weekday folder is brought level instead of deleted.
    const bool keep = settings().readText(ini::OnlyChanges) == "1";
    std::array<std::string, 5> pNames;
    bool usable = true;  // nothing of the target stands in the way of the copies
    if (!present) {
        // Told as every run tells a weekday folder it did not find.
        report(fill(txt::ErrNotDeleted, {weekday}));
    } else if (!door_ || mediaChange() == MediaChange::Target) {
        // A target whose medium cannot be known cannot be checked either.
        usable = false;
    } else if (!waitForMedium() || !ownWeekdayFolder(W) || !roomForBackup(W, keep)) {
        return;
    } else if (keep && system_.directoryExists(W)) {
        usable = pruneWeekdayFolder(root, weekday, pNames);
    } else if (system_.directoryExists(W)) {
        window_.setText(Ctl::pnTitle, txt::StatusDeleting);
        dateredundanz(W, owner);
        oldDeleted_ = !system_.directoryExists(W);
        pause(kPause);
        usable = !weekdayFolderIsLink(root, weekday, false);  // the deletion told why
        if (usable && !targetSwapped_ && !roomAfterDeletion(W)) return;
    } else {
        // The first backup on this weekday: nothing is wrong.
        logReport(fill(txt::ErrNotDeleted, {weekday}), clock_.now(), EventType::Information, kEventFirstOnWeekday);
    }

    if (present && usable) {
        Account me;
        if (shellFiles_.currentAccount(me) == 0 && !me.sid.empty() && isFolderPerAccount(CurrentTarget, me.name))
            door_->keepPrivateTo(me.sid);
        if (door_->makeWeekdayFolder()) beginRecord(today);
    }

    window_.setText(Ctl::pnTitle, txt::StatusSaving);
    for (int k = 1; k <= 5; ++k) {
        if (windowGone_) {
            reportSourcesNotReached(k);
            break;
        }
        const SnapshotSource& s = snapshot_.source(k);
        if (!s.ticked) continue;
        ++tally_.sources;
        const std::string& source = s.text;
        if (targetSwapped_ || (present && mediaChange() == MediaChange::Target)) {
            tally_.lose(k);
            reportShort(fill(txt::ErrTargetSwapped, {source, CurrentTarget}));
            continue;
        }
        // A kept copy keeps its folder's spelling: a Windows target knows it by any.
        const std::string pName = pNames[static_cast<std::size_t>(k - 1)].empty()
                                      ? "P" + std::to_string(k)
                                      : pNames[static_cast<std::size_t>(k - 1)];
        const std::string D = (Wp / pName).shown + "\\";
        if (targetGone_) {
            tally_.lose(k);
            reportShort(fill(txt::ErrTargetGoneBefore, {source, CurrentTarget}));
            continue;
        }
        // Folders are only made inside a target that is there: an absent
        // target folder is not created on whatever drive now has its letter,
        // nor one inside a weekday folder that leads elsewhere.
        if (!present || !usable || !door_ || !door_->makeSourceFolder(pName)) {
            if (door_ && !door_->sameMedium()) {
                targetGone_ = !door_->swapped();
                tally_.lose(k);
                reportShort(fill(targetGone_ ? txt::ErrTargetGoneBefore : txt::ErrTargetSwapped, {source, CurrentTarget}));
                continue;
            }
            tally_.lose(k);
            reportShort(fill(txt::ErrDestination, {source, W, k}));
            continue;
        }
        window_.setText(Ctl::pnTitle, fill(txt::StatusSavingSource, {source}));
        currentSource_ = k;
        if (keep) mirrorfiles(s.folder(), D, source);
        else copyfiles(s.folder(), D, owner);
        currentSource_ = 0;
        pause(kPause);
    }
    if (targetGone_) {
        report(fill(oldDeleted_ ? txt::ErrTargetGoneOldDeleted : txt::ErrTargetGoneIncomplete, {CurrentTarget, W}));
        tally_.targetGone = true, tally_.oldDeleted = oldDeleted_, tally_.saved = filesSaved_;
    }
    else if (present) noteSpaceLeft();

    settings().writeInteger(ini::Rotation, CurrentTargetNo);
}

void TfrmBackup::noteSourceMedium(const std::string& Source) {
    if (currentSource_ == 0) return;
    SnapshotSource& s = snapshot_.source(currentSource_);
    if (!s.medium) s.medium = mediumOf(shellFiles_, Source);
}

void TfrmBackup::loseEverySource() {
    tally_.sources = 0;
    for (int k = 1; k <= 5; ++k) {
        const SnapshotSource& s = snapshot_.source(k);
        if (!s.ticked || s.text.empty()) continue;
        ++tally_.sources;
        tally_.lose(k);
    }
}

bool TfrmBackup::waitForMedium() {
    const std::string key = MediumLock::keyOf(*snapshot_.targetMedium);
    const std::uint32_t since = clock_.tickCount();
    for (bool told = false;; told = true) {
        std::uintptr_t lock = 0;
        const std::uint32_t e = shellFiles_.lockMedium(key, lock);
        if (e == 0) {
            mediumLock_.emplace(shellFiles_, lock);
            return true;
        }
        // A lock that cannot be had at all must not keep the backup from being made.
        if (e != ERROR_BUSY_) return true;
        if (clock_.tickCount() - since >= kMediumWaitMs) break;
        if (!told) window_.setText(Ctl::pnTitle, fill(txt::StatusWaitingForMedium, {CurrentTarget}));
        pause(kPause);
    }
    loseEverySource();
    reportShort(fill(txt::ErrMediumBusy, {CurrentTarget, kMediumWaitMs / 3600000}));
    settings().writeInteger(ini::Rotation, CurrentTargetNo);
    return false;
}

bool TfrmBackup::ownWeekdayFolder(const std::string& W) {
    Account me;
    if (shellFiles_.currentAccount(me) != 0) me = {};
    const auto found = readWeekdayRecord(onTarget(), onTarget().weekdayFolder());
    const FolderOwner owner = ownerOf(found, me.sid, me.computer);
    if (owner == FolderOwner::Own || owner == FolderOwner::Unrecorded) return true;
    loseEverySource();
    const std::string own = withTrailingDelimiter(CurrentTarget) + shortAccountName(me.name);
    reportShort(fill(txt::ErrOtherAccount, {CurrentTarget, W, found->account, found->computer, own}));
    settings().writeInteger(ini::Rotation, CurrentTargetNo);
    return false;
}

void TfrmBackup::beginRecord(const LocalDateTime& start) {
    Account me;
    // Unknown to itself, the run leaves no record that would claim the folder for nobody.
    if (shellFiles_.currentAccount(me) != 0 || me.sid.empty()) return;
    WeekdayRecord r{me.name, me.sid, me.computer, CurrentTargetNo, start};
    if (writeWeekdayRecord(onTarget(), r) == 0) record_ = r;
}

void TfrmBackup::endRecord() {
    if (!record_ || !door_ || door_->swapped()) return;
    record_->state = recordStateOf(tally_.outcome());
    record_->end = clock_.now();
    record_->files = filesSaved_;
    record_->missing = static_cast<std::uint64_t>(tally_.missing);
    (void)writeWeekdayRecord(*door_, *record_);
}

TargetDoor* TfrmBackup::doorFor(const std::string& Dest) {
    if (door_) return &*door_;
    // Called on its own, outside a run: the copy writes, or the deletion
    // deletes, only its own folder, through a door of its own, checked the
    // same way.
    std::string dest = Dest;
    while (dest.size() > 3 && (dest.back() == '\\' || dest.back() == '/')) dest.pop_back();
    RunSnapshot own;
    own.target = parentOf(dest);
    own.weekday = dest.substr(dest.find_last_of("\\/") + 1);
    if (own.target.empty() || own.weekday.empty()) return nullptr;
    own.targetMedium = mediumOf(shellFiles_, withTrailingDelimiter(own.target));
    if (auto door = TargetDoor::open(shellFiles_, own)) door_.emplace(std::move(*door));
    return door_ ? &*door_ : nullptr;
}

TargetDoor& TfrmBackup::onTarget() {
    if (!door_) throw std::logic_error("no target chosen");
    return *door_;
}

MediaChange TfrmBackup::mediaChange() {
    if (door_ && door_->swapped()) return MediaChange::Target;
    // A medium that is gone is left to the steps that meet it: they report
    // it as gone. Only another medium in its place is a change.
    if (snapshot_.targetMedium &&
        compareMedium(shellFiles_, withTrailingDelimiter(snapshot_.target), *snapshot_.targetMedium) ==
            MediumState::Changed)
        return MediaChange::Target;
    if (currentSource_ != 0) {
        const SnapshotSource& s = snapshot_.source(currentSource_);
        if (s.medium && compareMedium(shellFiles_, s.folder(), *s.medium) == MediumState::Changed)
            return MediaChange::Source;
    }
    return MediaChange::None;
}

}  // namespace zb
