#include "win32/restore_files_win32.h"

#include <windows.h>

#include "win32/handles_win32.h"
#include "win32/text_win32.h"

namespace zb {

namespace {

// Full and with "\\?\": free of the 260-character limit. Nothing when the
// text is no exact name.
std::optional<std::wstring> wide(const std::string& path) {
    auto w = toWideExact(path);
    if (!w) return std::nullopt;
    for (wchar_t& c : *w)
        if (c == L'/') c = L'\\';
    if (w->rfind(L"\\\\?\\", 0) == 0) return w;
    std::wstring full(GetFullPathNameW(w->c_str(), 0, nullptr, nullptr) + 1, L'\0');
    const DWORD n = GetFullPathNameW(w->c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size()) return w;
    full.resize(n);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::int64_t fileTime(const FILETIME& t) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

DWORD CALLBACK copyProgress(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD,
                            HANDLE, HANDLE, LPVOID data) {
    const auto* goOn = static_cast<const CopyGoOn*>(data);
    // No exception may cross into Windows.
    try {
        return (*goOn)(static_cast<std::uint64_t>(done.QuadPart), static_cast<std::uint64_t>(total.QuadPart))
                   ? PROGRESS_CONTINUE
                   : PROGRESS_CANCEL;
    } catch (...) {
        return PROGRESS_CANCEL;
    }
}

}  // namespace

std::string Win32RestoreFiles::volumeLabel(const std::string& path) {
    const auto w = toWideExact(path);
    if (!w) return {};
    wchar_t root[MAX_PATH + 1] = {}, label[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(w->c_str(), root, MAX_PATH)) return {};
    if (!GetVolumeInformationW(root, label, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0)) return {};
    return fromWide(label);
}

std::optional<std::string> Win32RestoreFiles::readSmallFile(const std::string& path, std::size_t largest) {
    const auto w = wide(path);
    if (!w) return std::nullopt;
    unique_hfile h(CreateFileW(w->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!h) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h.get(), &size) || static_cast<std::uint64_t>(size.QuadPart) > largest) return std::nullopt;
    std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!text.empty() && (!ReadFile(h.get(), text.data(), static_cast<DWORD>(text.size()), &got, nullptr) ||
                          got != text.size()))
        return std::nullopt;
    return text;
}

std::uint32_t Win32RestoreFiles::entryInfo(const std::string& path, FileEntry& entry) {
    const auto w = wide(path);
    if (!w) return ERROR_INVALID_NAME;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(w->c_str(), GetFileExInfoStandard, &data)) return GetLastError();
    const auto cut = path.find_last_of('\\');
    entry.name = cut == std::string::npos ? path : path.substr(cut + 1);
    entry.attributes = data.dwFileAttributes;
    entry.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    entry.size = entry.folder ? 0 : (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entry.lastWrite = fileTime(data.ftLastWriteTime);
    return 0;
}

std::uint32_t Win32RestoreFiles::copyNew(const std::string& from, const std::string& to, const CopyGoOn& goOn) {
    const auto source = wide(from), target = wide(to);
    if (!source || !target) return ERROR_INVALID_NAME;
    BOOL cancel = FALSE;
    // Fails on an existing name; a cancelled copy is deleted by the system.
    if (CopyFileExW(source->c_str(), target->c_str(), goOn ? copyProgress : nullptr,
                    goOn ? const_cast<CopyGoOn*>(&goOn) : nullptr, &cancel, COPY_FILE_FAIL_IF_EXISTS)) {
        // Wine 8 never calls the progress routine: a cancel asked for
        // meanwhile takes the finished copy away again.
        WIN32_FILE_ATTRIBUTE_DATA data{};
        const std::uint64_t size = GetFileAttributesExW(target->c_str(), GetFileExInfoStandard, &data)
                                       ? (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow
                                       : 0;
        if (!goOn || goOn(size, size)) return 0;
        DeleteFileW(target->c_str());
        return ERROR_CANCELLED_;
    }
    const DWORD e = GetLastError();
    return e == ERROR_REQUEST_ABORTED ? ERROR_CANCELLED_ : e;
}

std::uint32_t Win32RestoreFiles::renameNew(const std::string& from, const std::string& to) {
    const auto source = wide(from), target = wide(to);
    if (!source || !target) return ERROR_INVALID_NAME;
    return MoveFileExW(source->c_str(), target->c_str(), 0) ? 0 : GetLastError();
}

std::uint32_t Win32RestoreFiles::removeFile(const std::string& path) {
    const auto w = wide(path);
    if (!w) return ERROR_INVALID_NAME;
    return DeleteFileW(w->c_str()) ? 0 : GetLastError();
}

std::uint32_t Win32RestoreFiles::makeFolders(const std::string& path) {
    const auto w = wide(path);
    if (!w) return ERROR_INVALID_NAME;
    if (CreateDirectoryW(w->c_str(), nullptr)) return 0;
    DWORD e = GetLastError();
    if (e == ERROR_ALREADY_EXISTS) {
        const DWORD a = GetFileAttributesW(w->c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ERROR_ALREADY_EXISTS;
    }
    if (e != ERROR_PATH_NOT_FOUND) return e;
    const auto cut = path.find_last_of('\\');
    if (cut == std::string::npos || cut < 3) return e;
    if ((e = makeFolders(path.substr(0, cut))) != 0) return e;
    return CreateDirectoryW(w->c_str(), nullptr) ? 0 : GetLastError();
}

}  // namespace zb
