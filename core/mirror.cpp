#include "core/mirror.h"

#include <algorithm>

#include "core/names.h"
#include "core/weekday_record.h"

namespace zb {

namespace {

constexpr std::int64_t kSecond = 10000000LL;  // FILETIME units
constexpr std::int64_t kTolerance = 2 * kSecond;
constexpr std::int64_t kHour = 3600 * kSecond;

bool sameNoCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        const char c = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 32) : a[i];
        if (c != b[i]) return false;
    }
    return i == a.size() && !b[i];
}

bool gone(std::uint32_t e) { return e == ERROR_FILE_NOT_FOUND_ || e == ERROR_PATH_NOT_FOUND_; }

}  // namespace

bool keepsLocalTimes(const std::string& fileSystem) {
    return sameNoCase(fileSystem, "FAT") || sameNoCase(fileSystem, "FAT12") || sameNoCase(fileSystem, "FAT16") ||
           sameNoCase(fileSystem, "FAT32") || sameNoCase(fileSystem, "EXFAT");
}

bool keepsLocalTimes(IShellFiles& files, const std::string& path) {
    std::string fileSystem;
    return files.fileSystemName(path, fileSystem) == 0 && keepsLocalTimes(fileSystem);
}

bool unchangedCopy(const FileEntry& copy, const FileEntry& source, bool localTimes) {
    if (copy.folder || copy.reparsePoint() || copy.size != source.size) return false;
    std::int64_t d = copy.lastWrite - source.lastWrite;
    if (d < 0) d = -d;
    // Elsewhere the copy keeps the source's time exactly: a file rewritten
    // within two seconds at the same size is no copy of the new one.
    if (!localTimes) return d == 0;
    return d <= kTolerance || (d >= kHour - kTolerance && d <= kHour + kTolerance);
}

std::vector<const FileEntry*> strayInWeekdayFolder(const std::vector<FileEntry>& entries,
                                                   const std::array<bool, 5>& ticked,
                                                   std::array<std::string, 5>* kept) {
    // The copy of source k: its own spelling first, else the first other one.
    std::array<const FileEntry*, 5> copyOf{};
    for (int pass = 0; pass < 2; ++pass)
        for (const FileEntry& e : entries) {
            if (!e.folder || e.reparsePoint()) continue;
            for (std::size_t k = 0; k < 5; ++k) {
                const std::string name = "P" + std::to_string(k + 1);
                if (ticked[k] && !copyOf[k] && (pass == 0 ? e.name == name : sameName(e.name, name))) copyOf[k] = &e;
            }
        }
    std::vector<const FileEntry*> stray;
    for (const FileEntry& e : entries)
        if (std::find(copyOf.begin(), copyOf.end(), &e) == copyOf.end() &&
            !(!e.folder && !e.reparsePoint() && sameName(e.name, kWeekdayRecordName)))
            stray.push_back(&e);
    if (kept)
        for (std::size_t k = 0; k < 5; ++k) (*kept)[k] = copyOf[k] ? copyOf[k]->name : std::string();
    return stray;
}

void Remover::note(const std::string& path, std::uint32_t error) {
    if (error == 0 || gone(error)) return;
    if (failures.count++ == 0) {
        failures.first = path;
        failures.error = error;
    }
}

std::uint32_t Remover::remove(const std::string& path, const FileEntry& entry) {
    std::uint32_t last = 0;
    if (entry.reparsePoint()) {
        last = entry.folder ? files_.removeFolder(path) : files_.deleteFile(path);
    } else if (!entry.folder) {
        last = files_.deleteFile(path);
    } else {
        // Depth first with a stack of our own: a folder is removed once
        // everything in it is. A deep tree costs heap, not the thread's stack.
        const int before = failures.count;
        struct Item {
            std::string path;
            bool emptied;
        };
        std::vector<Item> stack{{path, false}};
        while (!stack.empty()) {
            Item item = std::move(stack.back());
            stack.pop_back();
            if (item.emptied) {
                last = files_.removeFolder(item.path);
                // A folder that stays because something in it stayed is not counted twice.
                if (last != ERROR_DIR_NOT_EMPTY_) note(item.path, last);
                continue;
            }
            std::uint32_t error = 0;
            const auto entries = files_.listFolder(item.path, error, keepAlive_);
            stack.push_back({item.path, true});
            if (!entries) {
                note(item.path, error);
                continue;
            }
            for (const FileEntry& e : *entries) {
                if (keepAlive_) keepAlive_();
                const std::string p = join(item.path, e.name);
                if (e.folder && !e.reparsePoint()) stack.push_back({p, false});
                else note(p, e.folder ? files_.removeFolder(p) : files_.deleteFile(p));
            }
        }
        if (last == ERROR_DIR_NOT_EMPTY_ && failures.count == before) note(path, last);
        return gone(last) ? 0 : last;
    }
    note(path, last);
    return gone(last) ? 0 : last;
}

bool KeptFolder::unchanged(const FileEntry& copy, const FileEntry& source) {
    return unchangedCopy(copy, source, localTimes_);
}

std::uint32_t KeptFolder::clear(const std::string& path, const FileEntry& entry) {
    return remover_.remove(path, entry);
}

void KeptFolder::leftovers(const std::string& folder, const std::vector<const FileEntry*>& entries) {
    for (const FileEntry* e : entries) (void)remover_.remove(join(folder, e->name), *e);
}

void KeptFolder::checked(bool copied) {
    copyingPercent = -1;
    ++checkedFiles;
    if (copied) ++copiedFiles;
}

}  // namespace zb
