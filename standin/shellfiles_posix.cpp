#include "standin/shellfiles_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "core/names.h"
#include "standin/posix_paths.h"

namespace fs = std::filesystem;

namespace zb {

namespace {

// Results the shell gives on Windows for these situations.
constexpr int kNoError = 0;
constexpr int kFileNotFound = 2;
constexpr int kAccessDenied = 5;
constexpr int kSourceMissing = 0x402;
constexpr int kCancelled = 0x4C7;  // ERROR_CANCELLED
constexpr int kDestinationInSource = 0x76;  // DE_DESTSUBTREE

// Copies a file keeping its modification time, as the shell does.
bool copyOne(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec) return false;
    const auto t = fs::last_write_time(from, ec);
    if (!ec) fs::last_write_time(to, t, ec);
    return true;
}

using Faults = std::map<std::string, std::uint32_t>;

// Beyond this length the shell under Wine leaves a file out and says nothing.
constexpr std::size_t kShellMaxPath = 259;

// `stop` set: the shell as on Windows, which stops at the first file it
// cannot copy and leaves everything after it; else the shell under Wine.
// `windows`: the target finds names without regard to case, so folders that
// differ only in case are poured into one.
bool copyTree(const fs::path& from, const fs::path& to, const Faults& faults, std::uint32_t* stop,
              bool windows = false) {
    std::error_code ec;
    if (to.string().size() > kShellMaxPath) return true;
    if (!fs::is_directory(from, ec)) {
        const auto fault = faults.find(from.string());
        if (fault == faults.end()) return copyOne(from, to);
        if (stop) {
            *stop = fault->second;
            return false;
        }
        if (fault->second == ERROR_DISK_FULL_) std::ofstream(to, std::ios::trunc);
        return true;  // the shell's silence under Wine
    }
    if (faults.count(to.string())) return true;
    fs::create_directories(to, ec);
    if (!fs::is_directory(to, ec)) return false;
    bool ok = true;
    std::vector<fs::path> children;
    for (const auto& entry : fs::directory_iterator(from, ec)) children.push_back(entry.path());
    if (windows) std::sort(children.begin(), children.end());
    for (const auto& child : children) {
        const fs::path into = windows ? fs::path(windowsName((to / child.filename()).string()))
                                      : to / child.filename();
        ok = copyTree(child, into, faults, stop, windows) && ok;
        if (stop && *stop) return false;
    }
    return ok && !ec;
}

std::uint32_t systemError(const std::error_code& ec) {
    switch (ec.value()) {
        case ENOENT: return ERROR_FILE_NOT_FOUND_;
        case ENOTDIR: return ERROR_PATH_NOT_FOUND_;
        case EACCES:
        case EPERM: return ERROR_ACCESS_DENIED_;
        case ENOSPC: return ERROR_DISK_FULL_;
        case EEXIST: return 183;  // ERROR_ALREADY_EXISTS
        default: return 0x1F;     // ERROR_GEN_FAILURE
    }
}

// FILETIME units: 100 ns since 1601.
std::int64_t fileTime(const struct timespec& t) {
    return (static_cast<std::int64_t>(t.tv_sec) + 11644473600LL) * 10000000LL + t.tv_nsec / 100;
}

// Deletes a tree, leaving what cannot be deleted; false when something stays.
bool deleteTree(const fs::path& p, const std::set<std::string>& undeletable) {
    if (undeletable.count(p.string())) return false;
    std::error_code ec;
    bool ok = true;
    if (fs::is_directory(fs::symlink_status(p, ec))) {
        std::vector<fs::path> children;
        for (const auto& entry : fs::directory_iterator(p, ec)) children.push_back(entry.path());
        for (const auto& child : children) ok = deleteTree(child, undeletable) && ok;
    }
    if (!ok) return false;
    fs::remove(p, ec);
    return !ec;
}

}  // namespace

