#pragma once
// The narrow interfaces through which the window's logic reaches the
// operating system; the window's own port is platform/window_port.h. Each
// has a Win32 implementation (win32/) and a POSIX stand-in (standin/) used by
// the native tests. All texts are UTF-8; the Win32 side converts to UTF-16 at
// each call and uses the wide API, so every name survives.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zb {

struct TimeOfDay {
    int hour = 0, minute = 0, second = 0;
    friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
};

struct LocalDateTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// The record handed to Shell_NotifyIconW, in a form free of <windows.h>: its
// texts UTF-8, its size that of the ANSI record of the same version (the
// Win32 side hands the wide record of that version).
struct TrayIconData {
    std::uint32_t cbSize = 0;
    std::uintptr_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uintptr_t hIcon = 0;
    char szTip[128] = {};
    std::uint32_t dwState = 0, dwStateMask = 0;
    char szInfo[256] = {};
    std::uint32_t uTimeout = 0;
    char szInfoTitle[64] = {};
    std::uint32_t dwInfoFlags = 0;
};

// sizeof the ANSI record up to and including the balloon fields
// (NOTIFYICONDATAA_V2_SIZE); it differs with the pointer size.
inline constexpr std::uint32_t kNotifyIconDataV2Size = sizeof(void*) == 8 ? 504 : 488;
inline constexpr std::uint32_t NIM_ADD_ = 0, NIM_MODIFY_ = 1, NIM_DELETE_ = 2;
inline constexpr std::uint32_t NIF_MESSAGE_ = 1, NIF_ICON_ = 2, NIF_TIP_ = 4, NIF_INFO_ = 0x10;
inline constexpr std::uint32_t NIIF_WARNING_ = 2;
// A click on the balloon, reported through the icon's callback message.
inline constexpr std::uint32_t NIN_BALLOONUSERCLICK_ = 0x0400 + 5;
inline constexpr std::uint32_t WM_TRAYNOTIFY = 0x8000 + 0xC9;  // WM_APP + 0xC9
inline constexpr std::uint32_t WM_LBUTTONDOWN_ = 0x0201, WM_RBUTTONDOWN_ = 0x0204;

// The notification area.
class ITray {
public:
    virtual ~ITray() = default;
    virtual bool notifyIcon(std::uint32_t message, const TrayIconData& data) = 0;
    // Handle of the program icon MAINICON.
    virtual std::uintptr_t appIcon() = 0;
    // The program icon with a warning mark, at the size of the notification
    // area; the program icon when there is none.
    virtual std::uintptr_t warningIcon() = 0;
};

// The Windows event log, source "ZELKOR Backup". A failure to write is
// never an error of the program's.
enum class EventType : std::uint16_t { Error = 1, Warning = 2, Information = 4 };
class IEventLog {
public:
    virtual ~IEventLog() = default;
    virtual void report(EventType type, std::uint32_t id, const std::string& text) = 0;
};

// Private-profile functions on one INI file.
class IProfile {
public:
    virtual ~IProfile() = default;
    // At most 2047 characters of the value; `def` when the key is missing.
    virtual std::string getString(const std::string& file, const std::string& section,
                                  const std::string& key, const std::string& def) = 0;
    [[nodiscard]] virtual bool writeString(const std::string& file, const std::string& section,
                                           const std::string& key, const std::string& value) = 0;
    // Removes the key's line; a key that is not there is no failure.
    [[nodiscard]] virtual bool removeKey(const std::string& file, const std::string& section,
                                         const std::string& key) = 0;
};

