#include <windows.h>
#include <sddl.h>
#include <shellapi.h>

#include <cstring>
#include <cwchar>
#include <optional>
#include <vector>

#include "win32/handles_win32.h"
#include "platform/ports.h"
#include "win32/text_win32.h"

namespace zb {

namespace {

// A find handle, closed with FindClose on every path.
class FindHandle {
public:
    explicit FindHandle(HANDLE h) : h_(h) {}
    ~FindHandle() {
        if (h_ != INVALID_HANDLE_VALUE) FindClose(h_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

// A name that cannot be converted exactly (an unpaired surrogate as it was
// listed) is never turned into another path: its operation fails as Windows
// fails a name it does not take, and the run reports the name as not possible.
constexpr DWORD kNameNotPossible = ERROR_INVALID_NAME;

// Each entry of a NUL-separated list converted on its own, the list ends
// with one more NUL; nothing when an entry is no exact name.
std::optional<std::wstring> wideList(const std::string& list) {
    std::wstring out;
    std::size_t start = 0;
    while (start < list.size() && list[start] != '\0') {
        std::size_t end = list.find('\0', start);
        if (end == std::string::npos) end = list.size();
        const auto entry = toWideExact(list.substr(start, end - start));
        if (!entry) return std::nullopt;
        out += *entry;
        out += L'\0';
        start = end + 1;
    }
    out += L'\0';
    return out;
}

// The form of a path that is free of the 260-character limit: full, with
// the "\\?\" prefix (no further parsing by the system, so it must be full).
// Nothing when the path is no exact name.
std::optional<std::wstring> longPath(const std::string& path) {
    const auto exact = toWideExact(path);
    if (!exact) return std::nullopt;
    std::wstring w = *exact;
    for (wchar_t& c : w)
        if (c == L'/') c = L'\\';
    if (w.rfind(L"\\\\?\\", 0) == 0) return w;
    const DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    if (n == 0) return w;
    std::wstring full(n, L'\0');
    const DWORD m = GetFullPathNameW(w.c_str(), n, full.data(), nullptr);
    if (m == 0 || m >= n) return w;
    full.resize(m);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// The root of the volume that holds `path`, with its delimiter.
DWORD volumeRootOf(const std::string& path, std::wstring& root) {
    const auto full = longPath(path);
    if (!full) return kNameNotPossible;
    root.assign(full->size() + 2, L'\0');
    if (!GetVolumePathNameW(full->c_str(), root.data(), static_cast<DWORD>(root.size()))) return GetLastError();
    root.resize(wcslen(root.c_str()));
    if (root.empty() || root.back() != L'\\') root += L'\\';
    return 0;
}

std::wstring child(std::wstring folder, const wchar_t* name) {
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    return folder + name;
}

std::int64_t ticks(const FILETIME& t) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

// Often enough that a folder of a hundred thousand entries does not freeze
// the window; the callee decides by the clock whether to serve it.
constexpr std::size_t kEntriesPerProgress = 1024;

constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

DWORD CALLBACK onProgress(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD, HANDLE,
                          HANDLE, LPVOID data) {
    const int percent = total.QuadPart > 0 ? static_cast<int>(done.QuadPart * 100 / total.QuadPart) : 0;
    (*static_cast<const CopyProgress*>(data))(percent);
    return PROGRESS_CONTINUE;
}

// Removes one entry, never what a link points at. A reparse point is opened
// as itself and removed through its handle, only when the handle is the link
// (Wine hands over the target of a Unix symbolic link instead: then nothing
// is removed). A read-only mark, which stops the removal of our own earlier
// copy, is cleared on the entry itself.
DWORD removeOne(const std::wstring& path, bool folder) {
    const DWORD a = GetFileAttributesW(path.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT)) {
        unique_hfile h(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!h) return GetLastError();
        FILE_ATTRIBUTE_TAG_INFO tag{};
        if (!GetFileInformationByHandleEx(h.get(), FileAttributeTagInfo, &tag, sizeof tag) ||
            !(tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return ERROR_ACCESS_DENIED;
        FILE_DISPOSITION_INFO gone{TRUE};
        return SetFileInformationByHandle(h.get(), FileDispositionInfo, &gone, sizeof gone) ? 0 : GetLastError();
    }
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
    const BOOL removed = folder ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str());
    return removed ? 0 : GetLastError();
}

class Win32ShellFiles final : public IShellFiles {
public:
    int shFileOperation(const ShFileOp& op, bool& anyAborted) override {
        const auto exactFrom = wideList(op.pFrom);
        const auto exactTo = op.pTo.empty() ? std::optional<std::wstring>(std::wstring()) : wideList(op.pTo);
        anyAborted = false;
        if (!exactFrom || !exactTo) return static_cast<int>(kNameNotPossible);
        const std::wstring &from = *exactFrom, &to = *exactTo;
        const std::wstring title = toWide(op.lpszProgressTitle);
        SHFILEOPSTRUCTW s{};
        s.hwnd = reinterpret_cast<HWND>(op.hwnd);
        s.wFunc = op.wFunc;
        s.pFrom = from.c_str();
        s.pTo = to.empty() ? nullptr : to.c_str();
        s.fFlags = op.fFlags;
        s.lpszProgressTitle = title.empty() ? nullptr : title.c_str();
        const int r = SHFileOperationW(&s);
        anyAborted = s.fAnyOperationsAborted != FALSE;
        return r;
    }
    bool setCurrentDirectory(const std::string& path) override {
        const auto exact = toWideExact(path);
        return !path.empty() && exact && SetCurrentDirectoryW(exact->c_str()) != FALSE;
    }
    std::optional<std::vector<std::string>> findFiles(const std::string& mask, std::uint32_t attributes) override {
        WIN32_FIND_DATAW fd{};
        const auto exact = toWideExact(mask);
        if (!exact) return std::nullopt;
        FindHandle find(FindFirstFileW(exact->c_str(), &fd));
        if (find.get() == INVALID_HANDLE_VALUE) return std::nullopt;
        // Hidden, system and folder entries only when the attribute mask asks for them.
        constexpr DWORD kSpecial = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
        std::vector<std::string> names;
        do {
            if ((fd.dwFileAttributes & ~attributes & kSpecial) == 0) names.push_back(fromWide(fd.cFileName));
        } while (FindNextFileW(find.get(), &fd));
        return names;
    }

    std::optional<std::vector<FileEntry>> listFolder(const std::string& folder, std::uint32_t& error,
                                                     const std::function<void()>& progress) override {
        WIN32_FIND_DATAW fd{};
        const auto full = longPath(folder);
        if (!full) {
            error = kNameNotPossible;
            return std::nullopt;
        }
        const std::wstring pattern = child(*full, L"*");
        FindHandle find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH));
        std::vector<FileEntry> entries;
        if (find.get() == INVALID_HANDLE_VALUE) {
            error = GetLastError();
            // A drive root without entries has not even "." and "..".
            if (error == ERROR_FILE_NOT_FOUND) return entries;
            return std::nullopt;
        }
        do {
            const std::wstring_view name(fd.cFileName);
            if (name == L"." || name == L"..") continue;
            FileEntry e;
            e.name = fromWide(name);
            e.folder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            e.size = (static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
            e.lastWrite = ticks(fd.ftLastWriteTime);
            e.attributes = fd.dwFileAttributes;
            // With the reparse attribute, dwReserved0 holds the tag. Only a
            // name surrogate points elsewhere (and perhaps at its own parent);
            // cloud placeholders and deduplicated files hold the user's data.
            e.link = (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && (fd.dwReserved0 & 0x20000000) != 0;
            entries.push_back(std::move(e));
            if (progress && entries.size() % kEntriesPerProgress == 0) progress();
        } while (FindNextFileW(find.get(), &fd));
        error = GetLastError();
        if (error != ERROR_NO_MORE_FILES) return std::nullopt;
        error = 0;
        return entries;
    }

    std::uint32_t copyFile(const std::string& from, const std::string& to, bool replace,
                           const CopyProgress& progress) override {
        const auto exactSource = longPath(from), exactTarget = longPath(to);
        if (!exactSource || !exactTarget) return kNameNotPossible;
        const std::wstring &source = *exactSource, &target = *exactTarget;
        // What is at the target is never written through: it may be a link,
        // or a file with a second name outside the backup (an archive of
        // older days), and a copy that fails halfway must leave it whole.
        // The copy is made under a name of its own beside it and renamed
        // over it once it is complete.
        const bool taken = GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES ||
                           GetLastError() == ERROR_SHARING_VIOLATION;
        if (taken && !replace) return ERROR_FILE_EXISTS;
        std::wstring into = target;
        const auto cut = target.find_last_of(L'\\');
        for (int n = 0;; ++n) {
            if (taken) into = target.substr(0, cut + 1) + L"~zb" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(n) + L".tmp";
            // A large file must not freeze the window, nor keep Windows
            // waiting for the answer whether the session may end.
            if (CopyFileExW(source.c_str(), into.c_str(), progress ? &onProgress : nullptr,
                            const_cast<CopyProgress*>(&progress), nullptr, COPY_FILE_FAIL_IF_EXISTS))
                break;
            const DWORD e = GetLastError();
            if (!taken || (e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) || n >= 99) return e;
        }
        // Wine leaves the attributes of a copy as they were at its creation.
        const DWORD want = GetFileAttributesW(source.c_str()), have = GetFileAttributesW(into.c_str());
        if (want != INVALID_FILE_ATTRIBUTES && have != INVALID_FILE_ATTRIBUTES &&
            (want & kKeptAttributes) != (have & kKeptAttributes))
            SetFileAttributesW(into.c_str(), (want & kKeptAttributes) ? (want & kKeptAttributes) : FILE_ATTRIBUTE_NORMAL);
        if (!taken) return 0;
        // A read-only mark on our own earlier copy would refuse the rename.
        const DWORD old = GetFileAttributesW(target.c_str());
        if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            (old & FILE_ATTRIBUTE_READONLY) != 0)
            SetFileAttributesW(target.c_str(), old & ~FILE_ATTRIBUTE_READONLY);
        if (MoveFileExW(into.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return 0;
        const DWORD e = GetLastError();
        SetFileAttributesW(into.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(into.c_str());
        if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY) != 0)
            SetFileAttributesW(target.c_str(), old);
        return e;
    }

    std::uint32_t createFolder(const std::string& like, const std::string& path) override {
        const auto target = longPath(path), model = longPath(like);
        if (!target) return kNameNotPossible;
        if (!CreateDirectoryW(target->c_str(), nullptr)) return GetLastError();
        const DWORD a = model ? GetFileAttributesW(model->c_str()) : INVALID_FILE_ATTRIBUTES;
        if (a != INVALID_FILE_ATTRIBUTES && (a & kKeptAttributes) != 0)
            SetFileAttributesW(target->c_str(), a & kKeptAttributes);
        return 0;
    }


    std::uint32_t createPrivateFolder(const std::string& path, const std::string& sid) override {
        const auto target = longPath(path);
        if (!target) return kNameNotPossible;
        // The SID goes into a rights text: only what a SID is made of.
        if (sid.size() < 4 || sid.compare(0, 2, "S-") != 0 ||
            sid.find_first_not_of("0123456789-", 2) != std::string::npos)
            return ERROR_INVALID_SID;
        // Protected, so the drive's own rights (often every user's) do not
        // flow in; inherited by all the backup will hold.
        const std::wstring sddl = L"D:P(A;OICI;FA;;;" + toWide(sid) + L")(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
        PSECURITY_DESCRIPTOR sd = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &sd, nullptr))
            return GetLastError();
        SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
        const DWORD e = CreateDirectoryW(target->c_str(), &sa) ? 0 : GetLastError();
        LocalFree(sd);
        return e;
    }

    std::uint32_t fileIdentity(const std::string& path, FileId& id) override {
        // Backup semantics open folders too; no access is needed for the ids.
        const auto exact = longPath(path);
        if (!exact) return kNameNotPossible;
        unique_hfile h(CreateFileW(exact->c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!h) return GetLastError();
        // ReFS needs the 128-bit id; older systems only know the 64-bit index.
        // (FILE_ID_INFO of Windows 8, which the Windows 7 headers lack.)
        struct {
            ULONGLONG volume;
            BYTE id[16];
        } full{};
        constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
        if (GetFileInformationByHandleEx(h.get(), kFileIdInfo, &full, sizeof full)) {
            id.volume = full.volume;
            std::memcpy(&id.low, full.id, 8);
            std::memcpy(&id.high, full.id + 8, 8);
            return 0;
        }
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(h.get(), &info)) return GetLastError();
        id.volume = info.dwVolumeSerialNumber;
        id.low = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        id.high = 0;
        return 0;
    }

    // A path that is no exact name stays as it is: it equals no other.
    std::string fullPath(const std::string& path) override {
        const auto full = longPath(path);
        return full ? fromWide(*full) : path;
    }

    std::uint32_t deleteFile(const std::string& path) override {
        const auto full = longPath(path);
        return full ? removeOne(*full, false) : kNameNotPossible;
    }
    std::uint32_t removeFolder(const std::string& path) override {
        const auto full = longPath(path);
        return full ? removeOne(*full, true) : kNameNotPossible;
    }

    std::uint32_t fileSystemName(const std::string& path, std::string& name) override {
        std::wstring root;
        if (const DWORD e = volumeRootOf(path, root)) return e;
        wchar_t fs[MAX_PATH + 1] = {};
        if (!GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, fs, MAX_PATH + 1))
            return GetLastError();
        name = fromWide(fs);
        return 0;
    }

    std::uint32_t diskSpace(const std::string& path, std::uint64_t& freeBytes, std::uint64_t& totalBytes,
                            std::uint32_t& clusterBytes) override {
        std::wstring root;
        if (const DWORD e = volumeRootOf(path, root)) return e;
        // Free to this user: a disk quota leaves less than the volume has.
        ULARGE_INTEGER mine{}, total{};
        if (!GetDiskFreeSpaceExW(root.c_str(), &mine, &total, nullptr)) return GetLastError();
        DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
        if (!GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
            return GetLastError();
        freeBytes = mine.QuadPart;
        totalBytes = total.QuadPart;
        clusterBytes = sectorsPerCluster * bytesPerSector;
        return 0;
    }

    std::uint32_t readFile(const std::string& path, std::size_t largest, std::string& bytes) override {
        const auto exact = longPath(path);
        if (!exact) return kNameNotPossible;
        unique_hfile h(CreateFileW(exact->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h) return GetLastError();
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(h.get(), &size)) return GetLastError();
        if (size.QuadPart < 0 || static_cast<std::uint64_t>(size.QuadPart) > largest) return ERROR_FILE_TOO_LARGE;
        bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        if (!bytes.empty() && !ReadFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
            return GetLastError();
        bytes.resize(got);
        return 0;
    }

    std::uint32_t writeFile(const std::string& path, const std::string& bytes) override {
        const auto exact = longPath(path);
        if (!exact) return kNameNotPossible;
        const std::wstring& target = *exact;
        const std::wstring into = target.substr(0, target.find_last_of(L'\\') + 1) + L"~zb" +
                                  std::to_wstring(GetCurrentProcessId()) + L"-record.tmp";
        {
            unique_hfile h(CreateFileW(into.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                       nullptr));
            if (!h) return GetLastError();
            DWORD put = 0;
            // On a stick that may be pulled any moment, the record is on it once the run says so.
            if (!WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) ||
                put != bytes.size() || !FlushFileBuffers(h.get())) {
                const DWORD e = GetLastError();
                h = unique_hfile();
                DeleteFileW(into.c_str());
                return e ? e : ERROR_WRITE_FAULT;
            }
        }
        if (MoveFileExW(into.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
        const DWORD e = GetLastError();
        DeleteFileW(into.c_str());
        return e;
    }

    std::uint32_t moveEntry(const std::string& from, const std::string& to) override {
        const auto source = longPath(from), target = longPath(to);
        if (!source || !target) return kNameNotPossible;
        return MoveFileExW(source->c_str(), target->c_str(), 0) ? 0 : GetLastError();
    }

    std::uint32_t recycleBinBytes(const std::string& path, std::uint64_t& bytes) override {
        std::wstring root;
        if (const DWORD e = volumeRootOf(path, root)) return e;
        SHQUERYRBINFO info{};
        info.cbSize = sizeof info;
        const HRESULT hr = SHQueryRecycleBinW(root.c_str(), &info);
        if (FAILED(hr)) return static_cast<std::uint32_t>(hr);
        bytes = static_cast<std::uint64_t>(info.i64Size);
        return 0;
    }

    std::uint32_t lockMedium(const std::string& key, std::uintptr_t& lock) override {
        // Every account of the computer must be able to wait for it, and
        // none to change who may: synchronize and release for all who log
        // on, nothing more.
        PSECURITY_DESCRIPTOR sd = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;0x100001;;;AU)(A;;0x100001;;;SY)", SDDL_REVISION_1,
                                                                  &sd, nullptr))
            return GetLastError();
        SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
        const std::wstring name = L"Global\\ZelkorBackup-Datentraeger-" + toWide(key);
        HANDLE h = CreateMutexW(&sa, FALSE, name.c_str());
        const DWORD created = GetLastError();
        LocalFree(sd);
        if (!h) return created;
        const DWORD got = WaitForSingleObject(h, 0);
        // Abandoned: its holder ended mid-run; the medium is free again.
        if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) {
            lock = reinterpret_cast<std::uintptr_t>(h);
            return 0;
        }
        CloseHandle(h);
        return got == WAIT_TIMEOUT ? ERROR_BUSY : GetLastError();
    }

