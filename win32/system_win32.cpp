#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "win32/folder_rights_win.h"

#include "platform/ports.h"
#include "win32/handles_win32.h"
#include "win32/text_win32.h"

namespace zb {

namespace {

std::string localeInfo(LCTYPE type) {
    wchar_t buf[128];
    const int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buf, 128);
    return n > 0 ? fromWide(std::wstring_view(buf, static_cast<std::size_t>(n - 1))) : std::string();
}

using setup::sidText;

// The own account counts as an administrator only while this process runs
// elevated: then it is one. A standard user's program trusts nothing of theirs.
std::string elevatedAccount() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    const unique_handle token(raw);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!GetTokenInformation(raw, TokenElevation, &elevation, sizeof elevation, &size) || !elevation.TokenIsElevated)
        return {};
    GetTokenInformation(raw, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buf(size ? size : 1);
    if (!GetTokenInformation(raw, TokenUser, buf.data(), size, &size)) return {};
    return sidText(reinterpret_cast<TOKEN_USER*>(buf.data())->User.Sid);
}

// The content as the profile functions read it: UTF-16 after its mark,
// otherwise the system's ANSI code page.
std::string profileText(const std::string& bytes) {
    std::wstring wide;
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        wide.resize((bytes.size() - 2) / sizeof(wchar_t));
        std::memcpy(wide.data(), bytes.data() + 2, wide.size() * sizeof(wchar_t));
    } else if (!bytes.empty()) {
        const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        wide.resize(static_cast<std::size_t>(n > 0 ? n : 0));
        if (n > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    }
    return fromWide(wide);
}