// Environment and folders.
class ISystem {
public:
    virtual ~ISystem() = default;
    // Empty when the variable is not set.
    virtual std::string env(const std::string& name) = 0;
    virtual bool directoryExists(const std::string& path) = 0;
    // Creates the folder with all missing levels.
    [[nodiscard]] virtual bool forceDirectories(const std::string& path) = 0;
    // The folder of the running executable, whatever the current directory is.
    virtual std::string programFolder() = 0;
    // The user's desktop folder as the shell reports it; empty when it has none.
    virtual std::string shellDesktopFolder() = 0;
    // The folder of all users' data (%ProgramData%); empty when there is none.
    virtual std::string sharedDataFolder() = 0;
    // A file that every user's program reads, judged by what it is and read
    // once from the handle that was judged: no link on the way, the file and
    // the folder that holds it owned and changeable by administrators only,
    // the folder above that one a folder where others may add beside it but
    // not remove or re-point it. `text`: the content as UTF-8 (UTF-16 with
    // its byte-order mark, otherwise the system's ANSI code page, as the
    // profile functions read it); nothing when it is larger than `largest`
    // bytes. Missing: the file or its folder is not there.
    enum class Trust { Missing, Trusted, Untrusted };
    struct TrustedFile {
        Trust trust = Trust::Missing;
        std::optional<std::string> text;
    };
    virtual TrustedFile readTrustedFile(const std::string& path, std::size_t largest) = 0;
};

// The user's regional settings.
class ILocale {
public:
    virtual ~ILocale() = default;
    virtual std::string formatLongTime(TimeOfDay t) = 0;
    virtual std::string timeSeparator() = 0;
    virtual std::string amDesignator() = 0;
    virtual std::string pmDesignator() = 0;
    // The date in the user's short date format (no time of day).
    virtual std::string formatShortDate(const LocalDateTime& t) = 0;
};

// The local clock and the system's millisecond tick counter.
class IClock {
public:
    virtual ~IClock() = default;
    virtual LocalDateTime now() = 0;
    // Milliseconds since the system started; wraps after 2^32.
    virtual std::uint32_t tickCount() = 0;
    // How many minutes local time is ahead of UTC at the moment `utcSeconds`
    // (seconds since 1970, UTC): 60 in German winter, 120 in summer time.
    virtual std::int32_t utcOffsetMinutes(std::int64_t utcSeconds) = 0;
};

// SHFILEOPSTRUCTW in a form free of <windows.h>.
struct ShFileOp {
    std::uintptr_t hwnd = 0;
    std::uint32_t wFunc = 0;
    std::string pFrom;  // double-NUL-terminated list
    std::string pTo;    // double-NUL-terminated, or empty for none
    std::uint16_t fFlags = 0;
    std::string lpszProgressTitle;
};
inline constexpr std::uint32_t FO_COPY_ = 2, FO_DELETE_ = 3;
inline constexpr std::uint16_t FOF_NOCONFIRMATION_ = 0x10, FOF_ALLOWUNDO_ = 0x40, FOF_NOERRORUI_ = 0x400;

// One entry of a folder listing, metadata only.
struct FileEntry {
    std::string name;
    bool folder = false;
    std::uint64_t size = 0;
    std::int64_t lastWrite = 0;  // 100-ns units since 1601 (FILETIME)
    std::uint32_t attributes = 0;
    // A junction or a symbolic link: a reparse point that names another
    // place. Placeholders of cloud files and deduplicated files are not.
    bool link = false;
    // Any reparse point. In a backup's own folders it is taken for a link:
    // Wine shows a Unix symbolic link as one without telling its kind.
    bool reparsePoint() const { return link || (attributes & 0x400) != 0; }
};

// How far a copy of one file is, in percent.
using CopyProgress = std::function<void(int percent)>;

// One file or folder, whatever the spelling of its path (another drive
// letter for the same folder, another case, a link on the way).
struct FileId {
    std::uint64_t volume = 0;
    std::uint64_t low = 0, high = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};
inline constexpr std::uint32_t ERROR_FILE_NOT_FOUND_ = 2, ERROR_PATH_NOT_FOUND_ = 3, ERROR_ACCESS_DENIED_ = 5,
                               ERROR_SHARING_VIOLATION_ = 32, ERROR_LOCK_VIOLATION_ = 33,
                               ERROR_HANDLE_DISK_FULL_ = 39, ERROR_FILE_EXISTS_ = 80, ERROR_DISK_FULL_ = 112,
                               ERROR_INVALID_NAME_ = 123, ERROR_DIR_NOT_EMPTY_ = 145, ERROR_ALREADY_EXISTS_ = 183,
                               ERROR_MEDIA_CHANGED_ = 1110, ERROR_BUSY_ = 170;