// The last name as Windows resolves it: without trailing blanks and dots,
// and an entry that differs only in case is the same entry.
std::string windowsName(const std::string& hostPath) {
    const fs::path p(hostPath);
    std::string name = p.filename().string();
    while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
    std::error_code ec;
    if (fs::exists(fs::symlink_status(p.parent_path() / name, ec))) return (p.parent_path() / name).string();
    for (const auto& entry : fs::directory_iterator(p.parent_path(), ec))
        if (sameName(entry.path().filename().string(), name)) return entry.path().string();
    return (p.parent_path() / name).string();
}

std::vector<std::string> splitNulList(const std::string& list) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < list.size() && list[start] != '\0') {
        const std::size_t end = list.find('\0', start);
        out.push_back(list.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return out;
}

void PosixShellFiles::called(const char* what, const std::string& path) {
    calls.push_back({what, path});
    if (onCall) onCall(calls.back());
}

int PosixShellFiles::shFileOperation(const ShFileOp& op, bool& anyAborted) {
    operations.push_back(op);
    const auto written = splitNulList(op.wFunc == FO_COPY_ ? op.pTo : op.pFrom);
    called("shell", written.empty() ? std::string() : written.front());
    anyAborted = false;
    const auto entries = splitNulList(op.pFrom);
    if (op.wFunc == FO_COPY_) {
        const auto targets = splitNulList(op.pTo);
        const auto dest = targets.empty() ? std::nullopt : posix::hostPath(targets.front());
        if (!dest) return kFileNotFound;
        std::vector<fs::path> sources;
        for (const auto& e : entries) {
            auto host = posix::hostPath(e);
            if (host && windowsNames) host = windowsName(fs::absolute(*host).string());
            std::error_code ec;
            if (!host || !fs::exists(fs::symlink_status(*host, ec))) return kSourceMissing;
            sources.emplace_back(fs::absolute(*host));
        }
        if (abortCopies && !sources.empty()) {
            anyAborted = true;
            return kCancelled;
        }
        std::error_code ec;
        if (!entries.empty()) fs::create_directories(*dest, ec);
        bool ok = true, intoItself = false;
        std::uint32_t stoppedWith = 0;
        const std::string target = fs::weakly_canonical(*dest, ec).string() + "/";
        for (const auto& src : sources) {
            // The shell refuses to copy a folder into its own subtree.
            if (target.rfind(fs::weakly_canonical(src, ec).string() + "/", 0) == 0) {
                intoItself = true;
                continue;
            }
            fs::path to = fs::path(*dest) / src.filename();
            if (windowsNames) to = windowsName(to.string());
            ok = copyTree(src, to, faults, stopsAtFault ? &stoppedWith : nullptr, windowsNames) && ok;
            if (stoppedWith) break;
        }
        if (afterShellCopy) afterShellCopy();
        if (stoppedWith) {
            anyAborted = true;  // a silent stop is marked like a cancel
            return static_cast<int>(stoppedWith);
        }
        if (intoItself) return kDestinationInSource;
        return ok ? kNoError : kAccessDenied;
    }
    if (op.wFunc == FO_DELETE_) {
        int result = kNoError;
        for (const auto& e : entries) {
            const auto host = posix::hostPath(e);
            std::error_code ec;
            if (!host || !fs::exists(fs::symlink_status(*host, ec))) return kFileNotFound;
            if (recycleBin && (op.fFlags & FOF_ALLOWUNDO_))
                for (const auto& f : fs::recursive_directory_iterator(*host, ec))
                    if (f.is_regular_file(ec)) *recycleBin += f.file_size(ec);
            if (!deleteTree(fs::path(*host), undeletable)) result = kAccessDenied;
        }
        return result;
    }
    return kFileNotFound;
}

bool PosixShellFiles::setCurrentDirectory(const std::string& path) {
    const auto host = posix::hostPath(path);
    return host && !path.empty() && ::chdir(host->c_str()) == 0;
}

std::optional<std::vector<std::string>> PosixShellFiles::findFiles(const std::string& mask, std::uint32_t) {
    // Only the masks the program uses: "*.*" or "*" at the end of a folder.
    std::string folder = mask;
    const auto cut = folder.find_last_of("\\/");
    folder = cut == std::string::npos ? "." : folder.substr(0, cut + 1);
    const auto host = posix::hostPath(folder);
    if (!host) return std::nullopt;
    DIR* d = ::opendir(host->c_str());
    if (!d) return std::nullopt;
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(d)) names.emplace_back(e->d_name);
    ::closedir(d);
    return names;
}

