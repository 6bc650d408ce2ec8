#include "win32/tray_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "win32/text_win32.h"

namespace zb {

static_assert(kNotifyIconDataV2Size == NOTIFYICONDATAA_V2_SIZE);

namespace {

// The record's texts are UTF-8, cut by the form to their fields' bytes; in
// UTF-16 they never need more units than that.
template <std::size_t N>
void wide(wchar_t (&to)[N], const char (&from)[N]) {
    const std::wstring text = toWide(std::string_view(from, strnlen(from, N)));
    std::wmemset(to, 0, N);
    std::wmemcpy(to, text.data(), text.size() < N ? text.size() : N - 1);
}

// The form fills the record of a version; the wide call wants that
// version's own size.
DWORD wideSize(std::uint32_t ansiSize) {
    switch (ansiSize) {
        case NOTIFYICONDATAA_V1_SIZE: return NOTIFYICONDATAW_V1_SIZE;
        case NOTIFYICONDATAA_V2_SIZE: return NOTIFYICONDATAW_V2_SIZE;
        case NOTIFYICONDATAA_V3_SIZE: return NOTIFYICONDATAW_V3_SIZE;
        default: return ansiSize;
    }
}

}  // namespace

bool Win32Tray::notifyIcon(std::uint32_t message, const TrayIconData& d) {
    NOTIFYICONDATAW n{};
    n.cbSize = wideSize(d.cbSize);
    n.hWnd = reinterpret_cast<HWND>(d.hWnd);
    n.uID = d.uID;
    n.uFlags = d.uFlags;
    n.uCallbackMessage = d.uCallbackMessage;
    n.hIcon = reinterpret_cast<HICON>(d.hIcon);
    wide(n.szTip, d.szTip);
    n.dwState = d.dwState;
    n.dwStateMask = d.dwStateMask;
    wide(n.szInfo, d.szInfo);
    n.uTimeout = d.uTimeout;
    wide(n.szInfoTitle, d.szInfoTitle);
    n.dwInfoFlags = d.dwInfoFlags;
    return Shell_NotifyIconW(message, &n) != FALSE;
}

std::uintptr_t Win32Tray::warningIcon() {
    // At the size of the notification area, so that 150 % and 200 % get
    // their own picture; loaded once and kept for the program's life.
    static HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"WARNICON", IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON),
                                                      GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    return icon ? reinterpret_cast<std::uintptr_t>(icon) : appIcon();
}

std::uintptr_t Win32Tray::appIcon() {
    // As the warning icon: the frame drawn for the notification area's size.
    static HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON),
                                                      GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    return reinterpret_cast<std::uintptr_t>(icon ? icon : LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"));
}

}  // namespace zb