// Who writes a backup: the account the program runs as ("COMPUTER\name" as
// people read it, and its SID, which decides) and the computer's name.
struct Account {
    std::string name, sid, computer;
};
inline constexpr std::uint32_t ERROR_FILE_TOO_LARGE_ = 223;

// The shell's file operations and the directory functions of the folder
// copy. Names may hold any character Windows allows (the Win32 side uses the
// wide calls); paths of the checking calls may be of any length.
class IShellFiles {
public:
    virtual ~IShellFiles() = default;
    // SHFileOperationW: its result, and whether any operation was aborted.
    virtual int shFileOperation(const ShFileOp& op, bool& anyAborted) = 0;
    [[nodiscard]] virtual bool setCurrentDirectory(const std::string& path) = 0;
    // FindFirstFileW/FindNextFileW over `mask` (relative to the current
    // directory or absolute): the names in the file system's order, "." and
    // ".." included; nothing when the enumeration cannot start.
    virtual std::optional<std::vector<std::string>> findFiles(const std::string& mask, std::uint32_t attributes) = 0;

    // The entries directly inside an absolute folder, "." and ".." left out,
    // hidden and system entries included; nothing, with the system's error
    // code in `error`, when the folder cannot be listed.
    // `progress` runs now and then while a large folder is listed.
    virtual std::optional<std::vector<FileEntry>> listFolder(const std::string& folder, std::uint32_t& error,
                                                             const std::function<void()>& progress) = 0;
    // Copies one file, keeping its times and attributes; 0 or the system's
    // error code. With `replace` it goes over whatever is at `to`, else it
    // fails when the target already has an entry of that name (as the target
    // spells names: without regard to case, perhaps without a trailing blank).
    // `progress` runs now and then while a large file is copied.
    [[nodiscard]] virtual std::uint32_t copyFile(const std::string& from, const std::string& to, bool replace,
                                                 const CopyProgress& progress) = 0;
    // Creates one folder with the attributes of the folder `like`; 0 or the
    // system's error code.
    [[nodiscard]] virtual std::uint32_t createFolder(const std::string& like, const std::string& path) = 0;
    // A folder that only the account of `sid`, the Administrators and SYSTEM
    // may open, given those rights by the call that makes it, so nobody gets
    // in between; what it holds later inherits them. On a file system that
    // keeps no rights (FAT) an ordinary folder. 0 or the system's error code.
    [[nodiscard]] virtual std::uint32_t createPrivateFolder(const std::string& path, const std::string& sid) = 0;
    // The system's text for an error code, on one line; empty when it has none.
    virtual std::string errorText(std::uint32_t error) = 0;
    // The identity of an existing file or folder; 0 or the system's error code.
    [[nodiscard]] virtual std::uint32_t fileIdentity(const std::string& path, FileId& id) = 0;
    // The full form of an absolute path, to which listed names are joined as
    // they are: no later step may change a name (Windows would strip a
    // trailing blank from the last one).
    virtual std::string fullPath(const std::string& path) = 0;

