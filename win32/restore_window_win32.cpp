#include "win32/restore_window_win32.h"

#include <commctrl.h>
#include <dbt.h>

#include <algorithm>
#include <map>

#include "core/message.h"
#include "resources/restore_texts.h"
#include "resources/texts.h"
#include "win32/handles_win32.h"
#include "win32/text_win32.h"
#include "win32/window_win32.h"

namespace zb {

namespace {

constexpr wchar_t kClass[] = L"ZelkorBackupRestore";
constexpr UINT kMsgJobDone = WM_APP + 301;
constexpr UINT_PTR kTimerSearch = 1, kTimerProgress = 2, kTimerReach = 3;
enum Id : int {
    IdSearch = 101, IdBackups, IdList, IdToOriginal, IdToFolder, IdAllVersions, IdRebuild, IdClose, IdCancel,
    IdProgress, IdStatus, IdSearchLabel, IdBackupLabel
};

Win32RestoreWindow* g_open = nullptr;  // the one restore window, for the message hook

std::string textOf(HWND h) {
    std::wstring w(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
    w.resize(static_cast<std::size_t>(GetWindowTextW(h, w.data(), static_cast<int>(w.size()))));
    return fromWide(w);
}

// The system's per-monitor awareness where it has one (Windows 10 1607 on):
// the window is drawn for each monitor's scale, never blurred by stretching.
using SetThreadDpi = HANDLE(WINAPI*)(HANDLE);
using DpiForWindow = UINT(WINAPI*)(HWND);
const auto kPerMonitorV2 = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4));

template <class F>
F user32(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

void addColumn(HWND list, int index, const std::string& title, int width) {
    std::wstring t = toWide(title);
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    c.pszText = t.data();
    c.cx = width;
    c.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&c));
}

void addRow(HWND list, int row, const std::string& tabbed) {
    std::size_t from = 0;
    for (int col = 0;; ++col) {
        const auto cut = tabbed.find('\t', from);
        std::wstring cell = toWide(tabbed.substr(from, cut == std::string::npos ? std::string::npos : cut - from));
        LVITEMW it{};
        it.mask = LVIF_TEXT;
        it.iItem = row;
        it.iSubItem = col;
        it.pszText = cell.data();
        SendMessageW(list, col == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&it));
        if (cut == std::string::npos) break;
        from = cut + 1;
    }
}

}  // namespace

Win32RestoreWindow::Win32RestoreWindow(HINSTANCE instance, CatalogKeeper& keeper, ILocale& locale, IClock& clock,
                                       std::function<std::vector<RebuildTarget>()> targets,
                                       std::function<std::array<std::string, 5>()> sources)
    : instance_(instance), keeper_(keeper), locale_(locale), clock_(clock), targets_(std::move(targets)),
      sources_(std::move(sources)) {}

Win32RestoreWindow::~Win32RestoreWindow() {
    cancel_requested_ = true;
    if (worker_.joinable()) worker_.join();
    if (hook_) UnhookWindowsHookEx(hook_);
    if (hwnd_) DestroyWindow(hwnd_);
    if (font_) DeleteObject(font_);
    if (g_open == this) g_open = nullptr;
}

