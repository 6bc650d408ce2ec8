#include "win32/window_win32.h"

#include <commctrl.h>
#include <shobjidl.h>

#include <utility>

#include "win32/glyphs_win32.h"
#include "win32/instance_win32.h"
#include "core/uMain.h"
#include "win32/handles_win32.h"
#include "win32/text_win32.h"
#include "resources/texts.h"

namespace zb {

namespace {

constexpr char kClassName[] = "TfrmBackup";
constexpr UINT_PTR kTimerId = 1;
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION;
// Owned by the application window, the main window has no taskbar entry of
// its own; it keeps its frame without title-bar buttons.
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
// A visible, unowned window of no size: the taskbar shows it with its caption
// "ZELKOR Backup" and the program's icon, and offers to minimise it because of
// its minimise box; the system menu gives the entry its window menu.
constexpr DWORD kAppStyle = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;
// Messages the application window posts to itself, so that the handlers run
// outside the shell's minimise and the activation.
constexpr UINT kMsgToTray = WM_APP + 1;
constexpr UINT kMsgFromTray = WM_APP + 2;
constexpr UINT kMsgActivateMain = WM_APP + 3;

bool isControlId(int id) { return id >= 1000 && id < 1000 + static_cast<int>(kControlCount); }
Ctl fromId(int id) { return static_cast<Ctl>(id - 1000); }

// Renames the buttons of the next message box of this thread to the
// program's German captions, whatever the system's language.
class GermanButtons {
public:
    GermanButtons() { hook_ = SetWindowsHookExA(WH_CBT, &proc, nullptr, GetCurrentThreadId()); }
    ~GermanButtons() {
        if (hook_) UnhookWindowsHookEx(hook_);
    }
    GermanButtons(const GermanButtons&) = delete;
    GermanButtons& operator=(const GermanButtons&) = delete;

private:
    static LRESULT CALLBACK proc(int code, WPARAM wp, LPARAM lp) {
        if (code == HCBT_ACTIVATE) {
            const HWND box = reinterpret_cast<HWND>(wp);
            char cls[16] = {};
            GetClassNameA(box, cls, sizeof cls);
            if (lstrcmpA(cls, "#32770") == 0) {
                SetDlgItemTextA(box, IDYES, toAnsi(txt::BtnYes).c_str());
                SetDlgItemTextA(box, IDNO, toAnsi(txt::BtnNo).c_str());
                SetDlgItemTextA(box, IDOK, toAnsi(txt::BtnOk).c_str());
            }
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    HHOOK hook_ = nullptr;
};

DWORD controlStyle(const CtlInfo& i, const char*& cls) {
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    if (i.flags & F_VIS) style |= WS_VISIBLE;
    if (i.flags & F_DIS) style |= WS_DISABLED;
    if (i.flags & F_TAB) style |= WS_TABSTOP;
    switch (i.kind) {
        case Kind::Panel: cls = "STATIC"; return style | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX;
        case Kind::Group: cls = "BUTTON"; return (style & ~WS_CLIPSIBLINGS) | BS_GROUPBOX;
        case Kind::Check: cls = "BUTTON"; return style | BS_AUTOCHECKBOX | ((i.flags & F_LEFT) ? BS_LEFTTEXT : 0);
        case Kind::Edit: cls = "EDIT"; return style | ES_AUTOHSCROLL;
        case Kind::Label: cls = "STATIC"; return style | SS_LEFT | SS_NOPREFIX;
        case Kind::Glyph: cls = "BUTTON"; return style | BS_OWNERDRAW;
        case Kind::Button: cls = "BUTTON"; return style | ((i.flags & F_DEF) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        case Kind::TimePicker: cls = DATETIMEPICK_CLASSA; return style | DTS_TIMEFORMAT;
        case Kind::Memo:
            cls = "EDIT";
            return style | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | ES_READONLY;
        default: cls = nullptr; return 0;
    }
}

}  // namespace

Win32Window::Win32Window(HINSTANCE instance) : instance_(instance) {}

Win32Window::~Win32Window() {
    // The form is gone by now; the windows' last messages must not reach it.
    form_ = nullptr;
    if (hwnd_) DestroyWindow(hwnd_);
    if (app_) DestroyWindow(app_);
    if (trayMenu_) DestroyMenu(trayMenu_);
    if (font_) DeleteObject(font_);
    if (white_) DeleteObject(white_);
}

bool Win32Window::createAppWindow() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &appWndProc;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconA(instance_, "MAINICON");
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = kAppWindowClass;
    if (!RegisterClassExA(&wc)) return false;
    app_ = CreateWindowExA(0, kAppWindowClass, toAnsi(txt::AppTitle).c_str(), kAppStyle,
                           GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                           nullptr, instance_, this);
    if (!app_) return false;
    handOver_ = handOverMessage();
    // A start without elevation must reach a program that runs elevated.
    ChangeWindowMessageFilterEx(app_, handOver_, MSGFLT_ALLOW, nullptr);
    return true;
}

void Win32Window::showAppWindow(bool on) {
    // SW_SHOWNOACTIVATE also brings it back from minimised.
    if (app_) ShowWindow(app_, on ? SW_SHOWNOACTIVATE : SW_HIDE);
}

bool Win32Window::create() {
    if (!createAppWindow()) return false;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &wndProc;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconA(instance_, "MAINICON");
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExA(&wc)) return false;

