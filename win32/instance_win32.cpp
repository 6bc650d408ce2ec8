#include "win32/instance_win32.h"

#include <sddl.h>

#include <string>

namespace zb {

namespace {

constexpr wchar_t kObjectName[] = L"ZelkorBackup-C8A3DC1A-4F52-4189-A86F-8EFCA23BBC23";
// A running program that does not answer within this time is busy; it still
// runs, so this start ends all the same.
constexpr ULONGLONG kHandOverTimeoutMs = 10000;

// The user's SID as text, empty if it cannot be read. The session namespace
// alone would let a program started under another account on the same
// desktop (runas) stand in for this user's own.
std::wstring userSid() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    const unique_handle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::string buf(size, '\0');
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buf.data(), size, &size)) return {};
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buf.data())->User.Sid, &text)) return {};
    std::wstring sid(text);
    LocalFree(text);
    return sid;
}

const std::wstring& objectName() {
    static const std::wstring name = std::wstring(kObjectName) + L"-" + userSid();
    return name;
}

// Asks every application window of this program on the desktop; only the
// one of this user knows the message and answers.
bool askRunningProgram() {
    const UINT message = handOverMessage();
    for (HWND w = FindWindowExW(nullptr, nullptr, kAppWindowClass, nullptr); w;
         w = FindWindowExW(nullptr, w, kAppWindowClass, nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        // This start came from the user; without the permission Windows
        // would only flash the taskbar entry of the running program.
        AllowSetForegroundWindow(pid);
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutW(w, message, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 2000, &answer) &&
            static_cast<LRESULT>(answer) == kHandedOver)
            return true;
    }
    return false;
}

}  // namespace

UINT handOverMessage() {
    static const UINT message = RegisterWindowMessageW(objectName().c_str());
    return message;
}

SingleInstance::SingleInstance() {
    // "Local\" is the namespace of this logon session: other sessions
    // (fast user switching, terminal sessions) keep their own program.
    mutex_.reset(CreateMutexW(nullptr, FALSE, (L"Local\\" + objectName()).c_str()));
    if (!mutex_) {
        // Denied: it exists, made by this user's program at another integrity
        // level. Any other failure must not keep the user's backups from running.
        owner_ = GetLastError() != ERROR_ACCESS_DENIED;
        return;
    }
    // Taking ownership decides between two starts at the same moment; the
    // owner keeps it until the process ends.
    const DWORD w = WaitForSingleObject(mutex_.get(), 0);
    owner_ = w == WAIT_OBJECT_0 || w == WAIT_ABANDONED;
}

SingleInstance::~SingleInstance() {
    if (owner_) ReleaseMutex(mutex_.get());
}

bool SingleInstance::handOver() {
    const ULONGLONG end = GetTickCount64() + kHandOverTimeoutMs;
    do {
        // The running program may still be creating its window, or ending.
        if (mutex_) {
            const DWORD w = WaitForSingleObject(mutex_.get(), 50);
            if (w == WAIT_OBJECT_0 || w == WAIT_ABANDONED) {
                owner_ = true;
                return false;
            }
        } else {
            Sleep(50);
        }
        if (askRunningProgram()) return true;
    } while (GetTickCount64() < end);
    return true;
}

bool SingleInstance::waitForOwner(DWORD timeoutMs) {
    if (owner_) return true;
    if (!mutex_) return false;
    const DWORD w = WaitForSingleObject(mutex_.get(), timeoutMs);
    owner_ = w == WAIT_OBJECT_0 || w == WAIT_ABANDONED;
    return owner_;
}

}  // namespace zb