    void unlockMedium(std::uintptr_t lock) override {
        HANDLE h = reinterpret_cast<HANDLE>(lock);
        ReleaseMutex(h);
        CloseHandle(h);
    }

    std::uint32_t currentAccount(Account& account) override {
        HANDLE raw = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return GetLastError();
        const unique_handle token(raw);
        DWORD size = 0;
        GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
        std::vector<unsigned char> buffer(size ? size : 1);
        if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return GetLastError();
        PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
        wchar_t* text = nullptr;
        if (!ConvertSidToStringSidW(sid, &text)) return GetLastError();
        account.sid = fromWide(text);
        LocalFree(text);
        wchar_t name[256] = {}, domain[256] = {};
        DWORD nameSize = 256, domainSize = 256;
        SID_NAME_USE use{};
        // An account that cannot be looked up (a domain out of reach) is still known by its SID.
        if (LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use))
            account.name = fromWide(std::wstring(domain) + L"\\" + name);
        else account.name = account.sid;
        wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
        DWORD computerSize = MAX_COMPUTERNAME_LENGTH + 1;
        if (!GetComputerNameW(computer, &computerSize)) return GetLastError();
        account.computer = fromWide(computer);
        return 0;
    }

    std::string errorText(std::uint32_t error) override {
        wchar_t* buf = nullptr;
        const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                           FORMAT_MESSAGE_IGNORE_INSERTS,
                                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
        std::wstring text = n && buf ? std::wstring(buf, n) : std::wstring();
        if (buf) LocalFree(buf);
        for (wchar_t& c : text)
            if (c == L'\r' || c == L'\n') c = L' ';
        while (!text.empty() && (text.back() == L' ' || text.back() == L'.')) text.pop_back();
        return fromWide(text);
    }
};

}  // namespace

std::unique_ptr<IShellFiles> makeShellFiles() { return std::make_unique<Win32ShellFiles>(); }

}  // namespace zb
