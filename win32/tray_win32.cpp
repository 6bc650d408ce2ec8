#include "win32/tray_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>

namespace zb {

static_assert(kNotifyIconDataV2Size == NOTIFYICONDATAA_V2_SIZE);

bool Win32Tray::notifyIcon(std::uint32_t message, const TrayIconData& d) {
    NOTIFYICONDATAA n{};
    n.cbSize = d.cbSize;
    n.hWnd = reinterpret_cast<HWND>(d.hWnd);
    n.uID = d.uID;
    n.uFlags = d.uFlags;
    n.uCallbackMessage = d.uCallbackMessage;
    n.hIcon = reinterpret_cast<HICON>(d.hIcon);
    std::memcpy(n.szTip, d.szTip, sizeof n.szTip);
    n.dwState = d.dwState;
    n.dwStateMask = d.dwStateMask;
    std::memcpy(n.szInfo, d.szInfo, sizeof n.szInfo);
    n.uTimeout = d.uTimeout;
    std::memcpy(n.szInfoTitle, d.szInfoTitle, sizeof n.szInfoTitle);
    n.dwInfoFlags = d.dwInfoFlags;
    return Shell_NotifyIconA(message, &n) != FALSE;
}

std::uintptr_t Win32Tray::appIcon() {
    static HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    return reinterpret_cast<std::uintptr_t>(icon);
}

}  // namespace zb
