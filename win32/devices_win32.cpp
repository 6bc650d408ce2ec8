#include "win32/devices_win32.h"

#include <windows.h>

#include "win32/text_win32.h"
#include "win32/window_win32.h"

namespace zb {

// INVALID_HANDLE_VALUE is (HANDLE)-1, the all-ones pointer.
static_assert(IVolume::kInvalid == static_cast<std::uintptr_t>(-1));

std::uint32_t Win32Volume::getDriveType(const std::string& root) { return GetDriveTypeW(toWide(root).c_str()); }

IVolume::Handle Win32Volume::createFile(const std::string& path, std::uint32_t access, std::uint32_t share,
                                        std::uint32_t disposition, std::uint32_t flags) {
    return reinterpret_cast<Handle>(
        CreateFileW(toWide(path).c_str(), access, share, nullptr, disposition, flags, nullptr));
}

bool Win32Volume::deviceIoControl(Handle h, std::uint32_t code, const std::vector<std::uint8_t>& input) {
    DWORD returned = 0;
    std::vector<std::uint8_t> in = input;
    return DeviceIoControl(reinterpret_cast<HANDLE>(h), code, in.empty() ? nullptr : in.data(),
                           static_cast<DWORD>(in.size()), nullptr, 0, &returned, nullptr) != FALSE;
}

std::uint32_t Win32Volume::getLastError() { return GetLastError(); }

void Win32Volume::sleep(std::uint32_t ms) {
    // Up to 10 s of retries: the window must answer Windows meanwhile.
    if (serve) serve->serveUntil(nullptr, ms);
    else Sleep(ms);
}

bool Win32Volume::closeHandle(Handle h) { return CloseHandle(reinterpret_cast<HANDLE>(h)) != FALSE; }

std::uint32_t Win32Power::versionPlatformId() {
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = 148;
    static_assert(sizeof(OSVERSIONINFOA) == 148);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#elif defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
    GetVersionExA(&vi);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return vi.dwPlatformId;
}

bool Win32Power::openProcessToken(std::uint32_t access, Handle& token) {
    HANDLE h = nullptr;
    const bool ok = OpenProcessToken(GetCurrentProcess(), access, &h) != FALSE;
    token = reinterpret_cast<Handle>(h);
    return ok;
}

bool Win32Power::lookupPrivilegeValue(const std::string& name, std::uint64_t& luid) {
    LUID l{};
    const bool ok = LookupPrivilegeValueW(nullptr, toWide(name).c_str(), &l) != FALSE;
    luid = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(l.HighPart)) << 32) | l.LowPart;
    return ok;
}

bool Win32Power::adjustTokenPrivileges(Handle token, std::uint64_t luid, std::uint32_t attributes) {
    TOKEN_PRIVILEGES tp{};
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Luid.LowPart = static_cast<DWORD>(luid & 0xFFFFFFFFu);
    tp.Privileges[0].Luid.HighPart = static_cast<LONG>(luid >> 32);
    tp.Privileges[0].Attributes = attributes;
    DWORD returnLength = 0;
    return AdjustTokenPrivileges(reinterpret_cast<HANDLE>(token), FALSE, &tp, 0, nullptr, &returnLength) != FALSE;
}

bool Win32Power::closeHandle(Handle h) { return CloseHandle(reinterpret_cast<HANDLE>(h)) != FALSE; }

bool Win32Power::exitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
    return ExitWindowsEx(flags, reason) != FALSE;
}

}  // namespace zb