void Win32RestoreWindow::open() {
    if (!hwnd_) {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSEXW wc{sizeof wc};
        wc.lpfnWndProc = proc;
        wc.hInstance = instance_;
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.hIcon = LoadIconW(instance_, L"MAINICON");
        wc.lpszClassName = kClass;
        RegisterClassExW(&wc);
        const auto setDpi = user32<SetThreadDpi>("SetThreadDpiAwarenessContext");
        HANDLE before = setDpi ? setDpi(kPerMonitorV2) : nullptr;
        hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kClass, toWide(txt::RestoreCaption).c_str(),
                                WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr,
                                nullptr, instance_, this);
        if (!hwnd_) {
            if (setDpi && before) setDpi(before);
            return;
        }
        const auto dpiOf = user32<DpiForWindow>("GetDpiForWindow");
        dpi_ = dpiOf ? dpiOf(hwnd_) : 96;
        createControls();
        if (setDpi && before) setDpi(before);
        applyDpi(dpi_);
        // As large as its lines want at this scale, within the screen it is on, in its middle.
        MONITORINFO mi{sizeof mi};
        GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &mi);
        const RECT& area = mi.rcWork;
        const int w = std::min<int>(MulDiv(1040, static_cast<int>(dpi_), 96), area.right - area.left);
        const int h = std::min<int>(MulDiv(520, static_cast<int>(dpi_), 96), area.bottom - area.top);
        SetWindowPos(hwnd_, nullptr, area.left + (area.right - area.left - w) / 2,
                     area.top + (area.bottom - area.top - h) / 2, w, h, SWP_NOZORDER);
        g_open = this;
        // Tab, Alt+letter and Enter as in a dialog: the main loop knows only the main window.
        hook_ = SetWindowsHookExW(WH_GETMESSAGE, messageHook, nullptr, GetCurrentThreadId());
        SetTimer(hwnd_, kTimerReach, 3000, nullptr);
        setStatus(txt::RestoreTypeToSearch);
    }
    ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hwnd_);
    SetFocus(search_);
    loadBackups();
}

LRESULT CALLBACK Win32RestoreWindow::messageHook(int code, WPARAM w, LPARAM l) {
    auto* msg = reinterpret_cast<MSG*>(l);
    if (code == HC_ACTION && w == PM_REMOVE && g_open && g_open->hwnd_ && msg->message >= WM_KEYFIRST &&
        msg->message <= WM_KEYLAST && IsChild(g_open->hwnd_, msg->hwnd)) {
        // Enter in the list opens a folder of a backup, not the default button.
        const bool listEnter = msg->hwnd == g_open->list_ && msg->wParam == VK_RETURN;
        if (!listEnter && IsDialogMessageW(g_open->hwnd_, msg)) msg->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, w, l);
}

LRESULT CALLBACK Win32RestoreWindow::proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(h, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
    auto* self = reinterpret_cast<Win32RestoreWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!self || !self->hwnd_) return DefWindowProcW(h, msg, w, l);
    // No exception may cross into Windows.
    try {
        return self->handle(msg, w, l);
    } catch (const std::exception& e) {
        self->setStatus(e.what());
        return 0;
    }
}

LRESULT Win32RestoreWindow::handle(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case WM_SIZE: layout(); return 0;
        case WM_GETMINMAXINFO: {
            auto* mm = reinterpret_cast<MINMAXINFO*>(l);
            mm->ptMinTrackSize = {MulDiv(640, static_cast<int>(dpi_), 96), MulDiv(360, static_cast<int>(dpi_), 96)};
            return 0;
        }
        case 0x02E0: {  // WM_DPICHANGED
            applyDpi(HIWORD(w));
            const auto* r = reinterpret_cast<const RECT*>(l);
            SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top, SWP_NOZORDER);
            return 0;
        }
        case WM_COMMAND: command(LOWORD(w), HIWORD(w)); return 0;
        case WM_NOTIFY: {
            const auto* n = reinterpret_cast<const NMHDR*>(l);
            if (n->idFrom == IdList && (n->code == NM_DBLCLK || n->code == NM_RETURN) && browsing_ && !busy_) {
                const int i = selected();
                if (browseSource_ == 0 && i >= 0) browseTo("", i + 1 <= static_cast<int>(entries_.size()) ? std::stoi(entries_[static_cast<std::size_t>(i)].name.substr(1)) : 0);
                else if (i == 0) {
                    const auto cut = browseFolder_.rfind('\\');
                    if (browseFolder_.empty()) browseTo("", 0);
                    else browseTo(cut == std::string::npos ? "" : browseFolder_.substr(0, cut), browseSource_);
                } else if (i > 0 && entries_[static_cast<std::size_t>(i - 1)].folder) {
                    const std::string& name = entries_[static_cast<std::size_t>(i - 1)].name;
                    browseTo(browseFolder_.empty() ? name : browseFolder_ + "\\" + name, browseSource_);
                }
            }
            return 0;
        }
        case WM_TIMER:
            if (w == kTimerSearch) {
                KillTimer(hwnd_, kTimerSearch);
                search();
            } else if (w == kTimerProgress) {
                const int p = percent_;
                if (p >= 0) SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(p), 0);
            } else if (w == kTimerReach && !busy_ && IsWindowVisible(hwnd_) && !versions_.empty()) {
                search(true);  // a drive plugged in or taken out changes the lines
            }
            return 0;
        case WM_DEVICECHANGE:
            if ((w == DBT_DEVICEARRIVAL || w == DBT_DEVICEREMOVECOMPLETE) && !busy_ && !versions_.empty()) search(true);
            return TRUE;
        case kMsgJobDone: jobDone(reinterpret_cast<std::function<void()>*>(l)); return 0;
        case WM_CLOSE:
            // Hidden, not destroyed: a restore under way goes on and is told when it ends.
            ShowWindow(hwnd_, SW_HIDE);
            return 0;
    }
    return DefWindowProcW(hwnd_, msg, w, l);
}

