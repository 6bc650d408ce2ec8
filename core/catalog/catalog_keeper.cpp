#include "core/catalog/catalog_keeper.h"

#include <algorithm>

#include "core/backup_state.h"
#include "core/catalog/sqlite_db.h"
#include "core/message.h"
#include "core/run_snapshot.h"
#include "core/weekday_record.h"
#include "resources/restore_texts.h"

namespace zb {

namespace {

constexpr std::size_t kRecordMost = 64 * 1024;

void listInto(IShellFiles& files, const std::string& folder, int source, const std::string& below,
              std::vector<CatalogFile>& out, const std::function<void()>& keepAlive) {
    std::uint32_t error = 0;
    const auto entries = files.listFolder(folder, error, keepAlive);
    if (!entries) return;
    if (keepAlive) keepAlive();
    for (const FileEntry& e : *entries) {
        if (e.reparsePoint()) continue;
        const std::string path = below.empty() ? e.name : below + "\\" + e.name;
        if (e.folder) listInto(files, folder + "\\" + e.name, source, path, out, keepAlive);
        else out.push_back({source, path, e.size, e.lastWrite});
    }
}

RunResult resultOfRecord(RecordState s) {
    switch (s) {
        case RecordState::Complete: return RunResult::Complete;
        case RecordState::Incomplete: return RunResult::Incomplete;
        case RecordState::Failed: return RunResult::Failed;
        case RecordState::Running: break;  // cut off: never ended
    }
    return RunResult::Failed;
}

LocalDateTime localOf(std::int64_t fileTime, const std::function<std::int32_t(std::int64_t)>& utcOffset) {
    const std::int64_t utc = fileTime / 10000000LL - 11644473600LL;
    return fromSeconds(utc + std::int64_t{utcOffset(utc)} * 60);
}

}  // namespace

std::vector<CatalogFile> listBackup(IShellFiles& files, const std::string& weekdayFolder,
                                    const std::function<void()>& keepAlive) {
    std::vector<CatalogFile> out;
    for (int k = 1; k <= 5; ++k)
        listInto(files, weekdayFolder + "\\P" + std::to_string(k), k, "", out, keepAlive);
    return out;
}

CatalogKeeper::CatalogKeeper(IRestoreFiles& files, IShellFiles& shell, std::string file)
    : files_(files), shell_(shell), file_(std::move(file)) {}

std::unique_ptr<Catalog> CatalogKeeper::open(std::string& note) {
    try {
        return std::make_unique<Catalog>(files_.databasePath(file_));
    } catch (const CatalogError& e) {
        if (!e.damaged()) throw;
    }
    putAside(note);
    return std::make_unique<Catalog>(files_.databasePath(file_));
}

void CatalogKeeper::putAside(std::string& note) {
    // Kept for whoever wants to look into it; a new one serves from now on.
    std::string aside;
    for (int n = 1; n < 100; ++n) {
        aside = file_ + ".beschädigt" + (n > 1 ? "-" + std::to_string(n) : "");
        if (files_.renameNew(file_, aside) == 0) break;
        aside.clear();
    }
    if (aside.empty()) throw CatalogError(11, "damaged catalog cannot be put aside");
    // The journal belongs to the damaged file.
    (void)files_.removeFile(file_ + "-journal");
    note = fill(txt::ErrCatalogDamaged, {aside});
}

int rebuildCatalog(Catalog& catalog, CatalogKeeper& keeper, const std::vector<RebuildTarget>& targets,
                   const std::array<std::string, 5>& sources, const std::function<std::int32_t(std::int64_t)>& utcOffset, const RebuildProgress& progress) {
    struct Found {
        CatalogRun run;
        std::int64_t order;
    };
    std::vector<Found> found;
    std::vector<std::string> media;
    std::uint64_t count = 0;
    bool stop = false;
    IShellFiles& shell = keeper.shell();
    for (const RebuildTarget& t : targets) {
        if (stop) break;
        const std::string root = t.target.empty() || t.target.back() == '\\' ? t.target : t.target + "\\";
        const auto medium = mediumOf(shell, root);
        if (!medium) continue;
        media.push_back(mediumText(*medium));
        const std::string label = keeper.files().volumeLabel(root);
        for (int day = 1; day <= 7 && !stop; ++day) {
            const std::string W = root + std::to_string(day);
            FileEntry folder;
            if (keeper.files().entryInfo(W, folder) != 0 || !folder.folder || folder.link) continue;
            if (progress && !progress(W, count)) stop = true;
            CatalogRun run;
            run.targetNo = t.targetNo;
            run.target = t.target;
            run.medium = media.back();
            run.label = label;
            run.weekdayFolder = W;
            run.weekday = day;
            run.result = RunResult::Unknown;
            run.start = localOf(folder.lastWrite, utcOffset);
            const auto text = keeper.files().readSmallFile(W + "\\" + kWeekdayRecordName, kRecordMost);
            if (const auto record = text ? parseWeekdayRecord(*text) : std::nullopt) {
                run.start = record->start;
                run.end = record->end;
                run.result = resultOfRecord(record->state);
            }
            run.files = listBackup(shell, W, [&] {
                if (progress && !progress(W, count + run.files.size())) stop = true;
            });
            if (stop) break;
            count += run.files.size();
            for (int k = 1; k <= 5; ++k) {
                FileEntry p;
                if (keeper.files().entryInfo(W + "\\P" + std::to_string(k), p) == 0 && p.folder)
                    run.sources[static_cast<std::size_t>(k - 1)] = sources[static_cast<std::size_t>(k - 1)];
            }
            found.push_back({std::move(run), 0});
            found.back().order = secondsOf(found.back().run.start);
        }
    }
    if (stop) return 0;
    catalog.forgetMedia(media);
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.order < b.order; });
    for (const Found& f : found) catalog.runEnded(0, f.run);
    return static_cast<int>(found.size());
}

}  // namespace zb
