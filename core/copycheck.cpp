#include "core/copycheck.h"

#include <algorithm>
#include <utility>

#include "core/message.h"
#include "core/mirror.h"
#include "core/names.h"
#include "core/paths.h"
#include "resources/texts.h"

namespace zb {

namespace {

// Windows keeps such a name only through "\\?\" paths and may not be able
// to hold it on the target at all.
bool endsInBlankOrDot(const std::string& name) { return !name.empty() && (name.back() == ' ' || name.back() == '.'); }

// Errors that may mean the path, or the drive under it, is gone.
bool notFound(std::uint32_t e) {
    switch (e) {
        case ERROR_FILE_NOT_FOUND_: case ERROR_PATH_NOT_FOUND_:
        case 15:    // ERROR_INVALID_DRIVE
        case 21:    // ERROR_NOT_READY
        case 53:    // ERROR_BAD_NETPATH
        case 55:    // ERROR_DEV_NOT_EXIST
        case 64:    // ERROR_NETNAME_DELETED
        case 67:    // ERROR_BAD_NET_NAME
        case 1167:  // ERROR_DEVICE_NOT_CONNECTED
            return true;
        default: return false;
    }
}

bool byName(const FileEntry& a, const FileEntry& b) { return a.name < b.name; }

// One folder's copy, looked up by name: exactly, or as Windows would find it.
class CopyListing {
public:
    explicit CopyListing(std::vector<FileEntry> entries) : entries_(std::move(entries)) {
        std::sort(entries_.begin(), entries_.end(), byName);
    }
    const FileEntry* exact(const std::string& name) const {
        FileEntry key;
        key.name = name;
        const auto it = std::lower_bound(entries_.begin(), entries_.end(), key, byName);
        return it != entries_.end() && it->name == name ? &*it : nullptr;
    }
    // A kept copy: the entries no source entry matched are left over.
    void use(const FileEntry* e) {
        if (!e) return;
        if (used_.empty()) used_.assign(entries_.size(), false);
        used_[static_cast<std::size_t>(e - entries_.data())] = true;
    }
    bool used(const FileEntry* e) const { return !used_.empty() && used_[static_cast<std::size_t>(e - entries_.data())]; }
    std::vector<const FileEntry*> unused() const {
        std::vector<const FileEntry*> out;
        for (const FileEntry& e : entries_)
            if (!used(&e)) out.push_back(&e);
        return out;
    }
    // The copy may keep the case of an older file of the same name.
    const FileEntry* loose(const std::string& name) {
        if (folded_.empty() && !entries_.empty()) {
            folded_.reserve(entries_.size());
            for (std::size_t i = 0; i < entries_.size(); ++i) folded_.emplace_back(nameKey(entries_[i].name), i);
            std::sort(folded_.begin(), folded_.end());
        }
        const std::string key = nameKey(name);
        const auto it = std::lower_bound(folded_.begin(), folded_.end(), std::make_pair(key, std::size_t{0}));
        return it != folded_.end() && it->first == key ? &entries_[it->second] : nullptr;
    }

private:
    std::vector<FileEntry> entries_;
    std::vector<std::pair<std::string, std::size_t>> folded_;
    std::vector<bool> used_;
};

// Whether a name of the source has a twin that differs only in case.
class Twins {
public:
    explicit Twins(const std::vector<FileEntry>& entries) : entries_(entries) {}
    bool has(const std::string& name) {
        if (folded_.empty() && !entries_.empty()) {
            folded_.reserve(entries_.size());
            for (const FileEntry& e : entries_) folded_.push_back(nameKey(e.name));
            std::sort(folded_.begin(), folded_.end());
        }
        const auto range = std::equal_range(folded_.begin(), folded_.end(), nameKey(name));
        return range.second - range.first > 1;
    }

private:
    const std::vector<FileEntry>& entries_;
    std::vector<std::string> folded_;
};

// A folder still to be checked. The walk keeps its own stack: a tree nested
// thousands of levels deep costs heap, not the thread's stack.
struct Work {
    std::string src, dst, shown;
    int chain = -1;          // its index in the chain to the backup, if it leads there
    std::uint32_t lost = 0;  // its copy could not be made: why
    // A sibling differs only in case, and took the name on the target.
    bool twin = false;
    // The shell may have poured a twin's entries into this copy.
    bool merged = false;
};

class Checker {
public:
    Checker(IShellFiles& files, const BackupInSource& where, const std::function<void()>& keepAlive,
            std::string sourceRoot, std::string destRoot, KeptCopy* kept, const MediaWatch& media)
        : localTimes_(!kept && keepsLocalTimes(files, destRoot)),
          files_(files),
          media_(media),
          where_(where),
          keepAlive_(keepAlive),
          sourceRoot_(std::move(sourceRoot)),
          destRoot_(std::move(destRoot)),
          kept_(kept) {}

