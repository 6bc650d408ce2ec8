// The run's note in the catalog of backed-up files: which backup it
// replaces from its start, and what its weekday folder holds at its end.
#include "core/catalog/catalog_keeper.h"
#include "core/catalog/sqlite_db.h"
#include "core/message.h"
#include "core/paths.h"
#include "core/uMain.h"
#include "resources/restore_texts.h"

namespace zb {

namespace {

CatalogRun runOf(const RunSnapshot& s, CatalogKeeper& keeper) {
    CatalogRun run;
    run.targetNo = s.targetNo;
    run.target = s.target;
    run.medium = s.targetMedium ? mediumText(*s.targetMedium) : std::string();
    run.label = keeper.files().volumeLabel(withTrailingDelimiter(s.target));
    run.weekdayFolder = s.W;
    run.weekday = std::stoi(s.weekday);
    return run;
}

}  // namespace

void TfrmBackup::catalogRunStarted() {
    if (!catalog_ || !snapshot_.targetMedium) return;
    // The backup must not depend on its catalog: whatever fails here is
    // told, and the run goes on.
    try {
        std::string note;
        CatalogRun run = runOf(snapshot_, *catalog_);
        run.start = runStart_;
        catalog_->use([&](Catalog& c) { catalogRun_ = c.runStarted(run); }, note);
        if (!note.empty()) report(note);
    } catch (const std::exception& e) {
        report(fill(txt::ErrCatalogWrite, {e.what()}));
    }
}

void TfrmBackup::catalogRunEnded() {
    const std::int64_t id = catalogRun_;
    catalogRun_ = 0;
    if (!catalog_ || id == 0) return;
    try {
        std::string note;
        // Without room the run left the weekday folder as it was.
        if (tally_.noRoom) {
            catalog_->use([&](Catalog& c) { c.runDropped(id); }, note);
            if (!note.empty()) report(note);
            return;
        }
        CatalogRun run = runOf(snapshot_, *catalog_);
        run.start = runStart_;
        run.end = clock_.now();
        const Outcome outcome = tally_.outcome();
        run.result = outcome == Outcome::Complete     ? RunResult::Complete
                     : outcome == Outcome::Incomplete ? RunResult::Incomplete
                                                      : RunResult::Failed;
        for (int k = 1; k <= 5; ++k) {
            const SnapshotSource& s = snapshot_.source(k);
            if (s.ticked && !s.text.empty()) run.sources[static_cast<std::size_t>(k - 1)] = s.folder();
        }
        // What the weekday folder holds now is what can be restored from it.
        run.files = listBackup(shellFiles_, snapshot_.W, messageServer());
        // On a new catalog the run is not known yet: it is told whole.
        catalog_->use([&, first = true](Catalog& c) mutable {
            const std::int64_t known = first ? id : 0;
            first = false;
            c.runEnded(known, run);
        }, note);
        if (!note.empty()) report(note);
    } catch (const std::exception& e) {
        try {
            report(fill(txt::ErrCatalogWrite, {e.what()}));
        } catch (...) {
        }
    }
}

}  // namespace zb
