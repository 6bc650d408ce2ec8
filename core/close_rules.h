#pragma once
// Who asks the program to end, and what it answers: a plain rule over the
// window's private state, carried out by the form and the Win32 window.
#include <cstdint>

namespace zb {

// The event log's ids of the program's end and of the timer's two states.
inline constexpr std::uint32_t kEventProgramEnded = 20, kEventTimerStopped = 21, kEventTimerActivated = 22;

enum class CloseRequest {
    User,          // "&Ende", Esc, "Beenden", the taskbar entry's "Fenster schließen"
    EndOfWindows,  // the user logs off or Windows shuts down
    Update,        // an installer asks through the Restart Manager to replace the program's files
};

enum class CloseAnswer {
    Ask,     // the confirmation box decides
    Close,   // without a question
    Refuse,  // silently
};

// Once Windows has asked to end the session, every request is granted (even
// a run gives way: Windows would end it anyway). A run is never broken off
// for anything else: an update is refused and the installer retries later.
// Idle, an update closes without the question, since nobody is there to
// answer it and Windows starts the program again afterwards.
[[nodiscard]] CloseAnswer closeAnswer(CloseRequest request, bool endSessionPending, bool backupRunning);

}  // namespace zb