    void run(Work first) {
        stack_.push_back(std::move(first));
        while (!stack_.empty() && !result.targetGone && !result.sourceGone) {
            const Work w = std::move(stack_.back());
            stack_.pop_back();
            folder(w);
        }
        if (result.targetGone) countTheRest();
        // With the source gone only the listings at hand can be counted.
        if (result.sourceGone) stack_.clear();
    }

    CopyShortfall result;

private:
    void serve() {
        if (keepAlive_) keepAlive_();
    }

    // Before a folder is read, written or pruned: a medium swapped under
    // the run ends the check.
    bool swapped() {
        switch (media_ ? media_() : MediaChange::None) {
            case MediaChange::None: return false;
            case MediaChange::Source: result.sourceGone = result.sourceSwapped = true; return true;
            case MediaChange::Target: result.targetGone = result.targetSwapped = true; return true;
        }
        return false;
    }

    void folder(const Work& w) {
        if (swapped()) return;
        std::uint32_t error = 0;
        const auto entries = files_.listFolder(w.src, error, keepAlive_);
        if (!entries) {
            if (notFound(error) && deletedFromSource(w.src)) return;  // deleted while the backup ran
            if (!result.sourceGone) missFolder(w.shown, error);
            return;
        }
        serve();  // a listing of a large folder takes a while
        if (w.lost) {
            lostFolder(w, *entries);
            return;
        }
        std::vector<FileEntry> copied;
        if (auto c = files_.listFolder(w.dst, error, keepAlive_)) copied = std::move(*c);
        else if (notFound(error) && targetGone()) return rest(w, *entries, 0, {});
        if (w.merged) unmerge(w, *entries, copied);
        CopyListing copy(std::move(copied));
        serve();
        Twins twins(*entries);
        std::vector<Work> below;
        for (std::size_t i = 0; i < entries->size(); ++i) {
            const FileEntry& e = (*entries)[i];
            serve();
            if (e.link) {  // a junction can point at its own parent
                if (kept_) copy.use(copy.exact(e.name));
                continue;
            }
            const std::string from = join(w.src, e.name), to = join(w.dst, e.name), path = join(w.shown, e.name);
            int chain = -1;
            if (e.folder && w.chain >= 0 && !towardsBackup(w.chain, from, e.name, chain)) continue;
            const FileEntry* have = copy.exact(e.name);
            // A name the target may spell alike with another is never taken
            // for that other one, and never copied over it.
            const bool strict = !have && (endsInBlankOrDot(e.name) || twins.has(e.name));
            if (!have && !strict) have = copy.loose(e.name);
            const FileEntry* beside = nullptr;  // last week's copy, replaced once its successor stands
            if (kept_ && have) {
                if (const std::uint32_t stuck = keep(copy, have, beside, e, w.dst)) {
                    if (e.folder) {
                        below.push_back({from, to, path, chain, stuck});
                    } else {
                        ++result.files;
                        miss(path, stuck);
                    }
                    continue;
                }
            }
            if (e.folder) {
                std::uint32_t lost = 0;
                std::string into = to;
                if (beside && beside->folder) {
                    into = join(w.dst, beside->name);  // another spelling of the same folder
                } else if (beside) {
                    lost = folderInsteadOfFile(from, to, w.dst, *beside);
                    if (refused(lost)) return rest(w, *entries, i, std::move(below));
                } else if (!have || !have->folder) {
                    lost = files_.createFolder(from, to);
                    if (lost && (refused(lost) || (notFound(lost) && targetGone())))
                        return rest(w, *entries, i, std::move(below));
                }
                const bool twin = twins.has(e.name);
                below.push_back({from, into, path, chain, lost, twin && lost != 0, w.merged || (twin && !lost)});
                continue;
            }
            ++result.files;
            // A twin's file of the same name and size may have taken its place.
            if (have && !w.merged && (kept_ ? kept_->unchanged(*have, e) : unchangedCopy(*have, e, localTimes_))) {
                if (kept_) kept_->checked(false);
                continue;
            }
            const std::uint32_t failed =
                beside ? fileBeside(from, to, w.dst, *beside) : files_.copyFile(from, to, !strict, copying_);
            if (kept_) kept_->checked(failed == 0);
            if (failed == 0) continue;
            if (refused(failed)) {
                ++result.missing;
                return rest(w, *entries, i + 1, std::move(below));
            }
            if (notFound(failed)) {
                if (targetGone()) {
                    ++result.missing;
                    return rest(w, *entries, i + 1, std::move(below));
                }
                // Only a source that is not found may have been deleted
                // meanwhile; any other error names a file that is still there.
                if (deletedFromSource(from)) {
                    --result.files;
                    continue;
                }
            }
            miss(path, failed);
            if (result.sourceGone) return rest(w, *entries, i + 1, {});
        }
        // What the source lacks goes only while it is the source's own medium.
        if (kept_ && !swapped()) kept_->leftovers(w.dst, copy.unused());
        // In the order of the listing, as a walk by recursion would go.
        for (auto it = below.rbegin(); it != below.rend(); ++it) stack_.push_back(std::move(*it));
    }

