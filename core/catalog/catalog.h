#pragma once
// The catalog of backed-up files, on this computer: for every run what it
// wrote where, for every file of it the path below its source, size and
// last-write time. A file version is stored once with the range of runs
// that hold it, so a file that did not change costs nothing more per run.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace zb {

class Db;

enum class RunResult { Running = 0, Complete = 1, Incomplete = 2, Failed = 3, Unknown = 4 };

struct CatalogFile {
    int source = 0;       // 1 to 5: "P1" to "P5"
    std::string path;     // below the source folder, parts joined by "\"
    std::uint64_t size = 0;
    std::int64_t lastWrite = 0;  // FILETIME
};

// What a run tells the catalog, at its start (no files yet) and at its end.
struct CatalogRun {
    int targetNo = 0;
    std::string target;          // the target's text as typed, "E:\"
    std::string medium;          // the medium's identity (mediumText)
    std::string label;           // the volume's label
    std::string weekdayFolder;   // "E:\3"
    int weekday = 0;             // 1 (Monday) to 7
    LocalDateTime start;
    std::optional<LocalDateTime> end;
    RunResult result = RunResult::Running;
    std::array<std::string, 5> sources;  // the folder of each source backed up; empty when not
    std::vector<CatalogFile> files;
    std::vector<CatalogFile> missing;    // files the run could not back up (size and time unknown)
};

// One backup that holds a version.
struct Place {
    std::int64_t run = 0;
    int targetNo = 0;
    std::string target, medium, label, weekdayFolder, sourceFolder;
    int weekday = 0;
    LocalDateTime start;
    RunResult result = RunResult::Unknown;
    bool reportedMissing = false;  // the run named this file as not backed up
    // Whole: from a complete run that did not name this file as missing.
    bool whole() const { return result == RunResult::Complete && !reportedMissing; }
    // The file inside the weekday folder: "E:\3\P1\Angebote\Angebot.docx".
    std::string fileIn(const std::string& path, int source) const;
};

// One version of a file; the places with the same size and time collapsed.
struct Version {
    int source = 0;
    std::string path;
    std::uint64_t size = 0;
    std::int64_t lastWrite = 0;
    std::vector<Place> places;  // newest backup first
    std::string name() const;
    std::string folder() const;  // below the source; empty for its top
    bool whole() const;
};

// An entry of a folder as a backup holds it.
struct BrowseEntry {
    std::string name;
    bool folder = false;
    std::uint64_t size = 0;
    std::int64_t lastWrite = 0;
};

struct VersionRow {
    int source = 0;
    std::string path, key;
    std::uint64_t size = 0;
    std::int64_t lastWrite = 0, first = 0, last = 0;
};

class Catalog {
public:
    // Opens or creates the catalog; raises CatalogError.
    explicit Catalog(const std::string& file);
    ~Catalog();
    Catalog(const Catalog&) = delete;
    Catalog& operator=(const Catalog&) = delete;

    // A run has begun: the backup it replaces (same medium, same weekday
    // folder) is gone from that moment. Returns the run's number.
    std::int64_t runStarted(const CatalogRun& run);
    // A run that changed nothing on its target after all: the backup it
    // would have replaced is there again.
    void runDropped(std::int64_t id);
    // The run's end with all it wrote, in one transaction. `id` 0: a run
    // that was not announced (the rebuild).
    void runEnded(std::int64_t id, const CatalogRun& run);
    // Every version whose path holds `text` (as Windows compares names),
    // newest change first; at most `limit` versions.
    std::vector<Version> search(const std::string& text, std::size_t limit = 500);
    // Every version of one file.
    std::vector<Version> versions(int source, const std::string& path);
    // The backups the catalog knows that are still on their media, newest first.
    std::vector<Place> backups();
    // The entries of `folder` (below source `source`, "" for its top) in backup `run`.
    std::vector<BrowseEntry> browse(std::int64_t run, int source, const std::string& folder);
    // Every file below `folder` (all of the source for "") in backup `run`.
    std::vector<CatalogFile> filesIn(std::int64_t run, int source, const std::string& folder);
    // The folder source `source` of backup `run` was taken from; empty when not known.
    std::string sourceFolder(std::int64_t run, int source);
    // Forgets every backup of the media `present`, before their weekday
    // folders are read anew.
    void forgetMedia(const std::vector<std::string>& present);

private:
    // Versions as read, before their places are joined and the same ones collapsed.
    std::vector<Version> assemble(std::vector<VersionRow> rows, std::size_t limit);
    std::unique_ptr<Db> db_;
};

// The medium's identity as the catalog keeps it.
struct MediumId;
std::string mediumText(const MediumId& id);

RunResult resultOf(const std::string& word);
const char* resultWord(RunResult r);

}  // namespace zb
