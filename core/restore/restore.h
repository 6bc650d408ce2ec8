#pragma once
// Bringing files back from a backup: to their place or into a folder the
// user picks, never over a file silently, nothing outside the chosen place
// touched, a cancel leaving no half file.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/catalog/catalog.h"
#include "platform/ports.h"
#include "platform/restore_port.h"

namespace zb {

// One file to bring back, with size and time as the catalog knows them.
struct RestoreItem {
    std::string from;  // in the backup
    std::string to;    // where it goes, inside the plan's place
    std::uint64_t size = 0;
    std::int64_t lastWrite = 0;
};

struct RestorePlan {
    std::string place;  // the folder nothing outside of which is touched
    std::vector<RestoreItem> items;
    std::uint64_t bytes() const;
};

// A version to its original place (the source folder of that backup).
RestorePlan planToOriginal(const Version& v, const Place& p);
// A version into a folder of the user's.
RestorePlan planToFolder(const Version& v, const Place& p, const std::string& folder);
// A folder of a backup with all its files (`files` as Catalog::filesIn gives
// them), to its original place or, with `folder`, into that folder.
RestorePlan planFolder(const Place& p, int source, const std::string& below, const std::vector<CatalogFile>& files,
                       const std::optional<std::string>& folder);
// Every version of one file into `folder`, each named with its last change
// (`when` formats a FILETIME as the user reads it): to compare them. Only
// versions with a reachable place (`reachable`) are taken.
RestorePlan planAllVersions(const std::vector<Version>& versions, const std::string& folder,
                            const std::function<std::string(std::int64_t)>& when,
                            const std::function<bool(const Place&)>& reachable);

// "Angebot.docx" kept as "Angebot (vor der Wiederherstellung am 8.12.2026).docx";
// `n` > 1 when that name is taken too. `date` as the user's short date,
// made fit for a file name.
std::string keptName(const std::string& name, const std::string& date, int n = 1);
// A text made fit for a file name: characters Windows forbids become "-".
std::string nameSafe(const std::string& text);

// The door of a restore: every write goes through it, and it refuses any
// path outside its place or a place that is no longer the folder it was.
class RestoreDoor {
public:
    RestoreDoor(IRestoreFiles& files, IShellFiles& ids, std::string place);
    // Whether `path` lies inside the place: its text and then parts, none "." or "..".
    bool inside(const std::string& path) const;
    [[nodiscard]] std::uint32_t makeFolders(const std::string& path);
    [[nodiscard]] std::uint32_t copyNew(const std::string& from, const std::string& to, const CopyGoOn& goOn);
    [[nodiscard]] std::uint32_t renameNew(const std::string& from, const std::string& to);
    // Only files this door wrote itself.
    [[nodiscard]] std::uint32_t removeOwn(const std::string& path);

private:
    std::uint32_t check(const std::string& path);
    IRestoreFiles& files_;
    IShellFiles& ids_;
    std::string place_;
    std::optional<FileId> id_;
    std::vector<std::string> written_;
};

struct RestoreOutcome {
    int total = 0;
    int restored = 0;  // in place now, checked against the catalog
    int kept = 0;      // files that were there and were kept under another name
    bool cancelled = false;
    struct Failure {
        std::string path;
        std::string why;
    };
    std::vector<Failure> failed;
};

// How far a restore is: bytes done of all; false cancels.
using RestoreProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// Carries a plan out. `date`: today's short date for the names of kept
// files; `errorText` the system's text for an error code.
RestoreOutcome restore(IRestoreFiles& files, IShellFiles& ids, const RestorePlan& plan, const std::string& date,
                       const RestoreProgress& progress, const std::function<std::string(std::uint32_t)>& errorText);

// The outcome in one line.
std::string outcomeLine(const RestoreOutcome& o);

// Files of the plan that are there already, and would be kept under another name.
int existingFiles(IRestoreFiles& files, const RestorePlan& plan);

}  // namespace zb
