// Vorgabe.exe [/pruefen] [/bericht=DATEI] FILE: makes FILE the administrator's
// preset that every user's first start of the program takes,
// %ProgramData%\ZELKOR Backup\Vorgabe.ini.
//
// Both setups run it elevated (the NSIS setup for /VORGABE=, first with
// /pruefen before it changes anything; the MSI package for the property
// VORGABE, which only an administrator can pass); an administrator may run it
// later to change the preset. It places only a file that is a preset: an INI
// text of at most 64 KiB whose sections and keys are the program's and whose
// values the program would take (core/preset_rules.h, the program's own
// rules), so that no other file an elevated run can read ever becomes
// readable to every user.
//
// The folder is made with its rights in the same call (administrators and
// SYSTEM change, users read), since every user's program trusts what it
// holds; %ProgramData% and the folder are opened by handle, never through a
// link, and held without sharing deletion, so neither can be renamed or
// replaced meanwhile. A folder that exists already is taken only when only
// administrators can change it, never one a user made first. The file is
// written beside its place and renamed over it, so a reader sees the old
// preset or the new one. /pruefen judges the file and the folder and
// changes nothing. /bericht= writes the reason of a refusal, one line of
// UTF-16 LE without a byte-order mark, into DATEI for the setup to show.
//
// Exit codes: 0 done; 1 the preset could not be written; 20 FILE cannot be
// read; 21 larger than 64 KiB; 22 no INI text; 23 a section or key that is
// not the program's; 24 an invalid value; 25 %ProgramData%\ZELKOR Backup
// exists and is not as the setup makes it.
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "core/preset_rules.h"
#include "win32/folder_rights_win.h"

namespace {

using zb::setup::OwnedHandle;

constexpr int kDone = 0, kNotWritten = 1, kUnreadable = 20, kTooLarge = 21, kNotIni = 22, kUnknownName = 23,
              kInvalidValue = 24, kForeignFolder = 25;

constexpr wchar_t kFolderName[] = L"ZELKOR Backup";
constexpr wchar_t kFolderRights[] = L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

std::wstring report;

std::wstring wide(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string utf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

int refuse(int code, const std::wstring& why) {
    report = why;
    return code;
}

std::wstring programData() {
    PWSTR path = nullptr;
    const HRESULT hr = SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &path);
    std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> owned(path, &CoTaskMemFree);
    return SUCCEEDED(hr) && path ? std::wstring(path) : std::wstring();
}

std::wstring localeText(LCTYPE type) {
    wchar_t buf[32] = {};
    return GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buf, 32) > 0 ? buf : L"";
}

// The preset's text as the profile functions read it, judged by the
// program's rules; from one handle, once.
int readPreset(const std::wstring& path, std::vector<char>& out) {
    OwnedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return refuse(kUnreadable, L"Die Vorgabe „" + path + L"“ lässt sich nicht lesen (Fehler " +
                                       std::to_wstring(GetLastError()) + L").");
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size))
        return refuse(kUnreadable, L"Die Vorgabe „" + path + L"“ lässt sich nicht lesen.");
    if (size.QuadPart > static_cast<LONGLONG>(zb::kLargestPreset))
        return refuse(kTooLarge, L"Die Datei „" + path + L"“ ist keine Vorgabe: Sie ist größer als 64 KB.");
    out.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    if (!out.empty() &&
        (!ReadFile(file.get(), out.data(), static_cast<DWORD>(out.size()), &got, nullptr) || got != out.size()))
        return refuse(kUnreadable, L"Die Vorgabe „" + path + L"“ lässt sich nicht lesen.");
    std::wstring text;
    if (out.size() >= 2 && static_cast<unsigned char>(out[0]) == 0xFF && static_cast<unsigned char>(out[1]) == 0xFE) {
        text.assign(reinterpret_cast<const wchar_t*>(out.data() + 2), (out.size() - 2) / sizeof(wchar_t));
    } else if (!out.empty()) {
        const int n = MultiByteToWideChar(CP_ACP, 0, out.data(), static_cast<int>(out.size()), nullptr, 0);
        text.resize(static_cast<std::size_t>(n > 0 ? n : 0));
        if (n > 0) MultiByteToWideChar(CP_ACP, 0, out.data(), static_cast<int>(out.size()), text.data(), n);
    }
    const zb::PresetCheck check = zb::checkPresetFile(
        utf8(text), {utf8(localeText(LOCALE_STIME)), utf8(localeText(LOCALE_S1159)), utf8(localeText(LOCALE_S2359))});
    const std::wstring what = wide(check.what);
    switch (check.fault) {
        case zb::PresetFault::None: return kDone;
        case zb::PresetFault::NotIni:
            return refuse(kNotIni, L"Die Datei „" + path + L"“ ist keine Vorgabe: Sie ist keine Einstellungsdatei im Aufbau von Backup.ini" +
                                       (what.empty() ? L"." : L" (Zeile „" + what + L"“)."));
        case zb::PresetFault::UnknownName:
            return refuse(kUnknownName, L"Die Datei „" + path + L"“ ist keine Vorgabe: „" + what +
                                            L"“ ist kein Abschnitt und keine Einstellung von ZELKOR Backup.");
        case zb::PresetFault::InvalidValue:
            return refuse(kInvalidValue, L"Die Vorgabe „" + path + L"“ hat einen ungültigen Wert für „" + what + L"“.");
    }
    return kNotIni;
}

