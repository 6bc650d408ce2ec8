#include "win32/tray_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>

#include "win32/text_win32.h"

namespace zb {

static_assert(kNotifyIconDataV2Size == NOTIFYICONDATAA_V2_SIZE);

namespace {

// The record's texts are UTF-8; the ANSI call takes the system's code page,
// which never needs more bytes than UTF-8 for the same text.
template <std::size_t N>
void ansi(char (&to)[N], const char (&from)[N]) {
    const std::string text = toAnsi(std::string(from, strnlen(from, N)));
    std::memset(to, 0, N);
    std::memcpy(to, text.data(), text.size() < N ? text.size() : N - 1);
}

}  // namespace

bool Win32Tray::notifyIcon(std::uint32_t message, const TrayIconData& d) {
    NOTIFYICONDATAA n{};
    n.cbSize = d.cbSize;
    n.hWnd = reinterpret_cast<HWND>(d.hWnd);
    n.uID = d.uID;
    n.uFlags = d.uFlags;
    n.uCallbackMessage = d.uCallbackMessage;
    n.hIcon = reinterpret_cast<HICON>(d.hIcon);
    ansi(n.szTip, d.szTip);
    n.dwState = d.dwState;
    n.dwStateMask = d.dwStateMask;
    ansi(n.szInfo, d.szInfo);
    n.uTimeout = d.uTimeout;
    ansi(n.szInfoTitle, d.szInfoTitle);
    n.dwInfoFlags = d.dwInfoFlags;
    return Shell_NotifyIconA(message, &n) != FALSE;
}

std::uintptr_t Win32Tray::warningIcon() {
    // At the size of the notification area, so that 150 % and 200 % get
    // their own picture; loaded once and kept for the program's life.
    static HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "WARNICON", IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON),
                                                      GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    return icon ? reinterpret_cast<std::uintptr_t>(icon) : appIcon();
}

std::uintptr_t Win32Tray::appIcon() {
    // As the warning icon: the frame drawn for the notification area's size.
    static HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON),
                                                      GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    return reinterpret_cast<std::uintptr_t>(icon ? icon : LoadIconA(GetModuleHandleA(nullptr), "MAINICON"));
}

}  // namespace zb
