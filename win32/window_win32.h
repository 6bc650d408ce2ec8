#pragma once
// The main window as a thin Win32 view: created from the control table, it
// turns window messages into calls of TfrmBackup and of WindowState, and
// carries out their answers.
#include <windows.h>
// winuser.h defines ExitWindows as a macro; the window has a method of that name.
#undef ExitWindows

#include <array>
#include <optional>
#include <string>

#include "core/window_state.h"
#include "platform/ports.h"
#include "platform/window_port.h"

namespace zb {

class TfrmBackup;

// The system's folder picker owned by `owner`, with `title` when not empty.
std::optional<std::string> pickFolderDialog(HWND owner, const std::wstring& title);

class Win32Window final : public IWindow {
public:
    explicit Win32Window(HINSTANCE instance);
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    // Creates the window and its controls, not yet on the screen.
    [[nodiscard]] bool create();
    void attach(TfrmBackup* form) { form_ = form; }
    // After start-up: the window appears unless start-up sent it to the tray.
    void realize();
    // The message loop; returns when the window is gone.
    int run();
    HWND hwnd() const { return hwnd_; }
    HWND appWindow() const { return app_; }

    bool checked(Ctl c) const override;
    void setCheckedState(Ctl c, bool on) override;
    std::string text(Ctl c) const override;
    void setText(Ctl c, const std::string& s) override;
    bool visible(Ctl c) const override;
    void setVisible(Ctl c, bool on) override;
    bool enabled(Ctl c) const override;
    void setEnabled(Ctl c, bool on) override;
    TimeOfDay time(Ctl c) const override;
    void setTime(Ctl c, TimeOfDay t) override;
    void appendLine(Ctl c, const std::string& line) override;
    void processMessages() override;
    void waitForMessages(std::uint32_t timeoutMs) override;
    // Serves the window's messages until `object` is signalled or the time
    // is over; after the quit message only messages sent by other threads
    // (the shell's window on a worker may wait for an answer). A null
    // object waits for the time alone.
    void serveUntil(HANDLE object, DWORD timeoutMs);
    MsgResult messageBox(MsgKind kind, MsgButtons buttons, const std::string& text) override;
    void destroy() override;
    void setMinimized(bool minimized) override;
    bool minimized() const override { return state_.minimized(); }
    void setShown(bool shown) override;
    bool shown() const override { return state_.shown(); }
    void bringToFront() override;
    std::uintptr_t handle() const override { return reinterpret_cast<std::uintptr_t>(hwnd_); }
    void setTimerEnabled(bool on) override;
    bool timerEnabled() const override { return timer_; }
    void postTimerTick() override;
    std::optional<std::string> pickFolder() override;
    void popupTrayMenuAtCursor() override;

    // Runs a handler; an error it raises is shown in the application's error
    // box, and the program runs on. No exception crosses into Windows.
    template <class F>
    void guarded(F&& f) noexcept {
        try {
            f();
        } catch (const std::exception& e) {
            showException(e.what());
        } catch (...) {
            showException("Unbekannter Fehler");
        }
    }

private:
    // The window object of a window, once the form is attached to it.
    static Win32Window* attached(HWND hwnd, UINT msg, LPARAM lp);
    static LRESULT CALLBACK wndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK appWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT handleApp(UINT msg, WPARAM wp, LPARAM lp);
    bool createAppWindow();
    // The controls of the table, the tray menu and what they are drawn with.
    bool createControls();
    // The taskbar entry belongs to the application window: it is there
    // exactly while the main window is on the screen.
    void showAppWindow(bool on);
    void showException(const char* text) noexcept;
    bool dispatch(MSG& msg);
    void onCommand(WPARAM wp);
    Seen seenNow() const;
    // Carries out a decision; false when it leaves the message to the system.
    bool carry(Act act);
    void present(Presentation p);
    HWND ctl(Ctl c) const { return hwnds_[static_cast<std::size_t>(c)]; }
    static bool isControlId(int id) { return id >= 1000 && id < 1000 + static_cast<int>(kControlCount); }
    static Ctl fromId(int id) { return static_cast<Ctl>(id - 1000); }

    HINSTANCE instance_;
    HWND app_ = nullptr;
    HWND hwnd_ = nullptr;
    std::array<HWND, kControlCount> hwnds_{};
    HMENU trayMenu_ = nullptr;
    HFONT font_ = nullptr;
    HBRUSH white_ = nullptr;
    UINT taskbarCreated_ = 0;
    UINT handOver_ = 0;
    TfrmBackup* form_ = nullptr;
    WindowState state_;
    bool timer_ = false;
};

}  // namespace zb