void Win32RestoreWindow::createControls() {
    const auto make = [&](const wchar_t* cls, const char* text, DWORD style, int id, DWORD ex = 0) {
        return CreateWindowExW(ex, cls, toWide(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    };
    searchLabel_ = make(L"STATIC", txt::RestoreSearchLabel, SS_LEFT, IdSearchLabel);
    search_ = make(L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, IdSearch, WS_EX_CLIENTEDGE);
    backupLabel_ = make(L"STATIC", txt::RestoreBackupLabel, SS_LEFT, IdBackupLabel);
    backups_ = make(L"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, IdBackups);
    list_ = make(WC_LISTVIEWW, "", WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, IdList,
                 WS_EX_CLIENTEDGE);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    // No default button: Enter in the search field must not start a restore.
    toOriginal_ = make(L"BUTTON", txt::RestoreToOriginal, WS_TABSTOP, IdToOriginal);
    toFolder_ = make(L"BUTTON", txt::RestoreToFolder, WS_TABSTOP, IdToFolder);
    allVersions_ = make(L"BUTTON", txt::RestoreAllVersions, WS_TABSTOP, IdAllVersions);
    rebuild_ = make(L"BUTTON", txt::RestoreRebuild, WS_TABSTOP, IdRebuild);
    close_ = make(L"BUTTON", txt::RestoreClose, WS_TABSTOP, IdClose);
    progress_ = make(PROGRESS_CLASSW, "", 0, IdProgress);
    SendMessageW(progress_, PBM_SETRANGE32, 0, 100);
    cancel_ = make(L"BUTTON", txt::RestoreCancel, WS_TABSTOP, IdCancel);
    status_ = make(L"STATIC", "", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, IdStatus);
    std::string columns = txt::RestoreColumns;
    static constexpr int kWidths[] = {130, 100, 65, 110, 130, 100, 330};
    for (int i = 0; i < 7; ++i) {
        const auto cut = columns.find('\t');
        addColumn(list_, i, columns.substr(0, cut), MulDiv(kWidths[i], static_cast<int>(dpi_), 96));
        columns = cut == std::string::npos ? "" : columns.substr(cut + 1);
    }
    EnableWindow(cancel_, FALSE);
}

void Win32RestoreWindow::applyDpi(UINT dpi) {
    const UINT before = dpi_;
    dpi_ = dpi ? dpi : 96;
    // Moved to a monitor of another scale: the columns keep their share.
    if (before != dpi_ && list_)
        for (int i = 0; i < 7; ++i) {
            const auto w = static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
            SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i),
                         MulDiv(w, static_cast<int>(dpi_), static_cast<int>(before)));
        }
    if (font_) DeleteObject(font_);
    font_ = CreateFontW(-MulDiv(9, static_cast<int>(dpi_), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                        L"Segoe UI");
    for (HWND c = GetWindow(hwnd_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    layout();
}

void Win32RestoreWindow::layout() {
    if (!status_) return;
    RECT rc;
    GetClientRect(hwnd_, &rc);
    const auto px = [&](int v) { return MulDiv(v, static_cast<int>(dpi_), 96); };
    const int m = px(8), line = px(23), width = rc.right - 2 * m, labelW = px(230);
    MoveWindow(searchLabel_, m, m + px(3), labelW, line, TRUE);
    MoveWindow(search_, m + labelW, m, width - labelW, line, TRUE);
    MoveWindow(backupLabel_, m, m + line + px(9), labelW, line, TRUE);
    MoveWindow(backups_, m + labelW, m + line + px(6), width - labelW, px(300), TRUE);
    const int listTop = m + 2 * line + px(14), bottomRows = 2 * line + px(16);
    MoveWindow(list_, m, listTop, width, rc.bottom - listTop - bottomRows - m, TRUE);
    int x = m;
    const int buttonsY = rc.bottom - m - 2 * line - px(8);
    // The buttons shrink alike when the window is narrower than they want.
    const int gap = px(6), wanted = px(160 + 160 + 200 + 160 + 100) + 5 * gap;
    const auto bw = [&](int v) { return wanted <= width ? px(v) : MulDiv(px(v), width - 5 * gap, wanted - 5 * gap); };
    for (HWND b : {toOriginal_, toFolder_, allVersions_, rebuild_}) {
        const int w = bw(b == allVersions_ ? 200 : 160);
        MoveWindow(b, x, buttonsY, w, line + px(2), TRUE);
        x += w + gap;
    }
    MoveWindow(close_, rc.right - m - bw(100), buttonsY, bw(100), line + px(2), TRUE);
    const int y = rc.bottom - m - line;
    MoveWindow(progress_, m, y + px(3), px(200), line - px(6), TRUE);
    MoveWindow(cancel_, m + px(206), y, px(100), line, TRUE);
    MoveWindow(status_, m + px(314), y + px(3), width - px(314), line, TRUE);
}

void Win32RestoreWindow::command(int id, int notification) {
    switch (id) {
        case IdSearch:
            if (notification == EN_CHANGE) {
                if (!textOf(search_).empty() && browsing_) SendMessageW(backups_, CB_SETCURSEL, 0, 0), browsing_ = nullptr;
                SetTimer(hwnd_, kTimerSearch, 200, nullptr);  // results as the user types, not per key
            }
            break;
        case IdBackups:
            if (notification == CBN_SELCHANGE) {
                if (busy_) backupChosen_ = true;  // taken up when the work at hand is done
                else chooseBackup();
            }
            break;
        case IdToOriginal: if (!busy_) restoreSelected(true); break;
        case IdToFolder: if (!busy_) restoreSelected(false); break;
        case IdAllVersions: if (!busy_) saveAllVersions(); break;
        case IdRebuild: if (!busy_) rebuild(); break;
        case IdCancel: cancel_requested_ = true; break;
        case IdClose:
        case IDCANCEL: ShowWindow(hwnd_, SW_HIDE); break;
    }
}

void Win32RestoreWindow::chooseBackup() {
    backupChosen_ = false;
    const auto i = static_cast<int>(SendMessageW(backups_, CB_GETCURSEL, 0, 0));
    browsing_ = i > 0 && i <= static_cast<int>(backupList_.size()) ? &backupList_[static_cast<std::size_t>(i - 1)]
                                                                  : nullptr;
    if (browsing_) {
        versions_.clear();  // nothing of a search to refresh meanwhile
        SetWindowTextW(search_, L"");
        KillTimer(hwnd_, kTimerSearch);
        browseTo("", 0);
    } else {
        search();
    }
}

void Win32RestoreWindow::startJob(std::function<std::function<void()>()> job) {
    if (worker_.joinable()) worker_.join();
    setBusy(true);
    cancel_requested_ = false;
    percent_ = -1;
    worker_ = std::thread([this, job = std::move(job)] {
        std::function<void()> done;
        try {
            done = job();
        } catch (const std::exception& e) {
            done = [this, why = std::string(e.what())] { setStatus(fill(txt::CatalogUnreadable, {why})); };
        }
        auto* posted = new std::function<void()>(std::move(done));
        if (!PostMessageW(hwnd_, kMsgJobDone, 0, reinterpret_cast<LPARAM>(posted))) delete posted;
    });
}

void Win32RestoreWindow::jobDone(std::function<void()>* done) {
    std::unique_ptr<std::function<void()>> owned(done);
    if (worker_.joinable()) worker_.join();
    setBusy(false);
    if (*owned) (*owned)();
    if (backupChosen_ && !busy_) chooseBackup();
    if (searchPending_ && !busy_) {
        searchPending_ = false;
        search();
    }
}

void Win32RestoreWindow::setBusy(bool busy) {
    busy_ = busy;
    EnableWindow(cancel_, busy);
    for (HWND b : {toOriginal_, toFolder_, allVersions_, rebuild_}) EnableWindow(b, !busy);
    if (busy) SetTimer(hwnd_, kTimerProgress, 100, nullptr);
    else KillTimer(hwnd_, kTimerProgress);
    SendMessageW(progress_, PBM_SETPOS, 0, 0);
}

void Win32RestoreWindow::setStatus(const std::string& text) { SetWindowTextW(status_, toWide(text).c_str()); }

Shown Win32RestoreWindow::shown() const {
    IClock& clock = clock_;
    return Shown{locale_, [&clock](std::int64_t utc) { return clock.utcOffsetMinutes(utc); }};
}

int Win32RestoreWindow::selected() const {
    return static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void Win32RestoreWindow::search(bool refresh) {
    if (busy_) {
        searchPending_ = true;
        return;
    }
    const std::string text = textOf(search_);
    if (text.empty()) {
        if (!browsing_) {
            versions_.clear();
            SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
            setStatus(txt::RestoreTypeToSearch);
        }
        return;
    }
    startJob([this, text, refresh] {
        std::string note;
        const auto catalog = keeper_.open(note);
        std::vector<Version> versions = catalog->search(text);
        std::map<std::string, LocalDateTime> newest;
        for (const Place& p : catalog->backups())
            if (!newest.count(p.medium)) newest[p.medium] = p.start;
        std::map<std::string, bool> memo;
        IShellFiles& files = keeper_.shell();
        const auto isReachable = [&](const Place& p) {
            const auto it = memo.find(p.medium);
            return it != memo.end() ? it->second : (memo[p.medium] = reachable(files, p));
        };
        std::vector<std::string> lines;
        const Shown s = shown();
        for (const Version& v : versions)
            lines.push_back(versionLine(v, s, isReachable, [&](const std::string& m) { return newest[m]; }));
        return std::function<void()>([this, versions = std::move(versions), lines = std::move(lines), refresh]() mutable {
            showVersions(std::move(versions), std::move(lines), refresh);
        });
    });
}

void Win32RestoreWindow::showVersions(std::vector<Version> versions, std::vector<std::string> lines, bool refresh) {
    if (browsing_) return;
    const int keep = selected();
    versions_ = std::move(versions);
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t i = 0; i < lines.size(); ++i) addRow(list_, static_cast<int>(i), lines[i]);
    if (keep >= 0 && keep < static_cast<int>(lines.size())) {
        LVITEMW it{};
        it.stateMask = it.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(keep), reinterpret_cast<LPARAM>(&it));
    }
    // The state names the drive to plug in: it is shown whole.
    SendMessageW(list_, LVM_SETCOLUMNWIDTH, 6, LVSCW_AUTOSIZE);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    const auto n = static_cast<int>(versions_.size());
    if (!refresh)
        setStatus(n == 0 ? std::string(txt::RestoreNothingFound)
                     : n == 1 ? std::string(txt::RestoreFoundOne) : fill(txt::RestoreFound, {n}));
}

void Win32RestoreWindow::loadBackups() {
    if (busy_) return;
    try {
        std::string note;
        backupList_ = keeper_.open(note)->backups();
    } catch (const std::exception& e) {
        backupList_.clear();
        setStatus(fill(txt::CatalogUnreadable, {e.what()}));
    }
    browsing_ = nullptr;
    SendMessageW(backups_, CB_RESETCONTENT, 0, 0);
    SendMessageW(backups_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toWide(txt::RestoreNoBackupChosen).c_str()));
    const Shown s = shown();
    for (const Place& p : backupList_)
        SendMessageW(backups_, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(toWide(backupText(p, s) + " – " + driveText(p)).c_str()));
    SendMessageW(backups_, CB_SETCURSEL, 0, 0);
}

void Win32RestoreWindow::browseTo(const std::string& folder, int source) {
    if (!browsing_) return;
    const Place place = *browsing_;
    startJob([this, place, folder, source] {
        std::string note;
        const auto catalog = keeper_.open(note);
        std::vector<BrowseEntry> entries;
        if (source == 0) {
            for (int k = 1; k <= 5; ++k)
                if (!catalog->browse(place.run, k, "").empty()) entries.push_back({"P" + std::to_string(k), true, 0, 0});
        } else {
            entries = catalog->browse(place.run, source, folder);
        }
        const std::string origin = source ? catalog->sourceFolder(place.run, source) : std::string();
        return std::function<void()>([this, entries = std::move(entries), folder, source, origin] {
            if (!browsing_) return;
            browsing_->sourceFolder = origin;
            browseSource_ = source;
            browseFolder_ = folder;
            entries_ = entries;
            SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
            int row = 0;
            const Shown s = shown();
            const std::string where = backupText(*browsing_, s) + '\t' + driveText(*browsing_) + '\t' +
                                      (reachable(keeper_.shell(), *browsing_) ? txt::RestoreReachable : "");
            if (source != 0) addRow(list_, row++, std::string(txt::RestoreUp));
            for (const BrowseEntry& e : entries_)
                addRow(list_, row++, e.name + '\t' + folder + '\t' + (e.folder ? "" : sizeText(e.size)) + '\t' +
                                         (e.folder ? "" : s.moment(e.lastWrite)) + '\t' + where);
            setStatus((source ? "P" + std::to_string(source) + (folder.empty() ? "" : "\\" + folder) : "") + "");
        });
    });
}

std::optional<std::string> Win32RestoreWindow::pickFolder() {
    return pickFolderDialog(hwnd_, toWide(txt::RestorePickFolder));
}

void Win32RestoreWindow::restoreSelected(bool toOriginal) {
    const int i = selected();
    if (i < 0) return;
    IShellFiles& files = keeper_.shell();
    const auto isReachable = [&files](const Place& p) { return reachable(files, p); };
    if (browsing_) {
        if (!isReachable(*browsing_)) return setStatus(txt::RestoreNothingReachable);
        if (browseSource_ == 0) {
            // A whole source of the backup.
            if (i >= static_cast<int>(entries_.size())) return;
            const int source = std::stoi(entries_[static_cast<std::size_t>(i)].name.substr(1));
            std::string note;
            const auto catalog = keeper_.open(note);
            Place place = *browsing_;
            place.sourceFolder = catalog->sourceFolder(place.run, source);
            if (toOriginal && place.sourceFolder.empty()) return setStatus(txt::RestoreNoOriginal);
            std::optional<std::string> into;
            if (!toOriginal && !(into = pickFolder())) return;
            return runPlan(planFolder(place, source, "", catalog->filesIn(place.run, source, ""), into));
        }
        if (i == 0) return;
        const BrowseEntry& e = entries_[static_cast<std::size_t>(i - 1)];
        if (toOriginal && browsing_->sourceFolder.empty()) return setStatus(txt::RestoreNoOriginal);
        std::optional<std::string> into;
        if (!toOriginal && !(into = pickFolder())) return;
        const std::string path = browseFolder_.empty() ? e.name : browseFolder_ + "\\" + e.name;
        if (!e.folder) {
            Version v{browseSource_, path, e.size, e.lastWrite, {*browsing_}};
            return runPlan(into ? planToFolder(v, *browsing_, *into) : planToOriginal(v, *browsing_));
        }
        const Place place = *browsing_;
        const int source = browseSource_;
        std::string note;
        const auto below = keeper_.open(note)->filesIn(place.run, source, path);
        return runPlan(planFolder(place, source, path, below, into));
    }
    if (i >= static_cast<int>(versions_.size())) return;
    const Version& v = versions_[static_cast<std::size_t>(i)];
    const Place* p = bestPlace(v, isReachable);
    if (!p) return setStatus(txt::RestoreNothingReachable);
    if (toOriginal) {
        if (p->sourceFolder.empty()) return setStatus(txt::RestoreNoOriginal);
        return runPlan(planToOriginal(v, *p));
    }
    if (const auto into = pickFolder()) runPlan(planToFolder(v, *p, *into));
}

void Win32RestoreWindow::saveAllVersions() {
    const int i = selected();
    if (browsing_ || i < 0 || i >= static_cast<int>(versions_.size())) return;
    const Version one = versions_[static_cast<std::size_t>(i)];
    const auto into = pickFolder();
    if (!into) return;
    std::string note;
    const auto all = keeper_.open(note)->versions(one.source, one.path);
    IShellFiles& files = keeper_.shell();
    const Shown s = shown();
    RestorePlan plan = planAllVersions(
        all, *into, [&s](std::int64_t t) { return s.moment(t); },
        [&files](const Place& p) { return reachable(files, p); });
    if (plan.items.empty()) return setStatus(txt::RestoreNothingReachable);
    runPlan(std::move(plan));
}

void Win32RestoreWindow::runPlan(RestorePlan plan) {
    const std::string date = locale_.formatShortDate(clock_.now());
    const int there = existingFiles(keeper_.files(), plan);
    if (there > 0) {
        const std::wstring text = toWide(fill(txt::RestoreAskKeep, {there, date}));
        if (MessageBoxW(hwnd_, text.c_str(), toWide(txt::CapConfirmation).c_str(), MB_YESNO | MB_ICONQUESTION) !=
            IDYES)
            return;
    }
    setStatus(txt::RestoreWorking);
    startJob([this, plan = std::move(plan), date] {
        IShellFiles& files = keeper_.shell();
        const RestoreOutcome o = restore(
            keeper_.files(), files, plan, date,
            [this](std::uint64_t done, std::uint64_t all) {
                percent_ = all ? static_cast<int>(done * 100 / all) : 100;
                return !cancel_requested_;
            },
            [&files](std::uint32_t e) { return files.errorText(e); });
        return std::function<void()>([this, line = outcomeLine(o)] {
            setStatus(line);
            if (!IsWindowVisible(hwnd_)) open();  // the outcome must be seen
        });
    });
}

void Win32RestoreWindow::rebuild() {
    const std::vector<RebuildTarget> targets = targets_();
    const std::array<std::string, 5> sources = sources_();
    setStatus(txt::RestoreWorking);
    startJob([this, targets, sources] {
        std::string note;
        const auto catalog = keeper_.open(note);
        IClock& clock = clock_;
        const int read = rebuildCatalog(
            *catalog, keeper_, targets, sources, [&clock](std::int64_t utc) { return clock.utcOffsetMinutes(utc); },
            [this](const std::string&, std::uint64_t) { return !cancel_requested_; });
        const bool cancelled = cancel_requested_;
        return std::function<void()>([this, read, cancelled] {
            loadBackups();
            setStatus(cancelled ? std::string(txt::RebuildCancelled) : fill(txt::RebuildDone, {read}));
        });
    });
}

}  // namespace zb