    // A folder whose copy could not be made: its files are missing. A twin
    // is named itself, the folder a restore would miss.
    void lostFolder(const Work& w, const std::vector<FileEntry>& entries) {
        if (w.twin && result.first.empty()) {
            result.first = w.shown;
            result.error = w.lost;
        }
        bool any = false;
        for (const FileEntry& e : entries) {
            serve();
            if (e.link) continue;
            any = true;
            if (e.folder) {
                stack_.push_back({join(w.src, e.name), join(w.dst, e.name), join(w.shown, e.name), -1, w.lost});
            } else {
                ++result.files;
                miss(join(w.shown, e.name), w.lost);
            }
        }
        if (!any) missFolder(w.shown, w.lost);
    }

    // On the way from the source to the backup: false for the backup
    // itself, else the folder's place on that way, if any.
    bool towardsBackup(int here, const std::string& from, const std::string& name, int& chain) {
        if (here == where_.source && where_.sourceIsTarget() && isWeekdayFolder(name)) return false;
        const int k = placeOnTheWay(files_, where_, from);
        if (k < 0) return true;
        if (k == where_.backup) return false;
        if (k > where_.backup && k < here) chain = k;
        return true;
    }

    // The kept copy's entry for a source entry, marked as matched. A link
    // holds no backup and goes at once (then `have` is cleared; the error
    // when that fails); one of another kind or spelling stays until its
    // successor stands beside it (then it is `beside`).
    std::uint32_t keep(CopyListing& copy, const FileEntry*& have, const FileEntry*& beside, const FileEntry& e,
                       const std::string& dst) {
        if (copy.used(have)) {  // another entry's match, only as Windows spells names
            have = nullptr;
            return 0;
        }
        copy.use(have);
        if (!have->reparsePoint() && have->folder == e.folder && have->name == e.name) return 0;
        if (!have->reparsePoint()) {
            beside = have;
            have = nullptr;
            return 0;
        }
        const std::uint32_t error = kept_->clear(join(dst, have->name), *have);
        have = nullptr;
        return notFound(error) ? 0 : error;  // gone meanwhile is out of the way too
    }

    // A name for the successor while last week's copy still has the name.
    std::string besideName(const std::string& dst) { return join(dst, "~zb-neu-" + std::to_string(++besides_) + ".tmp"); }

    // The file copied where last week's copy of another kind or spelling
    // stands; that copy goes only once the new one is complete beside it.
    std::uint32_t fileBeside(const std::string& from, const std::string& to, const std::string& dst,
                             const FileEntry& old) {
        const std::string temp = besideName(dst);
        if (const std::uint32_t failed = files_.copyFile(from, temp, false, copying_)) return failed;
        std::uint32_t e = kept_->clear(join(dst, old.name), old);
        if (e == 0 || notFound(e)) e = files_.moveEntry(temp, to);
        if (e != 0) (void)files_.deleteFile(temp);
        return e;
    }

    // The folder made where last week's copy is a file; the file goes only
    // once the folder stands.
    std::uint32_t folderInsteadOfFile(const std::string& from, const std::string& to, const std::string& dst,
                                      const FileEntry& old) {
        const std::string temp = besideName(dst);
        if (const std::uint32_t e = files_.createFolder(from, temp)) return e;
        std::uint32_t e = kept_->clear(join(dst, old.name), old);
        if (e == 0 || notFound(e)) e = files_.moveEntry(temp, to);
        if (e != 0) (void)files_.removeFolder(temp);
        return e;
    }