std::optional<std::vector<FileEntry>> PosixShellFiles::listFolder(const std::string& folder, std::uint32_t& error,
                                                                  const std::function<void()>& progress) {
    called("list", folder);
    const auto host = posix::hostPath(folder);
    if (!host) {
        error = ERROR_PATH_NOT_FOUND_;
        return std::nullopt;
    }
    DIR* d = ::opendir(host->c_str());
    if (!d) {
        error = errno == EACCES ? ERROR_ACCESS_DENIED_ : ERROR_PATH_NOT_FOUND_;
        return std::nullopt;
    }
    std::vector<FileEntry> entries;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        if (::lstat((*host + "/" + name).c_str(), &st) != 0) continue;  // gone meanwhile
        FileEntry entry;
        entry.name = name;
        entry.folder = S_ISDIR(st.st_mode);
        entry.link = S_ISLNK(st.st_mode);
        entry.size = entry.folder ? 0 : static_cast<std::uint64_t>(st.st_size);
        entry.lastWrite = fileTime(st.st_mtim);
        entry.attributes = (entry.folder ? 0x10u : 0x20u) | (name[0] == '.' ? 0x2u : 0u) | (entry.link ? 0x400u : 0u);
        entries.push_back(std::move(entry));
        if (progress && entries.size() % 1024 == 0) progress();
    }
    ::closedir(d);
    // NTFS lists a folder in the order of the names.
    std::sort(entries.begin(), entries.end(), [](const FileEntry& a, const FileEntry& b) { return a.name < b.name; });
    error = 0;
    return entries;
}

std::uint32_t PosixShellFiles::copyFile(const std::string& from, const std::string& to, bool replace,
                                        const CopyProgress& progress) {
    called("copy", to);
    if (beforeCopyFile) beforeCopyFile();
    const auto source = posix::hostPath(from);
    auto target = posix::hostPath(to);
    if (!source || !target) return ERROR_PATH_NOT_FOUND_;
    if (windowsNames) target = windowsName(*target);
    struct stat st {};
    const bool taken = ::lstat(target->c_str(), &st) == 0;
    if (taken && !replace) return ERROR_FILE_EXISTS_;
    // As the Win32 side: a file in the way is never written through (it may
    // be a link, or have a second name outside the backup); the copy is made
    // under a new name beside it and takes its place once it is complete.
    std::string into = *target;
    int fd = -1;
    for (int n = 0; fd < 0 && n < 100; ++n) {
        if (taken) into = fs::path(*target).parent_path().string() + "/~zb" + std::to_string(n) + ".tmp";
        fd = ::open(into.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0 && (errno != EEXIST || !taken)) break;
    }
    if (fd < 0) return errno == EEXIST ? ERROR_FILE_EXISTS_ : systemError(std::error_code(errno, std::generic_category()));
    ::close(fd);
    const auto fail = [&](std::uint32_t error) {
        ::unlink(into.c_str());
        return error;
    };
    if (const auto fault = faults.find(*source); fault != faults.end()) return fail(fault->second);
    if (progress) progress(0);
    // A large file in pieces, with its progress as CopyFileExW reports it.
    constexpr std::uintmax_t kPiece = 1 << 20;
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(*source, ec);
    if (ec) return fail(systemError(ec));
    {
        std::ifstream in(*source, std::ios::binary);
        std::ofstream out(into, std::ios::binary | std::ios::trunc);
        if (!in) return fail(ERROR_ACCESS_DENIED_);
        std::vector<char> piece(kPiece);
        for (std::uintmax_t done = 0; in && out && done < size;) {
            in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
            out.write(piece.data(), in.gcount());
            done += static_cast<std::uintmax_t>(in.gcount());
            if (progress && size > kPiece) progress(static_cast<int>(done * 100 / size));
        }
        if (!out) return fail(ERROR_DISK_FULL_);
    }
    fs::last_write_time(into, fs::last_write_time(*source, ec), ec);
    fs::permissions(into, fs::status(*source, ec).permissions(), ec);
    if (taken && ::rename(into.c_str(), target->c_str()) != 0)
        return fail(systemError(std::error_code(errno, std::generic_category())));
    return 0;
}

