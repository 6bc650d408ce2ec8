#include "standin/restore_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <vector>

#include "standin/posix_paths.h"

namespace zb {

namespace fs = std::filesystem;

namespace {

std::uint32_t errnoError(int e) {
    switch (e) {
        case ENOENT: return ERROR_FILE_NOT_FOUND_;
        case ENOTDIR: return ERROR_PATH_NOT_FOUND_;
        case EACCES:
        case EPERM: return ERROR_ACCESS_DENIED_;
        case ENOSPC: return ERROR_DISK_FULL_;
        case EEXIST: return ERROR_ALREADY_EXISTS_;
        default: return 0x1F;
    }
}

std::int64_t fileTime(const struct timespec& t) {
    return (static_cast<std::int64_t>(t.tv_sec) + 11644473600LL) * 10000000LL + t.tv_nsec / 100;
}

}  // namespace

std::string PosixRestoreFiles::volumeLabel(const std::string& path) {
    if (path.size() < 2 || path[1] != ':') return {};
    const auto it = labels.find(static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
    return it == labels.end() ? std::string() : it->second;
}

std::optional<std::string> PosixRestoreFiles::readSmallFile(const std::string& path, std::size_t largest) {
    const auto host = posix::hostPath(path);
    if (!host) return std::nullopt;
    std::ifstream in(*host, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(largest + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (static_cast<std::size_t>(in.gcount()) > largest) return std::nullopt;
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

std::uint32_t PosixRestoreFiles::entryInfo(const std::string& path, FileEntry& entry) {
    const auto host = posix::hostPath(path);
    struct stat st {};
    if (!host) return ERROR_PATH_NOT_FOUND_;
    if (::lstat(host->c_str(), &st) != 0) return errnoError(errno);
    entry.name = fs::path(*host).filename().string();
    entry.folder = S_ISDIR(st.st_mode);
    entry.link = S_ISLNK(st.st_mode);
    entry.size = entry.folder ? 0 : static_cast<std::uint64_t>(st.st_size);
    entry.lastWrite = fileTime(st.st_mtim);
    return 0;
}

std::uint32_t PosixRestoreFiles::copyNew(const std::string& from, const std::string& to, const CopyGoOn& goOn) {
    const auto source = posix::hostPath(from), target = posix::hostPath(to);
    if (!source || !target) return ERROR_PATH_NOT_FOUND_;
    if (const auto f = faults.find(*source); f != faults.end()) return f->second;
    std::ifstream in(*source, std::ios::binary);
    if (!in) return ERROR_FILE_NOT_FOUND_;
    const int fd = ::open(target->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
    if (fd < 0) return errnoError(errno);
    const auto fail = [&](std::uint32_t error) {
        ::close(fd);
        ::unlink(target->c_str());
        return error;
    };
    std::error_code ec;
    const std::uint64_t total = fs::file_size(*source, ec);
    std::vector<char> piece(1 << 16);
    std::uint64_t done = 0;
    for (;;) {
        in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        const auto got = in.gcount();
        if (got <= 0) break;
        if (::write(fd, piece.data(), static_cast<std::size_t>(got)) != got) return fail(ERROR_DISK_FULL_);
        done += static_cast<std::uint64_t>(got);
        if (afterPiece) afterPiece();
        if (goOn && !goOn(done, total)) return fail(ERROR_CANCELLED_);
    }
    struct stat st {};
    ::stat(source->c_str(), &st);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(fd, times);
    ::close(fd);
    return 0;
}

std::uint32_t PosixRestoreFiles::renameNew(const std::string& from, const std::string& to) {
    const auto source = posix::hostPath(from), target = posix::hostPath(to);
    if (!source || !target) return ERROR_PATH_NOT_FOUND_;
    // As MoveFileExW without MOVEFILE_REPLACE_EXISTING: an existing name stays.
    if (::renameat2(AT_FDCWD, source->c_str(), AT_FDCWD, target->c_str(), RENAME_NOREPLACE) != 0)
        return errnoError(errno);
    return 0;
}

std::uint32_t PosixRestoreFiles::removeFile(const std::string& path) {
    const auto host = posix::hostPath(path);
    if (!host) return ERROR_PATH_NOT_FOUND_;
    return ::unlink(host->c_str()) == 0 ? 0 : errnoError(errno);
}

std::uint32_t PosixRestoreFiles::makeFolders(const std::string& path) {
    const auto host = posix::hostPath(path);
    if (!host) return ERROR_PATH_NOT_FOUND_;
    std::error_code ec;
    fs::create_directories(*host, ec);
    return ec ? errnoError(ec.value()) : 0;
}

std::string PosixRestoreFiles::databasePath(const std::string& path) {
    return posix::hostPath(path).value_or(path);
}

}  // namespace zb
