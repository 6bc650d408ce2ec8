#include "core/space_rules.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>

#include "core/copycheck.h"
#include "core/paths.h"
#include "core/mirror.h"
#include "core/names.h"

namespace zb {

namespace {

// A copy's entry can stand for the source's entry of that name only when it
// is of its kind, spelled alike and no link: else the kept run takes it away.
bool canStand(const FileEntry& copy, const FileEntry& source) {
    return !copy.reparsePoint() && copy.folder == source.folder && copy.name == source.name;
}

}  // namespace

std::optional<DiskSpace> diskSpaceOf(IShellFiles& files, const std::string& path) {
    DiskSpace d;
    if (files.diskSpace(path, d.freeBytes, d.totalBytes, d.clusterBytes) != 0 || d.totalBytes == 0) return std::nullopt;
    return d;
}

std::uint64_t allocated(std::uint64_t size, std::uint32_t cluster) {
    if (cluster == 0) return size;
    return (size + cluster - 1) / cluster * cluster;
}

RoomVerdict judgeRoom(const std::optional<DiskSpace>& volume, const SpaceNeed& need) {
    RoomVerdict v;
    v.needed = need.needed + kSpaceReserve;
    if (!volume) return v;
    v.fromOld = need.freed - std::min(need.freed, need.largestReplaced);
    v.available = volume->freeBytes + v.fromOld;
    v.fits = v.needed <= v.available;
    return v;
}

bool spaceLow(const DiskSpace& after, std::uint64_t written) {
    if (after.totalBytes == 0) return false;
    return after.freeBytes < after.totalBytes / 10 || after.freeBytes < written;
}

std::string sizeText(std::uint64_t bytes, bool roundUp) {
    if (bytes < 1024) return std::to_string(bytes) + " Bytes";
    static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB", "PB"};
    std::uint64_t unit = 1024;
    for (std::size_t u = 0;; ++u, unit *= 1024) {
        const auto scaled = [&](std::uint64_t steps) {
            // In `steps` of a unit, without overflow for any size a drive has.
            const long double exact = static_cast<long double>(bytes) * steps / unit;
            const auto down = static_cast<std::uint64_t>(exact);
            return roundUp && exact > down ? down + 1 : down;
        };
        const std::uint64_t tenths = scaled(10);
        const bool last = u + 1 == std::size(kUnits);
        if (tenths < 1000) {
            char buf[32];
            std::snprintf(buf, sizeof buf, "%llu,%llu %s", static_cast<unsigned long long>(tenths / 10),
                          static_cast<unsigned long long>(tenths % 10), kUnits[u]);
            return buf;
        }
        const std::uint64_t whole = scaled(1);
        if (whole < 1024 || last) return std::to_string(whole) + " " + kUnits[u];
    }
}

std::vector<std::pair<const FileEntry*, const FileEntry*>> levelNeed(const std::vector<FileEntry>& source,
                                                                     const std::vector<FileEntry>& copy,
                                                                     std::uint32_t cluster, bool localTimes,
                                                                     SpaceNeed& need,
                                                                     std::vector<const FileEntry*>& gone) {
    // The copy's entries by name as Windows finds them; each stands for one
    // source entry at most.
    std::map<std::string, const FileEntry*> byName;
    for (const FileEntry& c : copy) byName.emplace(nameKey(c.name), &c);
    std::vector<std::pair<const FileEntry*, const FileEntry*>> below;
    for (const FileEntry& e : source) {
        const FileEntry* have = nullptr;
        if (const auto it = byName.find(nameKey(e.name)); it != byName.end()) {
            have = it->second;
            byName.erase(it);
        }
        // A link is not followed by the copy, and its copy stays.
        if (e.link) continue;
        if (have && !canStand(*have, e)) {
            if (have->folder && !have->reparsePoint()) gone.push_back(have);
            else if (!have->reparsePoint()) need.freed += allocated(have->size, cluster);
            have = nullptr;
        }
        if (e.folder) {
            if (!have) need.needed += allocated(1, cluster);
            below.emplace_back(&e, have);
            continue;
        }
        if (have && unchangedCopy(*have, e, localTimes)) continue;
        need.needed += allocated(e.size, cluster);
        ++need.files;
        if (have) {
            const std::uint64_t old = allocated(have->size, cluster);
            need.freed += old;
            need.largestReplaced = std::max(need.largestReplaced, old);
        }
    }
    // What the source no longer has goes.
    for (const auto& [name, c] : byName) {
        if (c->reparsePoint()) continue;
        if (c->folder) gone.push_back(c);
        else need.freed += allocated(c->size, cluster);
    }
    return below;
}

SpaceCounter::SpaceCounter(IShellFiles& files, std::uint32_t cluster, const std::string& target,
                           const std::function<void()>& keepAlive)
    : files_(files), cluster_(cluster), keepAlive_(keepAlive) {
    for (std::string p = files_.fullPath(target); !p.empty(); p = parentOf(p)) {
        FileId id;
        if (files_.fileIdentity(p, id) != 0) break;
        above_.push_back(id);
    }
}

void SpaceCounter::fresh(const std::string& source) {
    // A relative source is not copied: it would depend on the current directory.
    if (!isAbsolutePath(source)) return;
    const std::string full = files_.fullPath(source);
    FileId id;
    int chain = -1;
    if (!above_.empty() && files_.fileIdentity(full, id) == 0) {
        const auto it = std::find(above_.begin(), above_.end(), id);
        if (it != above_.end()) chain = static_cast<int>(it - above_.begin());
    }
    need.needed += allocated(1, cluster_);  // its folder in the weekday folder
    walk({full, {}, chain}, false);
}

bool SpaceCounter::realFolder(const std::string& full) {
    const std::string parent = parentOf(full), name = full.substr(full.find_last_of('\\') + 1);
    std::uint32_t error = 0;
    const auto entries = files_.listFolder(parent, error, keepAlive_);
    if (!entries) return false;
    for (const FileEntry& e : *entries)
        if (e.name == name) return e.folder && !e.reparsePoint();
    return false;
}

void SpaceCounter::deleted(const std::string& weekdayFolder) {
    // A weekday folder that is a link goes as the link and frees nothing.
    const std::string full = files_.fullPath(weekdayFolder);
    if (realFolder(full)) need.freed += tree(full);
}

void SpaceCounter::kept(const std::string& weekdayFolder, const std::vector<std::string>& sources, bool localTimes) {
    const std::string W = files_.fullPath(weekdayFolder);
    std::uint32_t error = 0;
    // A weekday folder that is a link is taken away as the link: nothing in it is kept.
    const auto inside = realFolder(W) ? files_.listFolder(W, error, keepAlive_) : std::nullopt;
    std::array<bool, 5> ticked{};
    for (std::size_t k = 0; k < sources.size() && k < ticked.size(); ++k) ticked[k] = !sources[k].empty();
    std::vector<const FileEntry*> stray;
    if (inside) stray = strayInWeekdayFolder(*inside, ticked);
    for (const FileEntry* e : stray) {
        if (e->reparsePoint()) continue;
        need.freed += e->folder ? tree(join(W, e->name)) : allocated(e->size, cluster_);
    }
    for (std::size_t k = 0; k < sources.size() && k < ticked.size(); ++k) {
        if (!ticked[k]) continue;
        const std::string name = "P" + std::to_string(k + 1);
        bool usable = false;
        if (inside)
            for (const FileEntry& e : *inside)
                usable = usable || (e.name == name && std::find(stray.begin(), stray.end(), &e) == stray.end());
        if (!usable) {
            fresh(sources[k]);
            continue;
        }
        keptFolder(sources[k], join(W, name), localTimes);
    }
}

void SpaceCounter::walk(Pending first, bool localTimes) {
    // Its own stack: a tree thousands of levels deep costs heap, not the thread's stack.
    std::vector<Pending> stack{std::move(first)};
    std::vector<const FileEntry*> gone;
    while (!stack.empty()) {
        const Pending w = std::move(stack.back());
        stack.pop_back();
        std::uint32_t error = 0;
        // What cannot be listed is not copied either; the copy reports it.
        const auto entries = files_.listFolder(w.src, error, keepAlive_);
        if (!entries) continue;
        serve();
        std::vector<FileEntry> copied;
        if (!w.copy.empty())
            if (auto c = files_.listFolder(w.copy, error, keepAlive_)) copied = std::move(*c);
        gone.clear();
        const auto below = levelNeed(*entries, copied, cluster_, localTimes, need, gone);
        for (const FileEntry* g : gone) need.freed += tree(join(w.copy, g->name));
        for (auto it = below.rbegin(); it != below.rend(); ++it) {
            const FileEntry& e = *it->first;
            const std::string from = join(w.src, e.name);
            int chain = -1;
            // On the way from the source down to the target: the target's
            // folder, and a target's weekday folders, hold backups, not sources.
            if (w.chain == 0 && isWeekdayFolder(e.name)) continue;
            if (w.chain > 0) {
                FileId id;
                if (files_.fileIdentity(from, id) == 0) {
                    const auto at = std::find(above_.begin(), above_.end(), id);
                    if (at == above_.begin()) continue;
                    if (at != above_.end() && at - above_.begin() < w.chain)
                        chain = static_cast<int>(at - above_.begin());
                }
            }
            stack.push_back({from, it->second ? join(w.copy, it->second->name) : std::string(), chain});
        }
    }
}

std::uint64_t SpaceCounter::tree(const std::string& folder) {
    std::uint64_t sum = allocated(1, cluster_);
    std::vector<std::string> stack{folder};
    while (!stack.empty()) {
        const std::string f = std::move(stack.back());
        stack.pop_back();
        std::uint32_t error = 0;
        const auto entries = files_.listFolder(f, error, keepAlive_);
        if (!entries) continue;
        serve();
        for (const FileEntry& e : *entries) {
            if (e.reparsePoint()) continue;
            if (e.folder) {
                sum += allocated(1, cluster_);
                stack.push_back(join(f, e.name));
            } else {
                sum += allocated(e.size, cluster_);
            }
        }
    }
    return sum;
}

}  // namespace zb
