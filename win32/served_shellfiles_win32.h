#pragma once
// The shell's file operation on a worker thread, while the user-interface
// thread keeps serving the window's messages: the shell's copy serves none
// while it works, and a window silent for 5 s is "hung" to Windows, also
// when it asks whether the session may end.
#include <windows.h>

#include "platform/forwarding_shellfiles.h"

namespace zb {

class Win32Window;

class ServedShellFiles final : public ForwardingShellFiles {
public:
    ServedShellFiles(IShellFiles& real, Win32Window& window) : ForwardingShellFiles(real), window_(window) {}

    // False: the operation runs on the calling thread, as the shell's own
    // call would (the bench measures the difference).
    bool onWorker = true;

    int shFileOperation(const ShFileOp& op, bool& anyAborted) override;

private:
    Win32Window& window_;
    bool busy_ = false;
};

}  // namespace zb
