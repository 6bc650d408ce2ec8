#pragma once
// One program per user session. The first start owns a named mutex in the
// session's namespace; a later start asks that program to show its window
// and ends without touching anything.
#include <windows.h>

#include "win32/handles_win32.h"

namespace zb {

// The program's application window: owner of the main window, holder of the
// taskbar entry, and the window a later start finds, also while hidden.
inline constexpr wchar_t kAppWindowClass[] = L"ZelkorBackupApplication";
// The answer of the running program to a later start.
inline constexpr LRESULT kHandedOver = 0x5A42;

// The message a later start sends to the application window; it carries the
// user's identity, so that another user's program on the same desktop
// ignores it.
UINT handOverMessage();

class SingleInstance {
public:
    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // This process is the program of the session.
    bool owner() const { return owner_; }
    // For a later start: asks the running program to show its window.
    // Returns false only when that program ended meanwhile and this process
    // has become the program of the session.
    [[nodiscard]] bool handOver();
    // For a start by Windows after an update: the program it replaces may
    // still be ending. True once this process is the program of the session.
    [[nodiscard]] bool waitForOwner(DWORD timeoutMs);

private:
    unique_handle mutex_;
    bool owner_ = false;
};

}  // namespace zb