    // Refused because another medium answers where the target was.
    bool refused(std::uint32_t e) {
        if (e != ERROR_MEDIA_CHANGED_) return false;
        result.targetGone = result.targetSwapped = true;
        return true;
    }

    bool targetGone() {
        FileId id;
        const std::uint32_t e = files_.fileIdentity(destRoot_, id);
        result.targetGone = e != 0 && notFound(e);
        return result.targetGone;
    }

    // "Not found" is a deletion by the user only when the folder above can
    // still be listed and no longer holds the entry: a pulled stick or a lost
    // share answers "not found" for everything on it, and that is no
    // deletion. A folder gone with all it held is looked for one level up;
    // when even the source cannot be listed, the source is gone.
    bool deletedFromSource(const std::string& path) {
        if (swapped()) return false;  // another card's listing says nothing about this one
        std::string child = path;
        while (child.size() > sourceRoot_.size()) {
            const std::string parent = parentOf(child);
            if (parent.empty()) break;
            if (const std::vector<std::string>* names = relisted(parent)) {
                const std::string name = child.substr(child.find_last_of("\\/") + 1);
                return !std::binary_search(names->begin(), names->end(), name);
            }
            child = parent;
        }
        result.sourceGone = true;
        return false;
    }

    // A folder of the source listed again; the last one is kept, so that
    // many files deleted from one folder cost one listing.
    const std::vector<std::string>* relisted(const std::string& folder) {
        if (relistedFolder_ != folder) {
            std::uint32_t error = 0;
            const auto entries = files_.listFolder(folder, error, keepAlive_);
            if (!entries) return nullptr;
            relistedFolder_ = folder;
            relistedNames_.clear();
            for (const FileEntry& e : *entries) relistedNames_.push_back(e.name);
            std::sort(relistedNames_.begin(), relistedNames_.end());
        }
        return &relistedNames_;
    }

    // The target is gone: what was not yet checked is missing, counted from
    // the listings, each folder of the source listed once.
    void rest(const Work& w, const std::vector<FileEntry>& entries, std::size_t from, std::vector<Work> below) {
        for (Work& b : below) stack_.push_back(std::move(b));
        for (std::size_t i = from; i < entries.size(); ++i) count(w, entries[i]);
    }
    void count(const Work& w, const FileEntry& e) {
        serve();
        if (e.link) return;
        if (!e.folder) {
            ++result.files;
            ++result.missing;
            return;
        }
        int chain = -1;
        const std::string from = join(w.src, e.name);
        if (w.chain >= 0 && !towardsBackup(w.chain, from, e.name, chain)) return;
        stack_.push_back({from, {}, {}, chain, 0});
    }
    void countTheRest() {
        while (!stack_.empty()) {
            const Work w = std::move(stack_.back());
            stack_.pop_back();
            std::uint32_t error = 0;
            if (const auto entries = files_.listFolder(w.src, error, keepAlive_)) rest(w, *entries, 0, {});
        }
    }

    // What a twin's files and folders left in this copy: whatever the
    // source does not hold by that name, in any case.
    void unmerge(const Work& w, const std::vector<FileEntry>& entries, std::vector<FileEntry>& copied) {
        std::vector<std::string> ours;
        ours.reserve(entries.size());
        for (const FileEntry& e : entries) ours.push_back(nameKey(e.name));
        std::sort(ours.begin(), ours.end());
        Remover remover(files_, keepAlive_);
        std::erase_if(copied, [&](const FileEntry& c) {
            if (std::binary_search(ours.begin(), ours.end(), nameKey(c.name))) return false;
            serve();
            (void)remover.remove(join(w.dst, c.name), c);  // what stays is no part of the report
            return true;
        });
    }

    void miss(const std::string& path, std::uint32_t error) {
        if (result.missing++ == 0 && result.folders == 0 && result.first.empty()) {
            result.first = path;
            result.error = error;
        }
    }
    void missFolder(const std::string& path, std::uint32_t error) {
        if (result.folders++ == 0 && result.missing == 0 && result.first.empty()) {
            result.first = path;
            result.error = error;
        }
    }

