#include "win32/window_win32.h"

#include "core/uMain.h"
#include "resources/texts.h"
#include "win32/glyphs_win32.h"
#include "win32/instance_win32.h"
#include "win32/text_win32.h"

namespace zb {

namespace {

constexpr wchar_t kClassName[] = L"TfrmBackup";
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

int showCommand(MainShow s) {
    switch (s) {
        case MainShow::ShowNormal: return SW_SHOWNORMAL;
        case MainShow::Show: return SW_SHOW;
        case MainShow::ShowMinimized: return SW_SHOWMINIMIZED;
        case MainShow::Minimize: return SW_MINIMIZE;
        case MainShow::Restore: return SW_RESTORE;
        default: return SW_HIDE;
    }
}

// The title bar and the taskbar take the icon's own small frame, drawn for
// that size, rather than the large one scaled down. Shared: a standard size.
HICON smallAppIcon(HINSTANCE instance) {
    return static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

// The Restart Manager asks with ENDSESSION_CLOSEAPP so that an installer can
// replace the program's files; the end of a session never carries it alone.
bool forUpdate(LPARAM lp) {
    const auto flags = static_cast<DWORD>(lp);
    return (flags & ENDSESSION_CLOSEAPP) != 0 && (flags & ENDSESSION_LOGOFF) == 0;
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
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &appWndProc;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconW(instance_, L"MAINICON");
    wc.hIconSm = smallAppIcon(instance_);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.lpszClassName = kAppWindowClass;
    if (!RegisterClassExW(&wc)) return false;
    app_ = CreateWindowExW(0, kAppWindowClass, toWide(txt::AppTitle).c_str(), kAppStyle,
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
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &wndProc;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconW(instance_, L"MAINICON");
    wc.hIconSm = smallAppIcon(instance_);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc)) return false;

    const CtlInfo& form = info(Ctl::frmBackup);
    RECT r{0, 0, form.width, form.height};
    AdjustWindowRectEx(&r, kFormStyle, FALSE, kFormExStyle);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    hwnd_ = CreateWindowExW(kFormExStyle, kClassName, toWide(form.caption).c_str(), kFormStyle, x, y, w, h,
                            app_, nullptr, instance_, this);
    if (!hwnd_) return false;

    if (!createControls()) return false;
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    return true;
}

void Win32Window::realize() {
    const WindowState::Realized r = state_.realize();
    present(r.show);
    if (r.restore) carry(Act::Restore);
}

Seen Win32Window::seenNow() const {
    return {IsIconic(app_) != FALSE, hwnd_ && IsWindowVisible(hwnd_), IsIconic(hwnd_) != FALSE};
}

bool Win32Window::carry(Act act) {
    switch (act) {
        case Act::PassOn: return false;
        case Act::Nothing: break;
        case Act::Minimize: guarded([&] { form_->ApplicationEvents1Minimize(Ctl::appEv1); }); break;
        case Act::Restore: guarded([&] { form_->ApplicationEvents1Restore(Ctl::appEv1); }); break;
        // Posted, so that the handlers run outside the system's minimise and
        // after a later start has its answer.
        case Act::PostToTray: PostMessageW(app_, kMsgToTray, 0, 0); break;
        case Act::PostFromTray: PostMessageW(app_, kMsgFromTray, 0, 0); break;
    }
    return true;
}

void Win32Window::present(Presentation p) {
    // The entry comes before the window it stands for and goes after it.
    if (p.entry == EntryShow::Show) showAppWindow(true);
    if (p.main != MainShow::Leave) ShowWindow(hwnd_, showCommand(p.main));
    if (p.entry == EntryShow::Hide) showAppWindow(false);
}

bool Win32Window::dispatch(MSG& msg) {
    if (msg.message == WM_QUIT) return false;
    if (!hwnd_ || !IsDialogMessageW(hwnd_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

int Win32Window::run() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) dispatch(msg);
    return 0;
}

void Win32Window::processMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!dispatch(msg)) {
            state_.quitSeen();
            PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop must see it too
            return;
        }
    }
}