    const CtlInfo& form = info(Ctl::frmBackup);
    RECT r{0, 0, form.width, form.height};
    AdjustWindowRectEx(&r, kFormStyle, FALSE, kFormExStyle);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    hwnd_ = CreateWindowExA(kFormExStyle, kClassName, toAnsi(form.caption).c_str(), kFormStyle, x, y, w, h,
                            app_, nullptr, instance_, this);
    if (!hwnd_) return false;

    // "MS Sans Serif" 8 pt at 96 dpi.
    font_ = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
    white_ = CreateSolidBrush(RGB(255, 255, 255));
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

    trayMenu_ = CreatePopupMenu();
    for (const CtlInfo& i : kControls) {
        if (i.kind == Kind::MenuItem)
            AppendMenuA(trayMenu_, MF_STRING, static_cast<UINT_PTR>(controlId(i.id)), toAnsi(i.caption).c_str());
        else if (i.kind == Kind::Separator)
            AppendMenuA(trayMenu_, MF_SEPARATOR, 0, nullptr);
        if (!isWindowControl(i.kind)) continue;
        const char* cls = nullptr;
        const DWORD style = controlStyle(i, cls);
        const Rect pos = clientRect(i.id);
        const DWORD ex = (i.kind == Kind::Edit || i.kind == Kind::Memo) ? WS_EX_CLIENTEDGE : 0;
        HWND c = CreateWindowExA(ex, cls, toAnsi(i.caption).c_str(), style, pos.left, pos.top,
                                 pos.right - pos.left, pos.bottom - pos.top, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId(i.id))), instance_, nullptr);
        if (!c) return false;
        SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        hwnds_[static_cast<std::size_t>(i.id)] = c;
        // The log pane keeps every line of a session, not the edit
        // control's default 30,000 characters.
        if (i.kind == Kind::Memo) SendMessageA(c, EM_SETLIMITTEXT, 0, 0);
        if (i.kind == Kind::TimePicker) {
            SendMessageA(c, DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>("HH:mm"));
            setTime(i.id, TimeOfDay{});
        }
    }
    // Containers go to the bottom of the z-order so that they never paint
    // over the controls inside them; only tab stops decide the tab order.
    for (const CtlInfo& i : kControls)
        if (i.kind == Kind::Group || i.kind == Kind::Panel)
            SetWindowPos(ctl(i.id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
    return true;
}

void Win32Window::realize() {
    realized_ = true;
    if (shown_) {
        showAppWindow(true);
        ShowWindow(hwnd_, minimized_ ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
    }
    if (std::exchange(handOverPending_, false)) guarded([&] { form_->ApplicationEvents1Restore(Ctl::appEv1); });
}

bool Win32Window::dispatch(MSG& msg) {
    if (msg.message == WM_QUIT) return false;
    if (!hwnd_ || !IsDialogMessageA(hwnd_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

int Win32Window::run() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) dispatch(msg);
    return 0;
}

void Win32Window::processMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!dispatch(msg)) {
            quitting_ = true;
            PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop must see it too
            return;
        }
    }
}

void Win32Window::waitForMessages(std::uint32_t timeoutMs) {
    // The reposted quit message would end every wait at once and turn a
    // pause into a busy loop until Windows ends the process.
    if (quitting_) Sleep(timeoutMs);
    else MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

bool Win32Window::checked(Ctl c) const { return SendMessageA(ctl(c), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Win32Window::setCheckedState(Ctl c, bool on) {
    SendMessageA(ctl(c), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string Win32Window::text(Ctl c) const {
    const HWND h = ctl(c);
    std::string buf(static_cast<std::size_t>(GetWindowTextLengthA(h)) + 1, '\0');
    const int n = GetWindowTextA(h, buf.data(), static_cast<int>(buf.size()));
    buf.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    return fromAnsi(buf);
}

void Win32Window::setText(Ctl c, const std::string& s) { SetWindowTextA(ctl(c), toAnsi(s).c_str()); }

bool Win32Window::visible(Ctl c) const { return (GetWindowLongA(ctl(c), GWL_STYLE) & WS_VISIBLE) != 0; }

void Win32Window::setVisible(Ctl c, bool on) { ShowWindow(ctl(c), on ? SW_SHOWNA : SW_HIDE); }

bool Win32Window::enabled(Ctl c) const { return IsWindowEnabled(ctl(c)) != FALSE; }

void Win32Window::setEnabled(Ctl c, bool on) { EnableWindow(ctl(c), on ? TRUE : FALSE); }

TimeOfDay Win32Window::time(Ctl c) const {
    SYSTEMTIME st{};
    SendMessageA(ctl(c), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
    return {st.wHour, st.wMinute, st.wSecond};
}

void Win32Window::setTime(Ctl c, TimeOfDay t) {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    st.wHour = static_cast<WORD>(t.hour);
    st.wMinute = static_cast<WORD>(t.minute);
    st.wSecond = static_cast<WORD>(t.second);
    st.wMilliseconds = 0;
    SendMessageA(ctl(c), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

void Win32Window::appendLine(Ctl c, const std::string& line) {
    const HWND h = ctl(c);
    const int end = GetWindowTextLengthA(h);
    SendMessageA(h, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
    SendMessageA(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(toAnsi(line + "\r\n").c_str()));
}

MsgResult Win32Window::messageBox(MsgKind kind, MsgButtons buttons, const std::string& text) {
    const char* caption = txt::AppTitle;
    UINT type = buttons == MsgButtons::YesNo ? MB_YESNO | MB_DEFBUTTON1 : MB_OK;
    switch (kind) {
        case MsgKind::Warning: caption = txt::CapWarning; type |= MB_ICONWARNING; break;
        case MsgKind::Error: caption = txt::CapError; type |= MB_ICONERROR; break;
        case MsgKind::Information: caption = txt::CapInformation; type |= MB_ICONINFORMATION; break;
        case MsgKind::Confirmation: caption = txt::CapConfirmation; type |= MB_ICONQUESTION; break;
        case MsgKind::AppError: type |= MB_ICONERROR; break;
    }
    GermanButtons german;
    const int r = MessageBoxA(hwnd_, toAnsi(text).c_str(), toAnsi(caption).c_str(), type | MB_APPLMODAL);
    switch (r) {
        case IDYES: return MsgResult::Yes;
        case IDNO: return MsgResult::No;
        case IDOK: return MsgResult::Ok;
        default: return MsgResult::None;
    }
}

void Win32Window::showException(const char* text) noexcept {
    try {
        messageBox(MsgKind::AppError, MsgButtons::Ok, text);
    } catch (...) {
    }
}

void Win32Window::destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void Win32Window::setMinimized(bool minimized) {
    minimized_ = minimized;
    if (!realized_ || !IsWindowVisible(hwnd_)) return;
    if (minimized && !IsIconic(hwnd_)) ShowWindow(hwnd_, SW_MINIMIZE);
    if (!minimized && IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
}

void Win32Window::setShown(bool shown) {
    shown_ = shown;
    if (!realized_) return;
    if (!shown) {
        ShowWindow(hwnd_, SW_HIDE);
        showAppWindow(false);
    } else {
        showAppWindow(true);
        ShowWindow(hwnd_, minimized_ ? SW_SHOWMINIMIZED : (IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW));
    }
}

void Win32Window::bringToFront() {
    if (!realized_) return;
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd_);
}

void Win32Window::setTimerEnabled(bool on) {
    if (on) SetTimer(hwnd_, kTimerId, 60000, nullptr);
    else KillTimer(hwnd_, kTimerId);
    timer_ = on;
}

std::optional<std::string> Win32Window::pickFolder() {
    ComPtr<IFileOpenDialog> dlg;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                reinterpret_cast<void**>(dlg.put()))))
        return std::nullopt;
    FILEOPENDIALOGOPTIONS opts = 0;
    dlg->GetOptions(&opts);
    dlg->SetOptions(opts | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM);
    if (FAILED(dlg->Show(hwnd_))) return std::nullopt;
    ComPtr<IShellItem> item;
    if (FAILED(dlg->GetResult(item.put()))) return std::nullopt;
    CoTaskMemString path;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, path.put()))) return std::nullopt;
    return path.utf8();
}

void Win32Window::popupTrayMenuAtCursor() {
    POINT pt{};
    GetCursorPos(&pt);
    // Unless the menu's window is in the foreground, a click elsewhere does
    // not close the menu; the null message lets the next click reach the
    // menu loop. The window itself stays hidden.
    SetForegroundWindow(hwnd_);
    TrackPopupMenu(trayMenu_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
    PostMessageA(hwnd_, WM_NULL, 0, 0);
}

void Win32Window::onCommand(WPARAM wp) {
    int id = LOWORD(wp);
    const int code = HIWORD(wp);
    // Enter and Esc reach the window as IDOK and IDCANCEL.
    if (id == IDOK) id = controlId(Ctl::btnActive);
    if (id == IDCANCEL) id = controlId(Ctl::btnQuit);
    if (!isControlId(id) || (code != BN_CLICKED && code != BN_DOUBLECLICKED)) return;
    const Ctl c = fromId(id);
    const Kind k = info(c).kind;
    if (code == BN_DOUBLECLICKED && k != Kind::Glyph) return;
    if (isWindowControl(k) && !IsWindowEnabled(ctl(c))) return;
    guarded([&] { form_->Click(c); });
}

Win32Window* Win32Window::attached(HWND hwnd, UINT msg, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return self && self->form_ ? self : nullptr;
}

LRESULT CALLBACK Win32Window::wndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Win32Window* self = attached(hwnd, msg, lp);
    return self ? self->handle(msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK Win32Window::appWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Win32Window* self = attached(hwnd, msg, lp);
    return self ? self->handleApp(msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT Win32Window::handleApp(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SYSCOMMAND:
            // The taskbar minimises through this entry: a click on the active
            // entry, its window menu.
            if ((wp & 0xFFF0) == SC_MINIMIZE) {
                guarded([&] { form_->ApplicationEvents1Minimize(Ctl::appEv1); });
                return 0;
            }
            if ((wp & 0xFFF0) == SC_RESTORE && (IsIconic(app_) || !shown_)) {
                guarded([&] { form_->ApplicationEvents1Restore(Ctl::appEv1); });
                return 0;
            }
            break;
        case WM_SIZE:
            // Minimised without asking (Windows+M, "show desktop"): Windows has
            // hidden the main window with its owner; it goes to the tray.
            if (wp == SIZE_MINIMIZED) PostMessageA(app_, kMsgToTray, 0, 0);
            break;
        case WM_ACTIVATE:
            // The taskbar activates the entry's window; the user means the
            // main window, or the box it is waiting for.
            if (LOWORD(wp) != WA_INACTIVE) PostMessageA(app_, kMsgActivateMain, 0, 0);
            break;
        case WM_CLOSE:
            // "Close window" of the taskbar entry: as "Beenden", with its question.
            guarded([&] { form_->Close(); });
            return 0;
        case kMsgToTray:
            if (shown_) guarded([&] { form_->ApplicationEvents1Minimize(Ctl::appEv1); });
            return 0;
        case kMsgFromTray:
            guarded([&] { form_->ApplicationEvents1Restore(Ctl::appEv1); });
            return 0;
        case kMsgActivateMain:
            if (hwnd_ && IsWindowVisible(hwnd_) && !IsIconic(hwnd_) && GetActiveWindow() == app_) {
                const HWND to = GetLastActivePopup(hwnd_);
                SetForegroundWindow(IsWindowVisible(to) && IsWindowEnabled(to) ? to : hwnd_);
            }
            return 0;
        default:
            if (msg == handOver_ && handOver_ != 0) {
                // Answer at once; the window comes back once the caller is gone.
                if (realized_) PostMessageA(app_, kMsgFromTray, 0, 0);
                else handOverPending_ = true;
                return kHandedOver;
            }
            break;
    }
    return DefWindowProcA(app_, msg, wp, lp);
}

LRESULT Win32Window::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            onCommand(wp);
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(controlId(Ctl::btnActive), DC_HASDEFID);
        case WM_CLOSE:
            guarded([&] { form_->Close(); });
            return 0;
        case WM_TIMER:
            if (wp == kTimerId) guarded([&] { form_->TimerTimer(Ctl::Timer); });
            return 0;
        case WM_QUERYENDSESSION: {
            bool ok = true;
            guarded([&] { ok = form_->WMQueryEndSession(); });
            return ok ? TRUE : FALSE;
        }
        case WM_ENDSESSION:
            if (wp) {
                guarded([&] { form_->removeTrayIcon(); });
                DestroyWindow(hwnd_);
            }
            return 0;
        case WM_DESTROY:
            showAppWindow(false);
            KillTimer(hwnd_, kTimerId);
            timer_ = false;
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            hwnd_ = nullptr;
            break;
        case WM_SYSCOMMAND:
            if ((wp & 0xFFF0) == SC_MINIMIZE) {
                guarded([&] { form_->ApplicationEvents1Minimize(Ctl::appEv1); });
                return 0;
            }
            if ((wp & 0xFFF0) == SC_RESTORE && IsIconic(hwnd_)) {
                guarded([&] { form_->ApplicationEvents1Restore(Ctl::appEv1); });
                return 0;
            }
            break;
        case WM_SIZE:
            // Minimised some other way than by the program: to the tray, never
            // iconic without an icon.
            if (wp == SIZE_MINIMIZED && !minimized_) PostMessageA(app_, kMsgToTray, 0, 0);
            break;
        case WM_CTLCOLORSTATIC: {
            const HWND from = reinterpret_cast<HWND>(lp);
            if (from == ctl(Ctl::pnTitle) || from == ctl(Ctl::mmo1)) {
                SetBkColor(reinterpret_cast<HDC>(wp), RGB(255, 255, 255));
                return reinterpret_cast<LRESULT>(white_);
            }
            break;
        }
        case WM_DRAWITEM: {
            const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (isControlId(static_cast<int>(di->CtlID))) {
                drawGlyphButton(*di, fromId(static_cast<int>(di->CtlID)));
                return TRUE;
            }
            break;
        }
        default:
            if (msg == WM_TRAYNOTIFY) {
                guarded([&] { form_->WMTrayNotify(wp, lp); });
                return 0;
            }
            if (msg == taskbarCreated_ && taskbarCreated_ != 0) {
                guarded([&] { form_->TaskbarCreated(); });
                return 0;
            }
            break;
    }
    return DefWindowProcA(hwnd_, msg, wp, lp);
}

}  // namespace zb
