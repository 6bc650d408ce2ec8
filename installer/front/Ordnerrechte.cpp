// Ordnerrechte.exe [/aktualisieren | /erneuern | /entfernen] FOLDER: makes the
// installation folder for the setup and the MSI package, elevated, before
// either writes a file there (/entfernen: the MSI package's rollback).
//
// The folder is created by this program with the rights of Program Files in
// the same call (Administrators and SYSTEM full control, Users read and
// execute, nothing inherited), and so is every missing folder on the way. A
// folder that already exists is never taken over: what a user made or opened
// there beforehand would stay theirs. Only an update (/aktualisieren) or the
// MSI package's repair or upgrade (/erneuern) accepts
// the folder of the installed version, and only as it is: protected, holding
// no link and no file with another name elsewhere. Every folder above must be
// one that only administrators can rename, replace or write (the drive's root:
// that nobody else can remove or re-point what is in it), on a local drive.
//
// Each folder is opened relative to the one above it, never following a link,
// and held open without sharing deletion until the end, so that no name on
// the way can be swapped between the check and the creation. Nothing that
// exists is ever changed; what this program created is removed again when it
// refuses.
//
// Exit code 0: the folder may take the installation; 1: refused, it cannot be
// protected; 4: refused, a first installation into a folder that exists.
#include <windows.h>

#include <string>
#include <vector>

#include "win32/folder_rights_win.h"

namespace {

using zb::setup::childPath;
using zb::setup::finalPath;
using zb::setup::isLinkOrShared;
using zb::setup::kLook;
using zb::setup::openEntry;
using zb::setup::OwnedHandle;
using zb::setup::Place;
using zb::setup::sameName;

constexpr int kAccepted = 0;
constexpr int kRefused = 1;
constexpr int kExists = 4;

constexpr wchar_t kProgramFolderRights[] = L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
std::wstring fullPath(const std::wstring& path) {
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring buf(n, L'\0');
    if (!n || GetFullPathNameW(path.c_str(), n, buf.data(), nullptr) != n - 1) return {};
    buf.resize(n - 1);
    while (buf.size() > 3 && buf.back() == L'\\') buf.pop_back();
    return buf;
}

// The folder of an installation, as an update finds it: everything in it
// protected, no link, no file with a second name. Changes nothing.
class UpdateCheck {
public:
    bool folderIsIntact(HANDLE folder, const std::wstring& path, int depth = 0) {
        bool isFolder = false;
        if (depth > 64 || isLinkOrShared(folder, path, &isFolder) || !isFolder ||
            !zb::setup::mayHoldInstallation(folder, Place::Other))
            return false;
        std::vector<unsigned char> buf(64 * 1024);
        for (FILE_INFO_BY_HANDLE_CLASS how = FileIdBothDirectoryRestartInfo;; how = FileIdBothDirectoryInfo) {
            if (!GetFileInformationByHandleEx(folder, how, buf.data(), static_cast<DWORD>(buf.size())))
                return GetLastError() == ERROR_NO_MORE_FILES;
            for (auto* e = reinterpret_cast<FILE_ID_BOTH_DIR_INFO*>(buf.data());;
                 e = reinterpret_cast<FILE_ID_BOTH_DIR_INFO*>(reinterpret_cast<unsigned char*>(e) + e->NextEntryOffset)) {
                const std::wstring name(e->FileName, e->FileNameLength / sizeof(wchar_t));
                if (name != L"." && name != L".." && !entryIsIntact(folder, path, name, depth)) return false;
                if (!e->NextEntryOffset) break;
            }
        }
    }
    bool holdsTheProgram() const { return program_; }

private:
    bool entryIsIntact(HANDLE folder, const std::wstring& folderPath, const std::wstring& name, int depth) {
        NTSTATUS status = 0;
        const OwnedHandle entry = openEntry(folder, name, kLook, FILE_OPEN, 0, nullptr, &status);
        const std::wstring path = childPath(folderPath, name);
        bool isFolder = false;
        if (!entry || isLinkOrShared(entry.get(), path, &isFolder)) return false;
        if (depth == 0 && (sameName(name, L"ZelkorBackup.exe") || sameName(name, L"Deinstallieren.dat")))
            program_ = true;
        return isFolder ? folderIsIntact(entry.get(), path, depth + 1)
                        : zb::setup::mayHoldInstallation(entry.get(), Place::Other);
    }
    bool program_ = false;
};

class Installation {
public:
    ~Installation() {
        if (!keep_) undo();
    }