    const bool localTimes_;  // of a fresh copy's target
    IShellFiles& files_;
    const MediaWatch& media_;
    const BackupInSource& where_;
    const std::function<void()>& keepAlive_;
    const std::string sourceRoot_, destRoot_;
    KeptCopy* const kept_;
    const CopyProgress copying_ = [this](int percent) {
        if (kept_) kept_->copying(percent);
        serve();
    };
    std::vector<Work> stack_;
    int besides_ = 0;
    std::string relistedFolder_;
    std::vector<std::string> relistedNames_;
};

std::string reason(IShellFiles& files, std::uint32_t error) {
    switch (error) {
        case ERROR_SHARING_VIOLATION_:
        case ERROR_LOCK_VIOLATION_: return txt::ReasonInUse;
        case ERROR_DISK_FULL_:
        case ERROR_HANDLE_DISK_FULL_: return txt::ReasonDiskFull;
        case ERROR_ACCESS_DENIED_: return txt::ReasonAccessDenied;
        case ERROR_FILE_EXISTS_:
        case ERROR_ALREADY_EXISTS_:
        // Also a listed name with no UTF-8 form, which is never made another path.
        case ERROR_INVALID_NAME_: return txt::ReasonNameNotPossible;
        default: break;
    }
    const std::string text = files.errorText(error);
    return text.empty() ? fill(txt::ReasonOther, {static_cast<unsigned>(error)}) : text;
}

const char* fileWord(int n) { return n == 1 ? txt::FileSingular : txt::FilePlural; }

}  // namespace

std::string join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
    return folder + "\\" + name;
}

BackupInSource findBackupInSource(IShellFiles& files, const std::string& source, const std::string& dest) {
    BackupInSource where;
    FileId src;
    if (files.fileIdentity(source, src) != 0) return where;
    int i = 0;
    for (std::string p = files.fullPath(dest); !p.empty(); p = parentOf(p), ++i) {
        FileId id;
        if (files.fileIdentity(p, id) != 0) break;
        where.chain.push_back(id);
        if (id == src) {
            where.inside = true;
            where.source = i;
            // Destination, weekday folder, target: the highest of them below
            // the source holds every backup there is.
            where.backup = std::min(i - 1, 2);
            return where;
        }
    }
    where.chain.clear();
    return where;
}

int placeOnTheWay(IShellFiles& files, const BackupInSource& where, const std::string& folder) {
    FileId id;
    if (files.fileIdentity(folder, id) != 0) return -1;
    const auto it = std::find(where.chain.begin(), where.chain.end(), id);
    return it == where.chain.end() ? -1 : static_cast<int>(it - where.chain.begin());
}

bool holdsBackup(IShellFiles& files, const BackupInSource& where, const std::string& sourceFull,
                 const std::string& name) {
    if (!where.inside) return false;
    if (where.sourceIsTarget() && isWeekdayFolder(name)) return true;
    const int k = placeOnTheWay(files, where, join(sourceFull, name));
    return k >= 0 && k >= where.backup && k < where.source;
}

CopyShortfall completeCopy(IShellFiles& files, const std::string& source, const std::string& dest,
                           const BackupInSource& where, const std::function<void()>& keepAlive, KeptCopy* kept,
                           const MediaWatch& media) {
    const std::string sourceFull = files.fullPath(source), destFull = files.fullPath(dest);
    Checker checker(files, where, keepAlive, sourceFull, destFull, kept, media);
    checker.run({sourceFull, destFull, source, where.inside ? where.source : -1, 0});
    return checker.result;
}

std::string shortfallText(IShellFiles& files, const std::string& source, const std::string& dest,
                          const CopyShortfall& s) {
    if (s.sourceSwapped) return fill(txt::ErrSourceSwapped, {source, dest});
    if (s.targetSwapped) return fill(txt::ErrTargetSwappedDuring, {source, dest});
    if (s.sourceGone) {
        if (s.missing == 0) return fill(txt::ErrSourceGone, {source, dest});
        return fill(s.missing == 1 ? txt::ErrSourceGoneOne : txt::ErrSourceGoneMany, {source, dest, s.missing});
    }
    if (s.targetGone) {
        if (s.missing == 1) return fill(txt::ErrTargetGoneOne, {source, dest, s.files, fileWord(s.files)});
        return fill(txt::ErrTargetGoneMany, {source, dest, s.missing, s.files});
    }
    const std::string why = reason(files, s.error);
    if (s.folders > 0)
        return fill(txt::ErrIncompleteFolders, {source, s.missing, s.files, s.folders, s.first, why});
    if (s.missing == 1)
        return fill(txt::ErrIncompleteOne, {source, s.files, fileWord(s.files), s.first, why});
    return fill(txt::ErrIncompleteMany, {source, s.missing, s.files, s.first, why});
}

}  // namespace zb
