// The controls of the main window: created from the control table, read and
// written for the form.
#include "win32/window_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "win32/text_win32.h"

namespace zb {

namespace {

DWORD controlStyle(const CtlInfo& i, const wchar_t*& cls) {
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    if (i.flags & F_VIS) style |= WS_VISIBLE;
    if (i.flags & F_DIS) style |= WS_DISABLED;
    if (i.flags & F_TAB) style |= WS_TABSTOP;
    switch (i.kind) {
        case Kind::Panel: cls = L"STATIC"; return style | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX;
        case Kind::Group: cls = L"BUTTON"; return (style & ~WS_CLIPSIBLINGS) | BS_GROUPBOX;
        case Kind::Check: cls = L"BUTTON"; return style | BS_AUTOCHECKBOX | ((i.flags & F_LEFT) ? BS_LEFTTEXT : 0);
        case Kind::Edit: cls = L"EDIT"; return style | ES_AUTOHSCROLL;
        case Kind::Label: cls = L"STATIC"; return style | SS_LEFT | SS_NOPREFIX;
        case Kind::Glyph: cls = L"BUTTON"; return style | BS_OWNERDRAW;
        case Kind::Button: cls = L"BUTTON"; return style | ((i.flags & F_DEF) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        case Kind::TimePicker: cls = DATETIMEPICK_CLASSW; return style | DTS_TIMEFORMAT;
        case Kind::Memo:
            cls = L"EDIT";
            return style | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | ES_READONLY;
        default: cls = nullptr; return 0;
    }
}

}  // namespace

bool Win32Window::createControls() {
    // "MS Sans Serif" 8 pt at 96 dpi.
    font_ = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
    white_ = CreateSolidBrush(RGB(255, 255, 255));
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

    trayMenu_ = CreatePopupMenu();
    // A menu item that is the parent of others opens them as its submenu;
    // the tray menu owns the submenus and destroys them with itself.
    std::array<HMENU, kControlCount> menus{};
    menus[static_cast<std::size_t>(Ctl::popSysTray)] = trayMenu_;
    for (const CtlInfo& i : kControls) {
        const HMENU in = menus[static_cast<std::size_t>(i.parent)];
        const bool opens = std::any_of(std::begin(kControls), std::end(kControls),
                                       [&](const CtlInfo& c) { return c.parent == i.id && c.kind == Kind::MenuItem; });
        if (i.kind == Kind::MenuItem && opens) {
            menus[static_cast<std::size_t>(i.id)] = CreatePopupMenu();
            AppendMenuW(in, MF_POPUP, reinterpret_cast<UINT_PTR>(menus[static_cast<std::size_t>(i.id)]),
                        toWide(i.caption).c_str());
        } else if (i.kind == Kind::MenuItem) {
            AppendMenuW(in, MF_STRING, static_cast<UINT_PTR>(controlId(i.id)), toWide(i.caption).c_str());
        } else if (i.kind == Kind::Separator) {
            AppendMenuW(in, MF_SEPARATOR, 0, nullptr);
        }
        if (!isWindowControl(i.kind)) continue;
        const wchar_t* cls = nullptr;
        const DWORD style = controlStyle(i, cls);
        const Rect pos = clientRect(i.id);
        const DWORD ex = (i.kind == Kind::Edit || i.kind == Kind::Memo) ? WS_EX_CLIENTEDGE : 0;
        HWND c = CreateWindowExW(ex, cls, toWide(i.caption).c_str(), style, pos.left, pos.top,
                                 pos.right - pos.left, pos.bottom - pos.top, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId(i.id))), instance_, nullptr);
        if (!c) return false;
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        hwnds_[static_cast<std::size_t>(i.id)] = c;
        // The log pane keeps every line of a session, not the edit
        // control's default 30,000 characters.
        if (i.kind == Kind::Memo) SendMessageW(c, EM_SETLIMITTEXT, 0, 0);
        if (i.kind == Kind::TimePicker) {
            SendMessageW(c, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm"));
            setTime(i.id, TimeOfDay{});
        }
    }
    // Containers go to the bottom of the z-order so that they never paint
    // over the controls inside them; only tab stops decide the tab order.
    for (const CtlInfo& i : kControls)
        if (i.kind == Kind::Group || i.kind == Kind::Panel)
            SetWindowPos(ctl(i.id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

bool Win32Window::checked(Ctl c) const {
    // MF_BYCOMMAND finds an item in the submenus too.
    if (info(c).kind == Kind::MenuItem)
        return (GetMenuState(trayMenu_, static_cast<UINT>(controlId(c)), MF_BYCOMMAND) & MF_CHECKED) != 0;
    return SendMessageW(ctl(c), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Window::setCheckedState(Ctl c, bool on) {
    if (info(c).kind == Kind::MenuItem) {
        CheckMenuItem(trayMenu_, static_cast<UINT>(controlId(c)), MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
        return;
    }
    SendMessageW(ctl(c), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string Win32Window::text(Ctl c) const {
    const HWND h = ctl(c);
    std::wstring buf(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
    const int n = GetWindowTextW(h, buf.data(), static_cast<int>(buf.size()));
    buf.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    return fromWide(buf);
}

void Win32Window::setText(Ctl c, const std::string& s) { SetWindowTextW(ctl(c), toWide(s).c_str()); }

bool Win32Window::visible(Ctl c) const { return (GetWindowLongW(ctl(c), GWL_STYLE) & WS_VISIBLE) != 0; }

void Win32Window::setVisible(Ctl c, bool on) { ShowWindow(ctl(c), on ? SW_SHOWNA : SW_HIDE); }

bool Win32Window::enabled(Ctl c) const { return IsWindowEnabled(ctl(c)) != FALSE; }

void Win32Window::setEnabled(Ctl c, bool on) { EnableWindow(ctl(c), on ? TRUE : FALSE); }

TimeOfDay Win32Window::time(Ctl c) const {
    SYSTEMTIME st{};
    SendMessageW(ctl(c), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
    return {st.wHour, st.wMinute, st.wSecond};
}

void Win32Window::setTime(Ctl c, TimeOfDay t) {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    st.wHour = static_cast<WORD>(t.hour);
    st.wMinute = static_cast<WORD>(t.minute);
    st.wSecond = static_cast<WORD>(t.second);
    st.wMilliseconds = 0;
    SendMessageW(ctl(c), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

void Win32Window::appendLine(Ctl c, const std::string& line) {
    const HWND h = ctl(c);
    const int end = GetWindowTextLengthW(h);
    SendMessageW(h, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
    SendMessageW(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(toWide(line + "\r\n").c_str()));
}

}  // namespace zb