std::uint32_t PosixShellFiles::createFolder(const std::string&, const std::string& path) {
    called("create", path);
    const auto target = posix::hostPath(path);
    if (!target) return ERROR_PATH_NOT_FOUND_;
    if (const auto fault = faults.find(*target); fault != faults.end()) return fault->second;
    std::error_code ec;
    if (windowsNames && fs::exists(fs::symlink_status(windowsName(*target), ec))) return 183;
    if (!fs::create_directory(*target, ec)) return ec ? systemError(ec) : 183;
    return 0;
}

std::uint32_t PosixShellFiles::createPrivateFolder(const std::string& path, const std::string& sid) {
    if (const std::uint32_t e = createFolder({}, path)) return e;
    std::error_code ec;
    fs::permissions(*posix::hostPath(path), fs::perms::owner_all, ec);
    privateFolders[path] = sid;
    return ec ? systemError(ec) : 0;
}

std::uint32_t PosixShellFiles::fileIdentity(const std::string& path, FileId& id) {
    called("identity", path);
    const auto host = posix::hostPath(path);
    struct stat st {};
    if (!host) return ERROR_PATH_NOT_FOUND_;
    if (::stat(host->c_str(), &st) != 0)
        return errno == ENOENT ? ERROR_FILE_NOT_FOUND_ : errno == ENOTDIR ? ERROR_PATH_NOT_FOUND_ : ERROR_ACCESS_DENIED_;
    id = FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino), 0};
    return 0;
}

// Removals never go through a link: a symbolic link is removed as the link.
std::uint32_t PosixShellFiles::deleteFile(const std::string& path) {
    called("delete", path);
    const auto host = posix::hostPath(path);
    struct stat st {};
    if (!host || ::lstat(host->c_str(), &st) != 0) return ERROR_FILE_NOT_FOUND_;
    if (undeletable.count(*host) || S_ISDIR(st.st_mode)) return ERROR_ACCESS_DENIED_;
    if (::unlink(host->c_str()) != 0) return systemError(std::error_code(errno, std::generic_category()));
    return 0;
}

std::uint32_t PosixShellFiles::removeFolder(const std::string& path) {
    called("remove", path);
    const auto host = posix::hostPath(path);
    struct stat st {};
    if (!host || ::lstat(host->c_str(), &st) != 0) return ERROR_FILE_NOT_FOUND_;
    if (undeletable.count(*host)) return ERROR_ACCESS_DENIED_;
    if (S_ISLNK(st.st_mode)) return ::unlink(host->c_str()) == 0 ? 0 : ERROR_ACCESS_DENIED_;
    if (!S_ISDIR(st.st_mode)) return 267;  // ERROR_DIRECTORY
    if (::rmdir(host->c_str()) == 0) return 0;
    if (errno == ENOTEMPTY || errno == EEXIST) return ERROR_DIR_NOT_EMPTY_;
    return systemError(std::error_code(errno, std::generic_category()));
}