class Win32System final : public ISystem {
public:
    std::string env(const std::string& name) override {
        std::wstring buf(32768, L'\0');
        const DWORD n = GetEnvironmentVariableW(toWide(name).c_str(), buf.data(), static_cast<DWORD>(buf.size()));
        return n > 0 && n < buf.size() ? fromWide(std::wstring_view(buf.data(), n)) : std::string();
    }
    bool directoryExists(const std::string& path) override {
        if (path.empty()) return false;
        const DWORD a = GetFileAttributesW(toWide(path).c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    bool forceDirectories(const std::string& path) override {
        std::string p = path;
        while (!p.empty() && (p.back() == '\\' || p.back() == '/')) p.pop_back();
        if (p.empty()) return false;
        if (directoryExists(p) || (p.size() == 2 && p[1] == ':')) return directoryExists(p + "\\");
        const auto cut = p.find_last_of("\\/");
        if (cut != std::string::npos && cut > 0 && !(cut == 1 && p[0] == '\\')) {
            if (!forceDirectories(p.substr(0, cut))) return false;
        }
        return CreateDirectoryW(toWide(p).c_str(), nullptr) != FALSE || directoryExists(p);
    }
    std::string programFolder() override {
        std::wstring path(MAX_PATH, L'\0');
        for (;;) {
            const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
            if (n == 0) return {};
            if (n < path.size()) {
                path.resize(n);
                break;
            }
            path.resize(path.size() * 2);  // truncated: try a longer buffer
        }
        const auto cut = path.find_last_of(L'\\');
        return cut == std::wstring::npos ? std::string() : fromWide(std::wstring_view(path).substr(0, cut));
    }
    std::string shellDesktopFolder() override {
        wchar_t buf[MAX_PATH] = {};
        return SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, buf) == S_OK
                   ? fromWide(buf)
                   : std::string();
    }
    // The known folder, not the variable: a user can set that for all their programs.
    std::string sharedDataFolder() override {
        PWSTR path = nullptr;
        const HRESULT hr = SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &path);
        std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> owned(path, &CoTaskMemFree);
        return SUCCEEDED(hr) && path ? fromWide(path) : std::string();
    }
    // Each level opened relative to the one above, never following a link,
    // and judged by what its handle is: a name swapped after the check
    // reaches nothing, and the content comes from the handle that was judged.
    TrustedFile readTrustedFile(const std::string& path, std::size_t largest) override {
        const std::optional<std::wstring> wide = toWideExact(path);
        if (!wide) return {Trust::Untrusted, {}};
        const auto fileCut = wide->find_last_of(L'\\');
        const auto folderCut = fileCut == std::wstring::npos || fileCut == 0 ? std::wstring::npos
                                                                            : wide->find_last_of(L'\\', fileCut - 1);
        if (folderCut == std::wstring::npos || folderCut < 3 || wide->compare(0, 4, L"\\\\?\\") == 0 ||
            wide->compare(0, 2, L"\\\\") == 0)
            return {Trust::Untrusted, {}};
        const std::wstring sharedPath = wide->substr(0, folderCut);
        const std::wstring folderName = wide->substr(folderCut + 1, fileCut - folderCut - 1);
        const std::wstring fileName = wide->substr(fileCut + 1);
        const auto missing = [](NTSTATUS status) {
            return status == setup::kNameNotFound || status == setup::kPathNotFound;
        };
        NTSTATUS status = 0;
        const setup::OwnedHandle shared = setup::openEntry(nullptr, L"\\??\\" + sharedPath, setup::kLook, FILE_OPEN,
                                                           FILE_DIRECTORY_FILE, nullptr, &status);
        if (!shared) return {missing(status) ? Trust::Missing : Trust::Untrusted, {}};
        const std::wstring expected = L"\\\\?\\" + sharedPath;
        const setup::OwnedHandle folder =
            setup::openEntry(shared.get(), folderName, setup::kLook, FILE_OPEN, FILE_DIRECTORY_FILE, nullptr, &status);
        if (!folder) return {missing(status) ? Trust::Missing : Trust::Untrusted, {}};
        const setup::OwnedHandle file = setup::openEntry(folder.get(), fileName, setup::kLook | FILE_READ_DATA, FILE_OPEN,
                                                         FILE_NON_DIRECTORY_FILE, nullptr, &status);
        if (!file) return {missing(status) ? Trust::Missing : Trust::Untrusted, {}};
        const std::wstring folderPath = setup::childPath(expected, folderName);
        if (!setup::presetIsTrusted(setup::see(shared.get(), expected), setup::see(folder.get(), folderPath),
                                    setup::see(file.get(), setup::childPath(folderPath, fileName)), elevatedAccount()))
            return {Trust::Untrusted, {}};
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.get(), &size)) return {Trust::Untrusted, {}};
        if (static_cast<unsigned long long>(size.QuadPart) > largest) return {Trust::Trusted, std::nullopt};
        std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        if (!bytes.empty() &&
            (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got != bytes.size()))
            return {Trust::Untrusted, {}};
        return {Trust::Trusted, profileText(bytes)};
    }
};

class Win32Locale final : public ILocale {
public:
    std::string formatLongTime(TimeOfDay t) override {
        SYSTEMTIME st{};
        st.wYear = 2000;
        st.wMonth = 1;
        st.wDay = 1;
        st.wHour = static_cast<WORD>(t.hour);
        st.wMinute = static_cast<WORD>(t.minute);
        st.wSecond = static_cast<WORD>(t.second);
        wchar_t buf[128];
        const int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, 128);
        return n > 0 ? fromWide(std::wstring_view(buf, static_cast<std::size_t>(n - 1))) : std::string();
    }
    std::string timeSeparator() override { return localeInfo(LOCALE_STIME); }
    std::string amDesignator() override { return localeInfo(LOCALE_S1159); }
    std::string pmDesignator() override { return localeInfo(LOCALE_S2359); }
    std::string formatShortDate(const LocalDateTime& t) override {
        SYSTEMTIME st{};
        st.wYear = static_cast<WORD>(t.year);
        st.wMonth = static_cast<WORD>(t.month);
        st.wDay = static_cast<WORD>(t.day);
        wchar_t buf[128];
        const int n = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buf, 128);
        return n > 0 ? fromWide(std::wstring_view(buf, static_cast<std::size_t>(n - 1))) : std::string();
    }
};

}  // namespace

std::unique_ptr<ISystem> makeSystem() { return std::make_unique<Win32System>(); }
std::unique_ptr<ILocale> makeLocale() { return std::make_unique<Win32Locale>(); }

}  // namespace zb
