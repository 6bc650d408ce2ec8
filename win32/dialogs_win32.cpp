// The main window's modal dialogs: message boxes with the program's German
// buttons, and the folder picker.
#include "win32/window_win32.h"

#include <shobjidl.h>

#include "resources/texts.h"
#include "win32/handles_win32.h"
#include "win32/text_win32.h"

namespace zb {

namespace {

// Renames the buttons of the next message box of this thread to the
// program's German captions, whatever the system's language.
class GermanButtons {
public:
    GermanButtons() { hook_ = SetWindowsHookExW(WH_CBT, &proc, nullptr, GetCurrentThreadId()); }
    ~GermanButtons() {
        if (hook_) UnhookWindowsHookEx(hook_);
    }
    GermanButtons(const GermanButtons&) = delete;
    GermanButtons& operator=(const GermanButtons&) = delete;

private:
    static LRESULT CALLBACK proc(int code, WPARAM wp, LPARAM lp) {
        if (code == HCBT_ACTIVATE) {
            const HWND box = reinterpret_cast<HWND>(wp);
            wchar_t cls[16] = {};
            GetClassNameW(box, cls, 16);
            if (lstrcmpW(cls, L"#32770") == 0) {
                SetDlgItemTextW(box, IDYES, toWide(txt::BtnYes).c_str());
                SetDlgItemTextW(box, IDNO, toWide(txt::BtnNo).c_str());
                SetDlgItemTextW(box, IDOK, toWide(txt::BtnOk).c_str());
            }
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    HHOOK hook_ = nullptr;
};

}  // namespace

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
    const int r = MessageBoxW(hwnd_, toWide(text).c_str(), toWide(caption).c_str(), type | MB_APPLMODAL);
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

std::optional<std::string> Win32Window::pickFolder() { return pickFolderDialog(hwnd_, {}); }

std::optional<std::string> pickFolderDialog(HWND owner, const std::wstring& title) {
    ComPtr<IFileOpenDialog> dlg;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                reinterpret_cast<void**>(dlg.put()))))
        return std::nullopt;
    FILEOPENDIALOGOPTIONS opts = 0;
    dlg->GetOptions(&opts);
    // A copy on its worker names its files relative to the current directory,
    // and the picker may be open meanwhile.
    dlg->SetOptions(opts | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR);
    if (!title.empty()) dlg->SetTitle(title.c_str());
    if (FAILED(dlg->Show(owner))) return std::nullopt;
    ComPtr<IShellItem> item;
    if (FAILED(dlg->GetResult(item.put()))) return std::nullopt;
    CoTaskMemString path;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, path.put()))) return std::nullopt;
    return path.utf8();
}

}  // namespace zb
