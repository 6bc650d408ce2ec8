#pragma once
// The catalog file in the settings folder, opened for each use and closed
// after it; what lies in a weekday folder, read for a run's end and for the
// rebuild of the catalog from the drives present.
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/catalog/catalog.h"
#include "core/catalog/sqlite_db.h"
#include "platform/restore_port.h"

namespace zb {

// The files of a weekday folder ("E:\3") below P1 to P5; links are not
// followed. `keepAlive` runs between folders.
std::vector<CatalogFile> listBackup(IShellFiles& files, const std::string& weekdayFolder,
                                    const std::function<void()>& keepAlive);

class CatalogKeeper {
public:
    CatalogKeeper(IRestoreFiles& files, IShellFiles& shell, std::string file);
    // The catalog, made new when it is damaged (the damaged file put aside);
    // `note` then tells the user. Raises CatalogError when it cannot be had.
    std::unique_ptr<Catalog> open(std::string& note);
    // Runs `work` on the catalog; when the catalog turns out damaged on the
    // way, it is put aside and `work` runs once more on a new one.
    template <class Work>
    void use(Work&& work, std::string& note) {
        auto catalog = open(note);
        try {
            work(*catalog);
            return;
        } catch (const CatalogError& e) {
            if (!e.damaged()) throw;
        }
        catalog.reset();
        putAside(note);
        work(*open(note));
    }
    const std::string& file() const { return file_; }
    IRestoreFiles& files() { return files_; }
    IShellFiles& shell() { return shell_; }

private:
    void putAside(std::string& note);
    IRestoreFiles& files_;
    IShellFiles& shell_;
    std::string file_;
};

// A target to read back into the catalog: its number and text as set now.
struct RebuildTarget {
    int targetNo = 0;
    std::string target;
};

// How far a rebuild is: the folder being read and the files found so far;
// false stops it, and the catalog stays as it was.
using RebuildProgress = std::function<bool(const std::string& folder, std::uint64_t files)>;

// Reads the weekday folders of the targets present into the catalog, in the
// order their backups were made; the catalog's other drives stay as they
// are. A medium does not tell where its sources came from: `sources` are
// the source folders as set now. `utcOffset` gives the local offset for a
// folder without a record. Returns the backups read.
int rebuildCatalog(Catalog& catalog, CatalogKeeper& keeper, const std::vector<RebuildTarget>& targets,
                   const std::array<std::string, 5>& sources,
                   const std::function<std::int32_t(std::int64_t)>& utcOffset, const RebuildProgress& progress);

}  // namespace zb