void Win32Window::waitForMessages(std::uint32_t timeoutMs) {
    if (state_.waitSleeps()) Sleep(timeoutMs);
    else MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void Win32Window::serveUntil(HANDLE object, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    const DWORD count = object ? 1 : 0;
    for (;;) {
        DWORD left = INFINITE;
        if (timeoutMs != INFINITE) {
            const DWORD elapsed = GetTickCount() - start;
            if (elapsed >= timeoutMs) return;
            left = timeoutMs - elapsed;
        }
        const bool quitting = state_.waitSleeps();
        const DWORD woke = MsgWaitForMultipleObjectsEx(count, count ? &object : nullptr, left,
                                                       quitting ? QS_SENDMESSAGE : QS_ALLINPUT,
                                                       quitting ? 0 : MWMO_INPUTAVAILABLE);
        if (count && woke == WAIT_OBJECT_0) return;
        if (woke == WAIT_FAILED) {
            if (object) WaitForSingleObject(object, left);
            return;
        }
        if (woke != WAIT_OBJECT_0 + count) continue;  // the time is over: the loop's head decides
        if (!quitting) {
            processMessages();
        } else {
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
}

void Win32Window::destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void Win32Window::setMinimized(bool minimized) { present(state_.setMinimized(minimized, seenNow())); }

void Win32Window::setShown(bool shown) { present(state_.setShown(shown, seenNow())); }

void Win32Window::bringToFront() {
    if (!state_.mayBringToFront()) return;
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd_);
}

void Win32Window::setTimerEnabled(bool on) {
    if (on) SetTimer(hwnd_, kTimerId, 60000, nullptr);
    else KillTimer(hwnd_, kTimerId);
    timer_ = on;
}

void Win32Window::postTimerTick() {
    // Without a TIMERPROC in lParam the tick reaches the window procedure as
    // the timer's own would.
    if (hwnd_) PostMessageA(hwnd_, WM_TIMER, kTimerId, 0);
}

void Win32Window::popupTrayMenuAtCursor() {
    POINT pt{};
    GetCursorPos(&pt);
    // Unless the menu's window is in the foreground, a click elsewhere does
    // not close the menu; the null message lets the next click reach the
    // menu loop. The window itself stays hidden.
    SetForegroundWindow(hwnd_);
    TrackPopupMenu(trayMenu_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
    PostMessageW(hwnd_, WM_NULL, 0, 0);
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
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self && self->form_ ? self : nullptr;
}

LRESULT CALLBACK Win32Window::wndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Win32Window* self = attached(hwnd, msg, lp);
    return self ? self->handle(msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK Win32Window::appWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Win32Window* self = attached(hwnd, msg, lp);
    return self ? self->handleApp(msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT Win32Window::handleApp(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SYSCOMMAND:
            // The taskbar minimises through this entry: a click on the active
            // entry, its window menu.
            if ((wp & 0xFFF0) == SC_MINIMIZE && carry(state_.on(Road::EntryMinimize))) return 0;
            if ((wp & 0xFFF0) == SC_RESTORE && carry(state_.on(Road::EntryRestore, seenNow()))) return 0;
            break;
        case WM_SIZE:
            if (wp == SIZE_MINIMIZED) carry(state_.on(Road::EntryMinimized));
            break;
        case WM_ACTIVATE:
            if (LOWORD(wp) != WA_INACTIVE) PostMessageW(app_, kMsgActivateMain, 0, 0);
            break;
        case WM_CLOSE:
            // "Close window" of the taskbar entry: as "Beenden", with its question.
            guarded([&] { form_->Close(); });
            return 0;
        case kMsgToTray:
            carry(state_.on(Road::ToTray));
            return 0;
        case kMsgFromTray:
            carry(state_.on(Road::FromTray));
            return 0;
        case kMsgActivateMain: {
            const HWND popup = hwnd_ ? GetLastActivePopup(hwnd_) : nullptr;
            const bool usable = popup && IsWindowVisible(popup) && IsWindowEnabled(popup);
            const Focus to = WindowState::onEntryActivated(seenNow(), GetActiveWindow() == app_, usable);
            if (to != Focus::None) SetForegroundWindow(to == Focus::Popup ? popup : hwnd_);
            return 0;
        }
        default:
            if (msg == handOver_ && handOver_ != 0) {
                carry(state_.on(Road::HandOver));
                return kHandedOver;
            }
            break;
    }
    return DefWindowProcW(app_, msg, wp, lp);
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
            guarded([&] { ok = form_->WMQueryEndSession(forUpdate(lp)); });
            return ok ? TRUE : FALSE;
        }
        case WM_ENDSESSION: {
            // The end of Windows ends the process after this message anyway;
            // for an update the installer waits for it to end.
            bool ends = wp != 0;
            guarded([&] { ends = form_->WMEndSession(wp != 0, forUpdate(lp)); });
            if (ends) DestroyWindow(hwnd_);
            return 0;
        }
        case WM_TIMECHANGE:
            guarded([&] { form_->TimeChanged(); });
            return 0;
        case WM_POWERBROADCAST:
            guarded([&] { form_->PowerBroadcast(static_cast<std::uint32_t>(wp)); });
            return TRUE;
        case WM_DESTROY:
            guarded([&] { form_->WindowDestroyed(); });
            showAppWindow(false);
            KillTimer(hwnd_, kTimerId);
            timer_ = false;
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            hwnd_ = nullptr;
            break;
        case WM_SYSCOMMAND:
            if ((wp & 0xFFF0) == SC_MINIMIZE && carry(state_.on(Road::MainMinimize))) return 0;
            if ((wp & 0xFFF0) == SC_RESTORE && carry(state_.on(Road::MainRestore, seenNow()))) return 0;
            break;
        case WM_SIZE:
            if (wp == SIZE_MINIMIZED) carry(state_.on(Road::MainMinimized));
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
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace zb
