#pragma once
// The port of the main window: its controls, named by the control table, and
// its modal dialogs. The only port that knows the window's controls.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/controls.h"
#include "platform/ports.h"

namespace zb {

enum class MsgKind { Warning, Error, Information, Confirmation, AppError };
enum class MsgButtons { Ok, YesNo };
enum class MsgResult { None, Ok, Yes, No };

// The main window, its controls and its modal dialogs.
class IWindow {
public:
    virtual ~IWindow() = default;

    virtual bool checked(Ctl c) const = 0;
    // Sets the state only; TfrmBackup::setChecked runs the click handler.
    virtual void setCheckedState(Ctl c, bool on) = 0;
    virtual std::string text(Ctl c) const = 0;
    virtual void setText(Ctl c, const std::string& s) = 0;
    virtual bool visible(Ctl c) const = 0;
    virtual void setVisible(Ctl c, bool on) = 0;
    virtual bool enabled(Ctl c) const = 0;
    virtual void setEnabled(Ctl c, bool on) = 0;
    virtual TimeOfDay time(Ctl c) const = 0;
    virtual void setTime(Ctl c, TimeOfDay t) = 0;
    virtual void appendLine(Ctl c, const std::string& line) = 0;

    // Handles the window messages that are waiting, then returns.
    virtual void processMessages() = 0;
    // Sleeps until a message arrives or `timeoutMs` has passed, without
    // handling it (MsgWaitForMultipleObjectsEx); costs no CPU while waiting.
    virtual void waitForMessages(std::uint32_t timeoutMs) = 0;
    virtual MsgResult messageBox(MsgKind kind, MsgButtons buttons, const std::string& text) = 0;
    // Destroys the window; the message loop ends and with it the program.
    virtual void destroy() = 0;

    // The window itself: minimised or normal, hidden or shown.
    virtual void setMinimized(bool minimized) = 0;
    virtual bool minimized() const = 0;
    virtual void setShown(bool shown) = 0;
    virtual bool shown() const = 0;
    virtual void bringToFront() = 0;
    // Opaque window handle, for the notification icon record.
    virtual std::uintptr_t handle() const = 0;

    // The minute timer `Timer` (60000 ms). Enabling an enabled timer restarts it,
    // so callers that must not restart it test timerEnabled() first.
    virtual void setTimerEnabled(bool on) = 0;
    virtual bool timerEnabled() const = 0;
    // The timer's handler runs once more as soon as the message loop is free
    // (not inside the caller); the timer keeps its rhythm.
    virtual void postTimerTick() = 0;

    // The system's folder picker; nothing when the user cancels.
    virtual std::optional<std::string> pickFolder() = 0;
    // Opens the tray menu with its top-left corner at the mouse cursor.
    virtual void popupTrayMenuAtCursor() = 0;
};

}  // namespace zb