    // First: the folder must not exist. Update: the setup's update, into the
    // folder of the installed version. Renew: the MSI package's repair or
    // upgrade, which Windows Installer knows to be an installation of its
    // own; its folder may already have lost the older version's files.
    enum class Mode { First, Update, Renew };
    int prepare(const std::wstring& folder, Mode mode) {
        const std::vector<std::wstring> parts = zb::setup::installPathParts(folder);
        // A network folder's administrators are the server's.
        if (parts.size() < 2) return kRefused;
        const UINT drive = GetDriveTypeW(parts[0].c_str());
        if (drive != DRIVE_FIXED && drive != DRIVE_REMOVABLE) return kRefused;
        NTSTATUS status = 0;
        held_.push_back(openEntry(nullptr, L"\\??\\" + parts[0], kLook, FILE_OPEN, FILE_DIRECTORY_FILE, nullptr, &status));
        if (!held_.back() || !zb::setup::mayHoldInstallation(held_.back().get(), Place::DriveRoot)) return kRefused;
        // Where each folder must be found: below the root as the system names it.
        std::wstring path = finalPath(held_.back().get());
        if (path.empty()) return kRefused;
        const zb::setup::LocalBlock rights = zb::setup::descriptor(kProgramFolderRights);
        if (!rights) return kRefused;
        for (std::size_t i = 1; i < parts.size(); ++i) {
            const bool last = i + 1 == parts.size();
            const HANDLE parent = held_.back().get();
            path = childPath(path, parts[i]);
            OwnedHandle next = openEntry(parent, parts[i], kLook, FILE_OPEN, 0, nullptr, &status);
            if (!next) {
                if (status != zb::setup::kNameNotFound) return kRefused;
                // Made here, with its rights, or not at all: a name someone
                // took in the meantime is never taken over.
                next = openEntry(parent, parts[i], kLook | DELETE, FILE_CREATE, FILE_DIRECTORY_FILE, rights.get(),
                                 &status);
                if (!next) return kRefused;
                created_.push_back(held_.size());
                held_.push_back(std::move(next));
                bool isFolder = false;
                if (isLinkOrShared(held_.back().get(), path, &isFolder) ||
                    !zb::setup::mayHoldInstallation(held_.back().get(), Place::Other))
                    return kRefused;
                continue;
            }
            if (last) {
                if (mode == Mode::First) return kExists;
                UpdateCheck check;
                if (!check.folderIsIntact(next.get(), path) || (mode == Mode::Update && !check.holdsTheProgram()))
                    return kRefused;
            } else {
                bool isFolder = false;
                if (isLinkOrShared(next.get(), path, &isFolder) || !isFolder ||
                    !zb::setup::mayHoldInstallation(next.get(), Place::Other))
                    return kRefused;
            }
            held_.push_back(std::move(next));
        }
        keep_ = true;
        return kAccepted;
    }

private:
    // The folders made here go again through the handles that are them, the
    // innermost first: a folder goes only once it is empty.
    void undo() {
        for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
            FILE_DISPOSITION_INFO gone{TRUE};
            SetFileInformationByHandle(held_[*it].get(), FileDispositionInfo, &gone, sizeof gone);
            held_[*it].reset();
        }
    }

    std::vector<OwnedHandle> held_;  // every folder from the root down
    std::vector<std::size_t> created_;  // which of them were made here
    bool keep_ = false;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    Installation::Mode mode = Installation::Mode::First;
    const std::wstring option = argv && argc == 3 ? argv[1] : L"";
    if (option == L"/aktualisieren") mode = Installation::Mode::Update;
    if (option == L"/erneuern") mode = Installation::Mode::Renew;
    const std::wstring folder = argv && argc == (option.empty() ? 2 : 3) ? fullPath(argv[argc - 1]) : std::wstring();
    LocalFree(argv);
    if (folder.empty()) return kRefused;
    // The MSI package's rollback of a first installation: the folder made
    // for it goes again once the installer has taken its files back, so that
    // the next attempt does not find a folder that exists. Only while it is
    // empty: what anyone else put there stays.
    if (option == L"/entfernen") return RemoveDirectoryW(folder.c_str()) ? kAccepted : kRefused;
    if (!option.empty() && mode == Installation::Mode::First) return kRefused;
    Installation installation;
    return installation.prepare(folder, mode);
}
