#include "app/copycheck.h"

#include <cstdio>
#include <unordered_map>
#include <vector>

#include "resources/texts.h"

namespace zb {

namespace {

// FAT keeps last-write times to 2 seconds.
constexpr std::int64_t kTimeTolerance = 2 * 10000000LL;
constexpr int kEntriesPerKeepAlive = 256;

std::string join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
    return folder + "\\" + name;
}

// Windows matches names without regard to case; the copy may keep the case
// of an older file of the same name.
std::string folded(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The path as it is compared: case folded, one kind of delimiter, none at the end.
std::string comparable(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    while (path.size() > 1 && path.back() == '\\') path.pop_back();
    return folded(path);
}

bool sameFile(const FileEntry& copy, const FileEntry& source) {
    const std::int64_t d = copy.lastWrite - source.lastWrite;
    return !copy.folder && copy.size == source.size && d <= kTimeTolerance && d >= -kTimeTolerance;
}

class Checker {
public:
    Checker(IShellFiles& files, const std::function<void()>& keepAlive, const std::string& dest)
        : files_(files), keepAlive_(keepAlive), dest_(comparable(dest)) {}

    // `shown` is the source path as the user knows it, for the report.
    void folder(const std::string& src, const std::string& dst, const std::string& shown) {
        std::uint32_t error = 0;
        const auto entries = files_.listFolder(src, error);
        if (!entries) {
            // Whatever lies in a folder that cannot be read is not in the copy.
            ++result.files;
            miss(shown, error);
            return;
        }
        std::unordered_map<std::string, FileEntry> exact, loose;
        if (const auto copied = files_.listFolder(dst, error)) {
            for (const FileEntry& e : *copied) {
                loose.emplace(folded(e.name), e);
                exact.emplace(e.name, e);
            }
        }
        auto inCopy = [&](const std::string& name) -> const FileEntry* {
            if (const auto it = exact.find(name); it != exact.end()) return &it->second;
            if (const auto it = loose.find(folded(name)); it != loose.end()) return &it->second;
            return nullptr;
        };
        for (const FileEntry& e : *entries) {
            if (++seen_ % kEntriesPerKeepAlive == 0 && keepAlive_) keepAlive_();
            // A junction can point at its own parent; its target is backed up
            // where it really lies, if at all.
            if (e.link) continue;
            const std::string from = join(src, e.name), to = join(dst, e.name), path = join(shown, e.name);
            const FileEntry* have = inCopy(e.name);
            if (e.folder) {
                // A source that holds the backup itself (D:\ onto D:\Sicherung):
                // copying the copy into itself would never end.
                const std::string f = comparable(from);
                if (dest_ == f || dest_.rfind(f + "\\", 0) == 0) continue;
                if (!have || !have->folder) {
                    if (const std::uint32_t failed = files_.createFolder(from, to)) {
                        missAll(from, path, failed);
                        continue;
                    }
                }
                folder(from, to, path);
                continue;
            }
            ++result.files;
            if (have && sameFile(*have, e)) continue;
            const std::uint32_t failed = files_.copyFile(from, to);
            if (failed == 0) continue;
            // Only a source that is not found may have been deleted meanwhile;
            // any other error names a file that is still there.
            const bool notFound = failed == ERROR_FILE_NOT_FOUND_ || failed == ERROR_PATH_NOT_FOUND_;
            if (notFound && goneFromSource(src, e.name)) {
                --result.files;  // deleted while the backup ran: nothing to miss
                continue;
            }
            miss(path, failed);
        }
    }

    CopyShortfall result;

private:
    void miss(const std::string& path, std::uint32_t error) {
        if (result.missing++ == 0) {
            result.first = path;
            result.error = error;
        }
    }

    // A folder that cannot be made in the copy: all its files are missing.
    void missAll(const std::string& src, const std::string& shown, std::uint32_t error) {
        std::uint32_t unused = 0;
        const auto entries = files_.listFolder(src, unused);
        bool any = false;
        for (const FileEntry& e : entries.value_or(std::vector<FileEntry>{})) {
            if (e.link) continue;
            any = true;
            if (e.folder) {
                missAll(join(src, e.name), join(shown, e.name), error);
            } else {
                ++result.files;
                miss(join(shown, e.name), error);
            }
        }
        if (!any) {
            ++result.files;
            miss(shown, error);
        }
    }

    bool goneFromSource(const std::string& src, const std::string& name) {
        std::uint32_t error = 0;
        const auto entries = files_.listFolder(src, error);
        if (!entries) return false;
        for (const FileEntry& e : *entries)
            if (e.name == name) return false;
        return true;
    }

    IShellFiles& files_;
    const std::function<void()>& keepAlive_;
    const std::string dest_;
    long seen_ = 0;
};

// A printf template filled in, of whatever length the paths give it.
template <class... Args>
std::string printed(const char* format, Args... args) {
    const int n = std::snprintf(nullptr, 0, format, args...);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0) + 1, '\0');
    std::snprintf(out.data(), out.size(), format, args...);
    out.pop_back();
    return out;
}

std::string reason(IShellFiles& files, std::uint32_t error) {
    switch (error) {
        case ERROR_SHARING_VIOLATION_:
        case ERROR_LOCK_VIOLATION_: return txt::ReasonInUse;
        case ERROR_DISK_FULL_:
        case ERROR_HANDLE_DISK_FULL_: return txt::ReasonDiskFull;
        case ERROR_ACCESS_DENIED_: return txt::ReasonAccessDenied;
        default: break;
    }
    const std::string text = files.errorText(error);
    return text.empty() ? printed(txt::ReasonOther, static_cast<unsigned>(error)) : text;
}

}  // namespace

CopyShortfall completeCopy(IShellFiles& files, const std::string& source, const std::string& dest,
                           const std::function<void()>& keepAlive) {
    Checker checker(files, keepAlive, dest);
    checker.folder(source, dest, source);
    return checker.result;
}

std::string shortfallText(IShellFiles& files, const std::string& source, const CopyShortfall& s) {
    const std::string why = reason(files, s.error);
    if (s.missing == 1)
        return printed(txt::ErrIncompleteOne, source.c_str(), s.files,
                       s.files == 1 ? txt::FileSingular : txt::FilePlural, s.first.c_str(), why.c_str());
    return printed(txt::ErrIncompleteMany, source.c_str(), s.missing, s.files, s.first.c_str(), why.c_str());
}

}  // namespace zb
