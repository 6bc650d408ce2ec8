#include "core/catalog/catalog.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "core/backup_state.h"
#include "core/catalog/sqlite_db.h"
#include "core/names.h"
#include "core/run_snapshot.h"

namespace zb {

namespace {

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value INT) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS runs(seq INTEGER PRIMARY KEY, target_no INT, target TEXT, medium TEXT, label TEXT,
  folder TEXT, weekday INT, start TEXT, finish TEXT, result INT, ended INT NOT NULL DEFAULT 0,
  gone INT NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS run_sources(run INT, k INT, folder TEXT, PRIMARY KEY(run, k)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS paths(id INTEGER PRIMARY KEY, k INT, path TEXT, key TEXT);
CREATE UNIQUE INDEX IF NOT EXISTS paths_key ON paths(k, key);
CREATE TABLE IF NOT EXISTS versions(id INTEGER PRIMARY KEY, path INT, size INT, mtime INT, first INT, last INT);
CREATE INDEX IF NOT EXISTS versions_path ON versions(path);
CREATE INDEX IF NOT EXISTS versions_mtime ON versions(mtime);
CREATE INDEX IF NOT EXISTS versions_open ON versions(last) WHERE last IS NULL;
CREATE TABLE IF NOT EXISTS missing(run INT, k INT, key TEXT);
CREATE INDEX IF NOT EXISTS missing_key ON missing(k, key);
)";

// The run whose files the open versions (last IS NULL) are.
std::int64_t openRun(Db& db) {
    Stmt q(db, "SELECT value FROM meta WHERE key='open'");
    return q.step() ? q.i64(0) : 0;
}

std::string pathKey(const std::string& path) { return nameKey(path); }

struct RunRow {
    Place place;
    bool ended = false;
};

std::map<std::int64_t, RunRow> liveRuns(Db& db) {
    std::map<std::int64_t, RunRow> runs;
    Stmt q(db,
           "SELECT seq, target_no, target, medium, label, folder, weekday, start, result, ended FROM runs "
           "WHERE gone = 0");
    while (q.step()) {
        RunRow r;
        r.place.run = q.i64(0);
        r.place.targetNo = static_cast<int>(q.i64(1));
        r.place.target = q.text(2);
        r.place.medium = q.text(3);
        r.place.label = q.text(4);
        r.place.weekdayFolder = q.text(5);
        r.place.weekday = static_cast<int>(q.i64(6));
        r.place.start = fromStamp(q.text(7)).value_or(LocalDateTime{});
        r.place.result = static_cast<RunResult>(q.i64(8));
        r.ended = q.i64(9) != 0;
        // A run that never told its end did not finish its backup.
        if (!r.ended) r.place.result = RunResult::Failed;
        runs.emplace(r.place.run, std::move(r));
    }
    return runs;
}

bool newer(const Place& a, const Place& b) { return secondsOf(a.start) > secondsOf(b.start); }

}  // namespace

std::string Place::fileIn(const std::string& path, int source) const {
    return weekdayFolder + "\\P" + std::to_string(source) + (path.empty() ? "" : "\\" + path);
}

std::string Version::name() const {
    const auto cut = path.rfind('\\');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string Version::folder() const {
    const auto cut = path.rfind('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

bool Version::whole() const {
    for (const Place& p : places)
        if (p.whole()) return true;
    return false;
}

std::string mediumText(const MediumId& id) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "%016llx-%016llx%016llx/%016llx%016llx",
                  static_cast<unsigned long long>(id.root.volume), static_cast<unsigned long long>(id.root.high),
                  static_cast<unsigned long long>(id.root.low), static_cast<unsigned long long>(id.folder.high),
                  static_cast<unsigned long long>(id.folder.low));
    return buf;
}

Catalog::Catalog(const std::string& file) : db_(std::make_unique<Db>(file)) {
    // A file that is no database fails here; damage deeper inside fails the
    // statement that meets it (CatalogError::damaged).
    db_->exec(kSchema);
}

Catalog::~Catalog() = default;

std::int64_t Catalog::runStarted(const CatalogRun& run) {
    Transaction t(*db_);
    Stmt add(*db_,
             "INSERT INTO runs(target_no, target, medium, label, folder, weekday, start, result) "
             "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    add.bind(1, run.targetNo).bind(2, run.target).bind(3, run.medium).bind(4, run.label);
    add.bind(5, run.weekdayFolder).bind(6, run.weekday).bind(7, stamp(run.start));
    add.bind(8, static_cast<int>(RunResult::Running)).run();
    const std::int64_t id = db_->lastId();
    // The weekday folder it writes is deleted or brought level: what it
    // held is no longer there to restore. Marked with the run that did it.
    Stmt gone(*db_, "UPDATE runs SET gone = ?3 WHERE medium = ?1 AND weekday = ?2 AND gone = 0 AND seq <> ?3");
    gone.bind(1, run.medium).bind(2, run.weekday).bind(3, id).run();
    t.commit();
    return id;
}

void Catalog::runDropped(std::int64_t id) {
    Transaction t(*db_);
    Stmt back(*db_, "UPDATE runs SET gone = 0 WHERE gone = ?1");
    back.bind(1, id).run();
    Stmt drop(*db_, "DELETE FROM runs WHERE seq = ?1");
    drop.bind(1, id).run();
    t.commit();
}

void Catalog::runEnded(std::int64_t id, const CatalogRun& run) {
    if (id == 0) id = runStarted(run);
    Transaction t(*db_);
    Stmt end(*db_, "UPDATE runs SET finish = ?2, result = ?3, label = ?4, ended = 1, gone = 0 WHERE seq = ?1");
    end.bind(1, id).bind(3, static_cast<int>(run.result)).bind(4, run.label);
    if (run.end) end.bind(2, stamp(*run.end));
    end.run();
    // A rebuild during the run may have read its folder half written: what
    // the run itself tells at its end is that folder now.
    Stmt others(*db_, "UPDATE runs SET gone = ?1 WHERE medium = ?2 AND weekday = ?3 AND gone = 0 AND seq <> ?1");
    others.bind(1, id).bind(2, run.medium).bind(3, run.weekday).run();
    Stmt src(*db_, "INSERT OR REPLACE INTO run_sources(run, k, folder) VALUES(?1, ?2, ?3)");
    for (int k = 1; k <= 5; ++k)
        if (!run.sources[static_cast<std::size_t>(k - 1)].empty())
            src.bind(1, id).bind(2, k).bind(3, run.sources[static_cast<std::size_t>(k - 1)]).run();

    // The files of the previous run, by source and path: what is the same
    // stays one row, what changed or is new gets one, what is gone is closed.
    struct Open {
        std::int64_t version, path;
        std::uint64_t size;
        std::int64_t mtime;
        bool seen = false;
    };
    // By source and path as last spelled: an unchanged file is found without
    // working out its key; another spelling of it is found by its key below.
    const auto spelled = [](int source, const std::string& path) {
        return static_cast<char>('0' + source) + path;
    };
    std::unordered_map<std::string, Open> open;
    open.reserve(run.files.size() + 16);
    {
        Stmt q(*db_,
               "SELECT v.id, v.path, v.size, v.mtime, p.k, p.path FROM versions v JOIN paths p ON p.id = v.path "
               "WHERE v.last IS NULL");
        while (q.step())
            open.emplace(spelled(static_cast<int>(q.i64(4)), q.text(5)),
                         Open{q.i64(0), q.i64(1), static_cast<std::uint64_t>(q.i64(2)), q.i64(3)});
    }
    std::unordered_map<std::int64_t, Open*> byPath;
    for (auto& [spelling, o] : open) byPath.emplace(o.path, &o);
    const std::int64_t previous = openRun(*db_);
    Stmt findPath(*db_, "SELECT id FROM paths WHERE k = ?1 AND key = ?2");
    Stmt respell(*db_, "UPDATE paths SET path = ?2 WHERE id = ?1");
    Stmt addPath(*db_, "INSERT INTO paths(k, path, key) VALUES(?1, ?2, ?3)");
    Stmt addVersion(*db_, "INSERT INTO versions(path, size, mtime, first) VALUES(?1, ?2, ?3, ?4)");
    Stmt close(*db_, "UPDATE versions SET last = ?2 WHERE id = ?1");
    for (const CatalogFile& f : run.files) {
        auto it = open.find(spelled(f.source, f.path));
        std::int64_t pathId = 0;
        if (it != open.end()) {
            if (!it->second.seen && it->second.size == f.size && it->second.mtime == f.lastWrite) {
                it->second.seen = true;
                continue;
            }
            pathId = it->second.path;
        } else {
            const std::string key = pathKey(f.path);
            findPath.bind(1, f.source).bind(2, key);
            if (findPath.step()) pathId = findPath.i64(0);
            findPath.reset();
            if (pathId == 0) {
                addPath.bind(1, f.source).bind(2, f.path).bind(3, key).run();
                pathId = db_->lastId();
            } else {
                // The same file under another spelling: spelled so from now on.
                respell.bind(1, pathId).bind(2, f.path).run();
                if (const auto o = byPath.find(pathId); o != byPath.end() && !o->second->seen &&
                                                        o->second->size == f.size && o->second->mtime == f.lastWrite) {
                    o->second->seen = true;
                    continue;
                }
            }
        }
        addVersion.bind(1, pathId).bind(2, static_cast<std::int64_t>(f.size)).bind(3, f.lastWrite).bind(4, id).run();
    }
    for (const auto& [key, o] : open)
        if (!o.seen) close.bind(1, o.version).bind(2, previous).run();
    Stmt mark(*db_, "INSERT OR REPLACE INTO meta(key, value) VALUES('open', ?1)");
    mark.bind(1, id).run();
    Stmt miss(*db_, "INSERT INTO missing(run, k, key) VALUES(?1, ?2, ?3)");
    for (const CatalogFile& f : run.missing) miss.bind(1, id).bind(2, f.source).bind(3, pathKey(f.path)).run();
    // Versions that lie only in backups no longer there are of no use.
    db_->exec(
        "DELETE FROM versions WHERE last IS NOT NULL AND NOT EXISTS (SELECT 1 FROM runs r WHERE r.seq "
        "BETWEEN versions.first AND versions.last AND r.gone = 0);"
        "DELETE FROM missing WHERE run IN (SELECT seq FROM runs WHERE gone <> 0);"
        "DELETE FROM run_sources WHERE run IN (SELECT seq FROM runs WHERE gone <> 0);");
    t.commit();
}

std::vector<Version> Catalog::assemble(std::vector<VersionRow> rows, std::size_t limit) {
    std::sort(rows.begin(), rows.end(), [](const VersionRow& a, const VersionRow& b) {
        return a.lastWrite != b.lastWrite ? a.lastWrite > b.lastWrite : a.key < b.key;
    });
    const auto runs = liveRuns(*db_);
    std::map<std::pair<std::int64_t, int>, std::string> sources;
    {
        Stmt q(*db_, "SELECT run, k, folder FROM run_sources");
        while (q.step()) sources[{q.i64(0), static_cast<int>(q.i64(1))}] = q.text(2);
    }
    Stmt missing(*db_, "SELECT run FROM missing WHERE k = ?1 AND key = ?2");
    std::vector<Version> out;
    std::map<std::string, std::size_t> index;  // source|key|size|time → out
    for (VersionRow& r : rows) {
        if (out.size() >= limit) break;
        Version v{r.source, std::move(r.path), r.size, r.lastWrite, {}};
        std::vector<std::int64_t> named;
        missing.bind(1, v.source).bind(2, r.key);
        while (missing.step()) named.push_back(missing.i64(0));
        missing.reset();
        for (auto it = runs.lower_bound(r.first); it != runs.end() && it->first <= r.last; ++it) {
            Place p = it->second.place;
            const auto s = sources.find({p.run, v.source});
            if (s != sources.end()) p.sourceFolder = s->second;
            for (std::int64_t n : named) p.reportedMissing = p.reportedMissing || n == p.run;
            v.places.push_back(std::move(p));
        }
        if (v.places.empty()) continue;  // only in backups that are gone
        const std::string id = std::to_string(v.source) + '|' + r.key + '|' + std::to_string(v.size) + '|' +
                               std::to_string(v.lastWrite);
        if (auto it = index.find(id); it != index.end()) {
            auto& places = out[it->second].places;
            places.insert(places.end(), v.places.begin(), v.places.end());
        } else {
            index.emplace(id, out.size());
            out.push_back(std::move(v));
        }
    }
    for (Version& v : out) std::sort(v.places.begin(), v.places.end(), newer);
    return out;
}

namespace {

constexpr const char* kRowColumns =
    "SELECT p.k, p.path, p.key, v.size, v.mtime, v.first, coalesce(v.last, ?9), v.path FROM versions v "
    "JOIN paths p ON p.id = v.path ";

VersionRow rowOf(Stmt& q) {
    return {static_cast<int>(q.i64(0)), q.text(1), q.text(2), static_cast<std::uint64_t>(q.i64(3)),
            q.i64(4), q.i64(5), q.i64(6)};
}

// Up to this many paths hold the text: their versions are fetched by path.
// More: the versions are read newest first until enough are theirs.
constexpr std::size_t kFewPaths = 4000;

}  // namespace

std::vector<Version> Catalog::search(const std::string& text, std::size_t limit) {
    if (text.empty()) return {};
    std::unordered_set<std::int64_t> ids;
    {
        Stmt q(*db_, "SELECT id FROM paths WHERE instr(key, ?1) > 0");
        q.bind(1, pathKey(text));
        while (q.step()) ids.insert(q.i64(0));
    }
    if (ids.empty()) return {};
    const std::int64_t current = openRun(*db_);
    std::vector<VersionRow> rows;
    if (ids.size() <= kFewPaths) {
        Stmt q(*db_, (std::string(kRowColumns) + "WHERE v.path = ?1").c_str());
        for (std::int64_t id : ids) {
            q.bind(1, id).bind(9, current);
            while (q.step()) rows.push_back(rowOf(q));
            q.reset();
        }
    } else {
        Stmt q(*db_, (std::string(kRowColumns) + "ORDER BY v.mtime DESC").c_str());
        q.bind(9, current);
        // Versions only in gone backups are few: rows beyond the limit are spare.
        while (rows.size() < limit * 2 + 16 && q.step())
            if (ids.count(q.i64(7))) rows.push_back(rowOf(q));
    }
    return assemble(std::move(rows), limit);
}

std::vector<Version> Catalog::versions(int source, const std::string& path) {
    Stmt q(*db_, (std::string(kRowColumns) + "WHERE p.k = ?1 AND p.key = ?2").c_str());
    q.bind(1, source).bind(2, pathKey(path)).bind(9, openRun(*db_));
    std::vector<VersionRow> rows;
    while (q.step()) rows.push_back(rowOf(q));
    const std::size_t all = rows.size();
    return assemble(std::move(rows), all);
}

std::vector<Place> Catalog::backups() {
    std::vector<Place> out;
    for (auto& [seq, r] : liveRuns(*db_)) out.push_back(r.place);
    std::sort(out.begin(), out.end(), newer);
    return out;
}

std::vector<CatalogFile> Catalog::filesIn(std::int64_t run, int source, const std::string& folder) {
    const std::int64_t current = openRun(*db_);
    const std::string prefix = folder.empty() ? std::string() : pathKey(folder) + "\\";
    Stmt q(*db_,
           "SELECT p.path, v.size, v.mtime FROM paths p CROSS JOIN versions v ON v.path = p.id WHERE p.k = ?1 "
           "AND v.first <= ?2 AND coalesce(v.last, ?3) >= ?2 AND substr(p.key, 1, ?5) = ?4 ORDER BY p.key");
    q.bind(1, source).bind(2, run).bind(3, current).bind(4, prefix).bind(5, static_cast<std::int64_t>(prefix.size()));
    std::vector<CatalogFile> out;
    while (q.step()) out.push_back({source, q.text(0), static_cast<std::uint64_t>(q.i64(1)), q.i64(2)});
    return out;
}

std::vector<BrowseEntry> Catalog::browse(std::int64_t run, int source, const std::string& folder) {
    const std::size_t skip = folder.empty() ? 0 : folder.size() + 1;
    std::map<std::string, BrowseEntry> entries;  // folders first, each once
    for (const CatalogFile& f : filesIn(run, source, folder)) {
        const std::string rest = f.path.substr(skip);
        const auto cut = rest.find('\\');
        BrowseEntry e{rest.substr(0, cut), cut != std::string::npos, 0, 0};
        if (!e.folder) {
            e.size = f.size;
            e.lastWrite = f.lastWrite;
        }
        entries.emplace((e.folder ? "0" : "1") + nameKey(e.name), e);
    }
    std::vector<BrowseEntry> out;
    for (auto& [k, e] : entries) out.push_back(std::move(e));
    return out;
}

std::string Catalog::sourceFolder(std::int64_t run, int source) {
    Stmt q(*db_, "SELECT folder FROM run_sources WHERE run = ?1 AND k = ?2");
    q.bind(1, run).bind(2, source);
    return q.step() ? q.text(0) : std::string();
}

void Catalog::forgetMedia(const std::vector<std::string>& present) {
    Transaction t(*db_);
    Stmt gone(*db_, "UPDATE runs SET gone = -1 WHERE medium = ?1 AND gone = 0");
    for (const std::string& m : present) gone.bind(1, m).run();
    t.commit();
}

RunResult resultOf(const std::string& word) {
    for (int r = 0; r <= 4; ++r)
        if (word == resultWord(static_cast<RunResult>(r))) return static_cast<RunResult>(r);
    return RunResult::Unknown;
}

const char* resultWord(RunResult r) {
    switch (r) {
        case RunResult::Running: return "läuft";
        case RunResult::Complete: return "vollständig";
        case RunResult::Incomplete: return "unvollständig";
        case RunResult::Failed: return "fehlgeschlagen";
        case RunResult::Unknown: break;
    }
    return "ohne Angaben";
}

}  // namespace zb
