#include "platform/shellfiles_posix.h"

#include <dirent.h>
#include <unistd.h>

#include <filesystem>

#include "platform/posix_paths.h"

namespace fs = std::filesystem;

namespace zb {

namespace {

// Results the shell gives on Windows for these situations.
constexpr int kNoError = 0;
constexpr int kFileNotFound = 2;
constexpr int kAccessDenied = 5;
constexpr int kSourceMissing = 0x402;
constexpr int kCancelled = 0x4C7;  // ERROR_CANCELLED

// Copies a file keeping its modification time, as the shell does.
bool copyFile(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec) return false;
    const auto t = fs::last_write_time(from, ec);
    if (!ec) fs::last_write_time(to, t, ec);
    return true;
}

bool copyTree(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (!fs::is_directory(from, ec)) return copyFile(from, to);
    fs::create_directories(to, ec);
    if (!fs::is_directory(to, ec)) return false;
    bool ok = true;
    for (const auto& entry : fs::directory_iterator(from, ec)) ok = copyTree(entry.path(), to / entry.path().filename()) && ok;
    return ok && !ec;
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

int PosixShellFiles::shFileOperation(const ShFileOp& op, bool& anyAborted) {
    operations.push_back(op);
    anyAborted = false;
    const auto entries = splitNulList(op.pFrom);
    if (op.wFunc == FO_COPY_) {
        const auto targets = splitNulList(op.pTo);
        const auto dest = targets.empty() ? std::nullopt : posix::hostPath(targets.front());
        if (!dest) return kFileNotFound;
        std::vector<fs::path> sources;
        for (const auto& e : entries) {
            const auto host = posix::hostPath(e);
            std::error_code ec;
            if (!host || !fs::exists(fs::symlink_status(*host, ec))) return kSourceMissing;
            sources.emplace_back(*host);
        }
        if (abortCopies && !sources.empty()) {
            anyAborted = true;
            return kCancelled;
        }
        std::error_code ec;
        if (!entries.empty()) fs::create_directories(*dest, ec);
        bool ok = true;
        for (const auto& src : sources) ok = copyTree(src, fs::path(*dest) / src.filename()) && ok;
        return ok ? kNoError : kAccessDenied;
    }
    if (op.wFunc == FO_DELETE_) {
        int result = kNoError;
        for (const auto& e : entries) {
            const auto host = posix::hostPath(e);
            std::error_code ec;
            if (!host || !fs::exists(fs::symlink_status(*host, ec))) return kFileNotFound;
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

}  // namespace zb