std::wstring accountName(const std::string& sidText) {
    PSID sid = nullptr;
    if (!ConvertStringSidToSidW(wide(sidText).c_str(), &sid)) return wide(sidText);
    zb::setup::LocalBlock owned(sid);
    wchar_t name[256], domain[256];
    DWORD nameSize = 256, domainSize = 256;
    SID_NAME_USE use;
    if (!LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) return wide(sidText);
    return domain[0] ? std::wstring(domain) + L"\\" + name : std::wstring(name);
}

// %ProgramData% and the preset's folder, held open: made here with its
// rights, or taken only as the setup makes it.
class PresetFolder {
public:
    int open(bool create) {
        const std::wstring shared = programData();
        if (shared.empty()) return refuse(kNotWritten, L"Windows nennt keinen Ordner %ProgramData%.");
        path_ = shared + L"\\" + kFolderName;
        NTSTATUS status = 0;
        shared_ = zb::setup::openEntry(nullptr, L"\\??\\" + shared, zb::setup::kLook, FILE_OPEN, FILE_DIRECTORY_FILE,
                                       nullptr, &status);
        if (!shared_) return refuse(kNotWritten, L"Der Ordner „" + shared + L"“ lässt sich nicht öffnen.");
        const std::wstring expected = L"\\\\?\\" + shared;
        folder_ = zb::setup::openEntry(shared_.get(), kFolderName, zb::setup::kLook, FILE_OPEN, 0, nullptr, &status);
        if (!folder_) {
            if (status != zb::setup::kNameNotFound) return foreign(L"");
            if (!create) return kDone;
            const zb::setup::LocalBlock rights = zb::setup::descriptor(kFolderRights);
            folder_ = zb::setup::openEntry(shared_.get(), kFolderName, zb::setup::kLook, FILE_CREATE,
                                           FILE_DIRECTORY_FILE, rights.get(), &status);
            if (!folder_) return refuse(kNotWritten, L"Der Ordner „" + path_ + L"“ lässt sich nicht anlegen.");
        }
        const zb::setup::Seen seen = zb::setup::see(folder_.get(), zb::setup::childPath(expected, kFolderName));
        if (seen.link || !seen.folder || !seen.readable ||
            !zb::setup::mayHoldInstallation(zb::setup::Place::Other, seen.owner, seen.hasDacl, seen.dacl,
                                            zb::setup::ownAccount()))
            return foreign(seen.readable ? accountName(seen.owner) : L"");
        return kDone;
    }
    const std::wstring& path() const { return path_; }

private:
    int foreign(const std::wstring& owner) {
        return refuse(kForeignFolder,
                      L"Der Ordner „" + path_ + L"“ besteht bereits" + (owner.empty() ? L"" : L" (Besitzer: " + owner + L")") +
                          L" und ist nicht so angelegt, wie das Setup ihn anlegt: Er ist eine Verknüpfung oder "
                          L"lässt sich auch ohne Administratorrechte ändern. Es wurde nichts geändert. Prüfen Sie, "
                          L"wer ihn angelegt hat, löschen Sie ihn und installieren Sie erneut.");
    }

    std::wstring path_;
    OwnedHandle shared_, folder_;
};

bool place(const std::wstring& folder, const std::vector<char>& content) {
    const std::wstring target = folder + L"\\Vorgabe.ini";
    const std::wstring temp = folder + L"\\Vorgabe.ini." + std::to_wstring(GetCurrentProcessId()) + L".neu";
    {
        // A new file takes the folder's rights.
        OwnedHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) {
            file.release();
            return false;
        }
        DWORD written = 0;
        if (!content.empty() &&
            (!WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
             written != content.size() || !FlushFileBuffers(file.get()))) {
            file.reset();
            DeleteFileW(temp.c_str());
            return false;
        }
    }
    if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileW(temp.c_str());
    return false;
}

void writeReport(const std::wstring& path) {
    if (path.empty() || report.empty()) return;
    OwnedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return;
    }
    DWORD written = 0;
    WriteFile(file.get(), report.data(), static_cast<DWORD>(report.size() * sizeof(wchar_t)), &written, nullptr);
}

int run(const std::vector<std::wstring>& args, std::wstring& reportFile) {
    bool checkOnly = false;
    std::wstring source;
    for (const std::wstring& a : args) {
        if (a == L"/pruefen") checkOnly = true;
        else if (a.rfind(L"/bericht=", 0) == 0) reportFile = a.substr(9);
        else if (source.empty()) source = a;
        else return refuse(kUnreadable, L"Vorgabe.exe nimmt eine Datei.");
    }
    if (source.empty()) return refuse(kUnreadable, L"Vorgabe.exe nimmt eine Datei.");
    std::vector<char> content;
    if (const int code = readPreset(source, content); code != kDone) return code;
    PresetFolder folder;
    if (const int code = folder.open(!checkOnly); code != kDone || checkOnly) return code;
    if (!place(folder.path(), content))
        return refuse(kNotWritten, L"Die Vorgabe konnte nicht als „" + folder.path() + L"\\Vorgabe.ini“ gespeichert werden.");
    return kDone;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    for (int i = 1; argv && i < argc; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);
    std::wstring reportFile;
    const int code = run(args, reportFile);
    writeReport(reportFile);
    return code;
}
