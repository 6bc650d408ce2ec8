#pragma once
// The stand-in window: a model of every control's state, built from the same
// control table as the Win32 window, with scripted dialog answers and a
// record of every dialog shown.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/window_state.h"
#include "platform/ports.h"
#include "platform/window_port.h"

namespace zb {

class PosixWindow final : public IWindow {
public:
    struct Box {
        MsgKind kind;
        MsgButtons buttons;
        std::string text;
        friend bool operator==(const Box&, const Box&) = default;
    };
    struct ControlState {
        bool checked = false, visible = false, enabled = true;
        std::string text;
        TimeOfDay time;
    };

    PosixWindow();

    // Scripting.
    std::deque<MsgResult> answers;  // next answers of message boxes; OK/None when empty
    std::deque<std::optional<std::string>> pickedFolders;
    std::function<void()> onProcessMessages;  // messages that arrive while the handler waits
    std::function<void(std::uint32_t)> onWait;  // a wait for messages; tests move their clock here
    std::function<void(const Box&)> onMessageBox;
    std::function<void(Ctl, const std::string&)> onSetText;

    // Record.
    std::vector<Box> boxes;
    int processMessagesCalls = 0;
    int waits = 0;
    int trayMenuPopups = 0;
    int timerStarts = 0;
    int postedTicks = 0;  // the tests deliver them by calling TimerTimer
    bool destroyed = false;

    ControlState& state(Ctl c) { return controls_[c]; }

    bool checked(Ctl c) const override { return controls_.at(c).checked; }
    void setCheckedState(Ctl c, bool on) override { controls_[c].checked = on; }
    std::string text(Ctl c) const override { return controls_.at(c).text; }
    void setText(Ctl c, const std::string& s) override {
        controls_[c].text = s;
        if (onSetText) onSetText(c, s);
    }
    bool visible(Ctl c) const override { return controls_.at(c).visible; }
    void setVisible(Ctl c, bool on) override { controls_[c].visible = on; }
    bool enabled(Ctl c) const override { return controls_.at(c).enabled; }
    void setEnabled(Ctl c, bool on) override { controls_[c].enabled = on; }
    TimeOfDay time(Ctl c) const override { return controls_.at(c).time; }
    void setTime(Ctl c, TimeOfDay t) override { controls_[c].time = t; }
    void appendLine(Ctl c, const std::string& line) override;

    void processMessages() override;
    void waitForMessages(std::uint32_t timeoutMs) override;
    MsgResult messageBox(MsgKind kind, MsgButtons buttons, const std::string& text) override;
    void destroy() override { destroyed = true; }

    void setMinimized(bool m) override { (void)screen.setMinimized(m, {}); }
    bool minimized() const override { return screen.minimized(); }
    void setShown(bool s) override { (void)screen.setShown(s, {}); }
    bool shown() const override { return screen.shown(); }
    void bringToFront() override { ++frontCalls; }
    std::uintptr_t handle() const override { return 0x10ABC; }
    void setTimerEnabled(bool on) override;
    bool timerEnabled() const override { return timer_; }
    void postTimerTick() override { ++postedTicks; }
    std::optional<std::string> pickFolder() override;
    void popupTrayMenuAtCursor() override { ++trayMenuPopups; }

    int frontCalls = 0;
    // The same rules as the Win32 window's; tests ask them what a message
    // would do and carry out the answer.
    WindowState screen;

private:
    std::map<Ctl, ControlState> controls_;
    bool timer_ = false;
};

// The stand-in notification area: records every call and keeps the icons as
// the shell does (one per window and id).
class PosixTray final : public ITray {
public:
    struct Call {
        std::uint32_t message;
        TrayIconData data;
        bool result;
    };
    std::vector<Call> calls;
    std::map<std::pair<std::uintptr_t, std::uint32_t>, TrayIconData> icons;
    bool shellUp = true;  // false: no notification area yet (a logon), every call fails

    bool notifyIcon(std::uint32_t message, const TrayIconData& data) override;
    std::uintptr_t appIcon() override { return 0x1C0; }
    std::uintptr_t warningIcon() override { return 0x1C1; }
};

// Records the events the program writes.
class PosixEventLog final : public IEventLog {
public:
    struct Event {
        EventType type;
        std::uint32_t id;
        std::string text;
        friend bool operator==(const Event&, const Event&) = default;
    };
    std::vector<Event> events;
    void report(EventType type, std::uint32_t id, const std::string& text) override {
        events.push_back({type, id, text});
    }
};

}  // namespace zb
