#include "core/restore/restore.h"

#include <cstdlib>

#include "core/message.h"
#include "core/names.h"
#include "resources/restore_texts.h"

namespace zb {

namespace {

// FAT keeps times to two seconds.
constexpr std::int64_t kTimeSlack = 2 * 10000000LL;

bool sameTime(std::int64_t a, std::int64_t b) { return std::llabs(a - b) <= kTimeSlack; }

std::string parentOf(const std::string& path) {
    const auto cut = path.rfind('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string lastName(const std::string& path) {
    const auto cut = path.rfind('\\');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string joined(const std::string& folder, const std::string& rest) {
    if (rest.empty()) return folder;
    return (!folder.empty() && folder.back() == '\\' ? folder : folder + "\\") + rest;
}

std::string withoutDelimiter(std::string s) {
    while (s.size() > 3 && s.back() == '\\') s.pop_back();
    return s;
}

// "Angebot.docx" → {"Angebot", ".docx"}; a leading dot is part of the name.
std::pair<std::string, std::string> splitExtension(const std::string& name) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return {name, ""};
    return {name.substr(0, dot), name.substr(dot)};
}

}  // namespace

std::uint64_t RestorePlan::bytes() const {
    std::uint64_t all = 0;
    for (const RestoreItem& i : items) all += i.size;
    return all;
}

RestorePlan planToOriginal(const Version& v, const Place& p) {
    RestorePlan plan{withoutDelimiter(p.sourceFolder), {}};
    plan.items.push_back({p.fileIn(v.path, v.source), joined(plan.place, v.path), v.size, v.lastWrite});
    return plan;
}

RestorePlan planToFolder(const Version& v, const Place& p, const std::string& folder) {
    RestorePlan plan{withoutDelimiter(folder), {}};
    plan.items.push_back({p.fileIn(v.path, v.source), joined(plan.place, v.name()), v.size, v.lastWrite});
    return plan;
}

RestorePlan planFolder(const Place& p, int source, const std::string& below, const std::vector<CatalogFile>& files,
                       const std::optional<std::string>& folder) {
    RestorePlan plan;
    // Into a picked folder the backup's folder comes as one folder of that name.
    plan.place = withoutDelimiter(folder ? *folder : p.sourceFolder);
    const std::string base = folder ? joined(plan.place, below.empty() ? "P" + std::to_string(source) : lastName(below))
                                    : joined(plan.place, below);
    const std::size_t skip = below.empty() ? 0 : below.size() + 1;
    for (const CatalogFile& f : files)
        plan.items.push_back({p.fileIn(f.path, source), joined(base, f.path.substr(skip)), f.size, f.lastWrite});
    return plan;
}

RestorePlan planAllVersions(const std::vector<Version>& versions, const std::string& folder,
                            const std::function<std::string(std::int64_t)>& when,
                            const std::function<bool(const Place&)>& reachable) {
    RestorePlan plan{withoutDelimiter(folder), {}};
    for (const Version& v : versions) {
        for (const Place& p : v.places) {
            if (!reachable(p)) continue;
            const auto [stem, ext] = splitExtension(v.name());
            const std::string name = stem + " (" + nameSafe(when(v.lastWrite)) + ")" + ext;
            plan.items.push_back({p.fileIn(v.path, v.source), joined(plan.place, name), v.size, v.lastWrite});
            break;
        }
    }
    return plan;
}

std::string nameSafe(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
            c == '|' || (static_cast<unsigned char>(c) < 0x20))
            c = '-';
    return out;
}

std::string keptName(const std::string& name, const std::string& date, int n) {
    const auto [stem, ext] = splitExtension(name);
    return (n > 1 ? fill(txt::KeptNameN, {stem, nameSafe(date), n}) : fill(txt::KeptName, {stem, nameSafe(date)})) +
           ext;
}

RestoreDoor::RestoreDoor(IRestoreFiles& files, IShellFiles& ids, std::string place)
    : files_(files), ids_(ids), place_(withoutDelimiter(std::move(place))) {}

bool RestoreDoor::inside(const std::string& path) const {
    if (place_.size() < 3 || path.size() <= place_.size() + 1) return false;
    const std::string head = place_.back() == '\\' ? place_ : place_ + "\\";
    if (!sameName(path.substr(0, head.size()), head)) return false;
    std::size_t from = head.size();
    while (from <= path.size()) {
        const auto cut = path.find('\\', from);
        const std::string part = path.substr(from, cut == std::string::npos ? std::string::npos : cut - from);
        if (part.empty() || part == "." || part == ".." || part.find('/') != std::string::npos ||
            part.find(':') != std::string::npos)
            return false;
        if (cut == std::string::npos) break;
        from = cut + 1;
    }
    return true;
}

std::uint32_t RestoreDoor::check(const std::string& path) {
    if (!inside(path)) return ERROR_ACCESS_DENIED_;
    // The place is known by identity from its first write on: a folder put
    // in its stead (another drive under the letter, a link) gets nothing.
    FileId now;
    if (!id_) {
        if (const std::uint32_t e = files_.makeFolders(place_); e != 0) return e;
        if (const std::uint32_t e = ids_.fileIdentity(place_, now); e != 0) return e;
        id_ = now;
        return 0;
    }
    if (ids_.fileIdentity(place_, now) != 0 || !(now == *id_)) return ERROR_PATH_NOT_FOUND_;
    return 0;
}

std::uint32_t RestoreDoor::makeFolders(const std::string& path) {
    if (sameName(withoutDelimiter(path), place_)) return check(place_ + "\\x");
    if (const std::uint32_t e = check(path); e != 0) return e;
    return files_.makeFolders(path);
}

std::uint32_t RestoreDoor::copyNew(const std::string& from, const std::string& to, const CopyGoOn& goOn) {
    if (const std::uint32_t e = check(to); e != 0) return e;
    const std::uint32_t e = files_.copyNew(from, to, goOn);
    if (e == 0) written_.push_back(to);
    return e;
}

std::uint32_t RestoreDoor::renameNew(const std::string& from, const std::string& to) {
    if (const std::uint32_t e = check(from); e != 0) return e;
    if (const std::uint32_t e = check(to); e != 0) return e;
    return files_.renameNew(from, to);
}

std::uint32_t RestoreDoor::removeOwn(const std::string& path) {
    bool own = false;
    for (const std::string& w : written_) own = own || w == path;
    if (!own) return ERROR_ACCESS_DENIED_;
    if (const std::uint32_t e = check(path); e != 0) return e;
    return files_.removeFile(path);
}

int existingFiles(IRestoreFiles& files, const RestorePlan& plan) {
    int n = 0;
    for (const RestoreItem& i : plan.items) {
        FileEntry e;
        if (files.entryInfo(i.to, e) == 0 && !(e.size == i.size && sameTime(e.lastWrite, i.lastWrite))) ++n;
    }
    return n;
}

RestoreOutcome restore(IRestoreFiles& files, IShellFiles& ids, const RestorePlan& plan, const std::string& date,
                       const RestoreProgress& progress, const std::function<std::string(std::uint32_t)>& errorText) {
    RestoreOutcome o;
    o.total = static_cast<int>(plan.items.size());
    RestoreDoor door(files, ids, plan.place);
    const std::uint64_t all = plan.bytes();
    std::uint64_t before = 0;
    const auto fail = [&](const RestoreItem& i, const std::string& why) { o.failed.push_back({i.to, why}); };
    const auto why = [&](std::uint32_t e) {
        if (e == ERROR_PATH_NOT_FOUND_ && !door.inside(plan.place + "\\x")) return std::string(txt::WhyOutside);
        const std::string t = errorText(e);
        return t.empty() ? "Fehler " + std::to_string(e) : t;
    };
    for (const RestoreItem& item : plan.items) {
        if (progress && !progress(before, all)) {
            o.cancelled = true;
            break;
        }
        if (!door.inside(item.to)) {
            fail(item, txt::WhyOutside);
            continue;
        }
        FileEntry there;
        const bool exists = files.entryInfo(item.to, there) == 0;
        if (exists && there.folder) {
            fail(item, txt::WhyFolderInWay);
            before += item.size;
            continue;
        }
        if (exists && !there.link && there.size == item.size && sameTime(there.lastWrite, item.lastWrite)) {
            ++o.restored;  // the version is there already
            before += item.size;
            continue;
        }
        const std::string folder = parentOf(item.to), name = lastName(item.to);
        if (const std::uint32_t e = door.makeFolders(folder); e != 0) {
            fail(item, why(e));
            before += item.size;
            continue;
        }
        // Copied beside under a name of its own and renamed once whole and
        // checked: a cancel or a failure leaves the old file as it was.
        std::string fresh;
        FileEntry taken;
        for (int n = 0; fresh.empty() || files.entryInfo(fresh, taken) == 0; ++n)
            fresh = joined(folder, "~" + name + (n ? "." + std::to_string(n) : "") + ".zbneu");
        bool cancelled = false;
        std::uint32_t e = door.copyNew(item.from, fresh, [&](std::uint64_t done, std::uint64_t) {
            cancelled = progress && !progress(before + done, all);
            return !cancelled;
        });
        before += item.size;
        if (cancelled || e == ERROR_CANCELLED_) {
            (void)door.removeOwn(fresh);
            o.cancelled = true;
            break;
        }
        if (e != 0) {
            fail(item, why(e));
            continue;
        }
        FileEntry made;
        if (files.entryInfo(fresh, made) != 0 || made.size != item.size || !sameTime(made.lastWrite, item.lastWrite)) {
            (void)door.removeOwn(fresh);
            fail(item, txt::WhyMismatch);
            continue;
        }
        std::string kept;
        if (exists) {
            for (int n = 1; kept.empty() || files.entryInfo(kept, taken) == 0; ++n)
                kept = joined(folder, keptName(name, date, n));
            if ((e = door.renameNew(item.to, kept)) != 0) {
                (void)door.removeOwn(fresh);
                fail(item, why(e));
                continue;
            }
        }
        if ((e = door.renameNew(fresh, item.to)) != 0) {
            if (exists) (void)door.renameNew(kept, item.to);
            (void)door.removeOwn(fresh);
            fail(item, why(e));
            continue;
        }
        ++o.restored;
        if (exists) ++o.kept;
    }
    if (progress && !o.cancelled) (void)progress(all, all);
    return o;
}

std::string outcomeLine(const RestoreOutcome& o) {
    if (o.cancelled) return fill(txt::RestoreCancelled, {o.restored, o.total});
    if (!o.failed.empty()) {
        std::string line = fill(txt::RestoredFailed, {o.restored, o.total, o.failed.front().path, o.failed.front().why});
        if (o.failed.size() > 1) line += fill(txt::RestoredFailedMore, {static_cast<int>(o.failed.size() - 1)});
        return line;
    }
    std::string line = o.restored == 1 ? std::string(txt::RestoredOne) : fill(txt::RestoredMany, {o.restored});
    if (o.kept > 0) line += fill(txt::RestoredKept, {o.kept});
    return line;
}

}  // namespace zb