    // Removes a file, or a link to a file (the link itself), also when it is
    // marked read-only; 0 or the system's error code.
    [[nodiscard]] virtual std::uint32_t deleteFile(const std::string& path) = 0;
    // Removes an empty folder, or a junction or link to a folder: the link
    // itself, never what it points at; 0 or the system's error code.
    [[nodiscard]] virtual std::uint32_t removeFolder(const std::string& path) = 0;
    // The name of the file system that holds an existing path ("NTFS",
    // "FAT32", "exFAT"...); 0 or the system's error code.
    [[nodiscard]] virtual std::uint32_t fileSystemName(const std::string& path, std::string& name) = 0;
    // The room on the volume that holds an existing path: the bytes this
    // user may still write (quotas count), the volume's size, and its
    // cluster, the unit in which a file takes room; 0 or the system's error
    // code.
    [[nodiscard]] virtual std::uint32_t diskSpace(const std::string& path, std::uint64_t& freeBytes,
                                                  std::uint64_t& totalBytes, std::uint32_t& clusterBytes) = 0;
    // A small file read whole; 0 or the system's error code
    // (ERROR_FILE_TOO_LARGE beyond `largest` bytes).
    [[nodiscard]] virtual std::uint32_t readFile(const std::string& path, std::size_t largest,
                                                 std::string& bytes) = 0;
    // Writes a small file whole: beside whatever has its name, then renamed
    // over it, so that a link or a second name there is never written
    // through; 0 or the system's error code.
    [[nodiscard]] virtual std::uint32_t writeFile(const std::string& path, const std::string& bytes) = 0;
    // Gives a file or folder a new name in the same folder; fails when the
    // new name is taken. 0 or the system's error code.
    [[nodiscard]] virtual std::uint32_t moveEntry(const std::string& from, const std::string& to) = 0;
    // What the Recycle Bin of the drive that holds `path` holds, in bytes
    // (SHQueryRecycleBinW); 0 or the system's error code, also for a drive
    // that has none.
    [[nodiscard]] virtual std::uint32_t recycleBinBytes(const std::string& path, std::uint64_t& bytes) = 0;
    // One run per medium on the computer, whatever account it runs for: a
    // lock named by `key`, taken without waiting. 0 with `lock` set when this
    // process holds it now (also when its last holder ended without giving
    // it back), ERROR_BUSY when another holds it, else the system's error
    // code. Every lock taken is given back with unlockMedium.
    [[nodiscard]] virtual std::uint32_t lockMedium(const std::string& key, std::uintptr_t& lock) = 0;
    virtual void unlockMedium(std::uintptr_t lock) = 0;
    // The account and computer that this program runs as; 0 or the system's error code.
    [[nodiscard]] virtual std::uint32_t currentAccount(Account& account) = 0;
};

// The current user's registry hive (HKEY_CURRENT_USER), one key at a time.
class IRegistry {
public:
    using Key = std::uintptr_t;  // 0: no key
    virtual ~IRegistry() = default;
    // Opens the key with full access, creating every missing level; 0 when
    // that fails. An opened key must be closed.
    virtual Key openOrCreate(const std::string& subKey) = 0;
    // Whether the key has a value of that name, of whatever type.
    virtual bool valueExists(Key key, const std::string& name) = 0;
    // A string value of a subkey of `key`; nothing when the subkey or the
    // value is missing or the value is no string.
    virtual std::optional<std::string> queryString(Key key, const std::string& subKey, const std::string& name) = 0;
    // Writes a REG_SZ value.
    [[nodiscard]] virtual bool setString(Key key, const std::string& name, const std::string& value) = 0;
    virtual bool deleteValue(Key key, const std::string& name) = 0;
    virtual void close(Key key) = 0;
};

// The shell link object (CLSID_ShellLink) through IShellLinkW and
// IPersistFile. Destroying it releases every interface it holds.
class IShellLinkObject {
public:
    virtual ~IShellLinkObject() = default;
    // Takes IShellLinkW and IPersistFile; false when the object lacks one.
    [[nodiscard]] virtual bool queryInterfaces() = 0;
    virtual void setPath(const std::string& path) = 0;
    virtual void setArguments(const std::string& arguments) = 0;
    virtual void setDescription(const std::string& description) = 0;
    virtual void setWorkingDirectory(const std::string& directory) = 0;
    // IPersistFile::Save with fRemember false; replaces an existing file.
    [[nodiscard]] virtual bool save(const std::string& path) = 0;
};

class IShellLinkFactory {
public:
    virtual ~IShellLinkFactory() = default;
    // CoCreateInstance for IUnknown, in-process or local server; nothing when
    // that fails, with the failure code in `hresult`.
    virtual std::unique_ptr<IShellLinkObject> create(std::uint32_t& hresult) = 0;
    // The system's text for a failure code, as it has it; empty when it has none.
    virtual std::string messageText(std::uint32_t hresult) = 0;
};