std::uint32_t PosixShellFiles::fileSystemName(const std::string& path, std::string& name) {
    const auto host = posix::hostPath(path);
    struct statfs fs {};
    if (!host || ::statfs(host->c_str(), &fs) != 0) return ERROR_PATH_NOT_FOUND_;
    if (!fileSystem.empty()) {
        name = fileSystem;
        return 0;
    }
    switch (static_cast<unsigned long>(fs.f_type)) {
        case 0x4d44: name = "FAT32"; break;       // MSDOS_SUPER_MAGIC
        case 0x2011BAB0: name = "exFAT"; break;
        case 0x5346544e: name = "NTFS"; break;
        case 0x01021994: name = "tmpfs"; break;
        case 0xEF53: name = "ext4"; break;
        default: name = "Linux"; break;
    }
    return 0;
}

std::uint32_t PosixShellFiles::diskSpace(const std::string& path, std::uint64_t& freeBytes,
                                         std::uint64_t& totalBytes, std::uint32_t& clusterBytes) {
    called("space", path);
    const auto host = posix::hostPath(path);
    struct statvfs vfs {};
    if (!host || ::statvfs(host->c_str(), &vfs) != 0) return ERROR_PATH_NOT_FOUND_;
    if (space) {
        if (space->error) return space->error;
        freeBytes = space->freeBytes;
        totalBytes = space->totalBytes;
        clusterBytes = space->clusterBytes;
        return 0;
    }
    const std::uint64_t block = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
    freeBytes = static_cast<std::uint64_t>(vfs.f_bavail) * block;
    totalBytes = static_cast<std::uint64_t>(vfs.f_blocks) * block;
    clusterBytes = static_cast<std::uint32_t>(block);
    return 0;
}

std::uint32_t PosixShellFiles::readFile(const std::string& path, std::size_t largest, std::string& bytes) {
    const auto host = posix::hostPath(path);
    std::error_code ec;
    if (!host || !fs::is_regular_file(*host, ec)) return ERROR_FILE_NOT_FOUND_;
    if (fs::file_size(*host, ec) > largest) return ERROR_FILE_TOO_LARGE_;
    std::ifstream in(*host, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.bad() ? ERROR_ACCESS_DENIED_ : 0;
}

std::uint32_t PosixShellFiles::writeFile(const std::string& path, const std::string& bytes) {
    called("write", path);
    const auto host = posix::hostPath(path);
    if (!host) return ERROR_PATH_NOT_FOUND_;
    const std::string into = *host + ".zb-tmp";
    {
        std::ofstream out(into, std::ios::binary | std::ios::trunc);
        if (!out) return ERROR_PATH_NOT_FOUND_;
        out << bytes;
        if (!out.flush()) return ERROR_DISK_FULL_;
    }
    if (::rename(into.c_str(), host->c_str()) != 0) {
        ::unlink(into.c_str());
        return ERROR_ACCESS_DENIED_;
    }
    return 0;
}

std::uint32_t PosixShellFiles::moveEntry(const std::string& from, const std::string& to) {
    called("move", to);
    const auto source = posix::hostPath(from), target = posix::hostPath(to);
    std::error_code ec;
    if (!source || !target || !fs::exists(fs::symlink_status(*source, ec))) return ERROR_FILE_NOT_FOUND_;
    if (fs::exists(fs::symlink_status(windowsNames ? windowsName(*target) : *target, ec))) return ERROR_ALREADY_EXISTS_;
    return ::rename(source->c_str(), target->c_str()) == 0 ? 0 : ERROR_ACCESS_DENIED_;
}

std::uint32_t PosixShellFiles::lockMedium(const std::string& key, std::uintptr_t& lock) {
    if (auto other = othersHold.find(key); other != othersHold.end()) {
        if (other->second < 0 || other->second-- > 0) return ERROR_BUSY_;
        othersHold.erase(other);
    }
    for (const auto& [h, k] : held)
        if (k == key) return ERROR_BUSY_;
    lock = held.empty() ? 1 : held.rbegin()->first + 1;
    held[lock] = key;
    return 0;
}

void PosixShellFiles::unlockMedium(std::uintptr_t lock) { held.erase(lock); }

std::string PosixShellFiles::errorText(std::uint32_t error) {
    const auto it = errorTexts.find(error);
    return it == errorTexts.end() ? std::string() : it->second;
}

}  // namespace zb