inline constexpr int SW_SHOW_ = 5;

// ShellExecuteW, one to one; an empty parameter or directory text is passed
// as none.
class ILauncher {
public:
    virtual ~ILauncher() = default;
    virtual std::intptr_t shellExecute(std::uintptr_t owner, const std::string& operation, const std::string& file,
                                       const std::string& parameters, const std::string& directory,
                                       int showCommand) = 0;
};

// The volume calls of the drive ejection, one to one.
class IVolume {
public:
    using Handle = std::uintptr_t;
    static constexpr Handle kInvalid = ~Handle{0};  // INVALID_HANDLE_VALUE
    virtual ~IVolume() = default;
    virtual std::uint32_t getDriveType(const std::string& root) = 0;
    virtual Handle createFile(const std::string& path, std::uint32_t access, std::uint32_t share,
                              std::uint32_t disposition, std::uint32_t flags) = 0;
    // DeviceIoControl with no output buffer and no overlapped structure.
    virtual bool deviceIoControl(Handle h, std::uint32_t code, const std::vector<std::uint8_t>& input) = 0;
    virtual std::uint32_t getLastError() = 0;
    virtual void sleep(std::uint32_t ms) = 0;
    virtual bool closeHandle(Handle h) = 0;
};

// The calls that switch the machine off, one to one.
class IPower {
public:
    using Handle = std::uintptr_t;
    virtual ~IPower() = default;
    // dwPlatformId of GetVersionExA with dwOSVersionInfoSize 148.
    virtual std::uint32_t versionPlatformId() = 0;
    virtual bool openProcessToken(std::uint32_t access, Handle& token) = 0;
    virtual bool lookupPrivilegeValue(const std::string& name, std::uint64_t& luid) = 0;
    // AdjustTokenPrivileges with one privilege and the given attributes.
    virtual bool adjustTokenPrivileges(Handle token, std::uint64_t luid, std::uint32_t attributes) = 0;
    virtual bool closeHandle(Handle h) = 0;
    virtual bool exitWindowsEx(std::uint32_t flags, std::uint32_t reason) = 0;
};

// What a wake timer came to.
enum class WakeTimer {
    Set,           // set, and Windows may wake the computer for it
    NotSupported,  // the timer could not be set with resume (SetWaitableTimer failed or ERROR_NOT_SUPPORTED)
    PlanRefuses,   // set, but the power plan allows no wake timers
};

// Sleep and wake: the run keeps the computer from sleeping for idle, and one
// waitable timer wakes it for the next scheduled start.
class ISleepControl {
public:
    virtual ~ISleepControl() = default;
    // SetThreadExecutionState: on, ES_CONTINUOUS | ES_SYSTEM_REQUIRED (the
    // display may turn off, sleep asked for by the user still happens); off,
    // ES_CONTINUOUS alone. Per thread: call it from the one that runs. False
    // when Windows refused it.
    virtual bool keepAwake(bool on) = 0;
    // The one wake timer (CreateWaitableTimerW, SetWaitableTimer with
    // resume) set to the moment `utcSeconds` (seconds since 1970, UTC); a
    // timer set before is replaced.
    virtual WakeTimer setWakeTimer(std::int64_t utcSeconds) = 0;
    // CancelWaitableTimer; a timer never set is no failure.
    virtual void cancelWakeTimer() = 0;
};

// The platform's implementation of each port that can be real on both sides
// (Win32 on Windows, the stand-in elsewhere); the contract tests use these.
std::unique_ptr<IProfile> makeProfile();
std::unique_ptr<ISystem> makeSystem();
std::unique_ptr<ILocale> makeLocale();
std::unique_ptr<IClock> makeClock();
std::unique_ptr<IShellFiles> makeShellFiles();
std::unique_ptr<ISleepControl> makeSleepControl();

}  // namespace zb
