#pragma once
// Where the program is on the screen (its window shown, or hidden with an
// icon in the notification area) and the rules that move it there: which
// minimise goes to the tray, when the taskbar entry shows, what a restore
// does, what a later start's hand-over does. The Win32 view reports what
// happened and what it sees, and carries out the answer.
namespace zb {

// How a minimise, a restore or a request for the window arrived.
enum class Road {
    EntryMinimize,   // SC_MINIMIZE on the taskbar entry: a click on the active entry, its window menu
    EntryRestore,    // SC_RESTORE on the taskbar entry
    EntryMinimized,  // the entry's window went iconic unasked (Windows+M, "show desktop")
    MainMinimize,    // SC_MINIMIZE on the main window
    MainRestore,     // SC_RESTORE on the main window
    MainMinimized,   // the main window went iconic, whoever did it
    ToTray,          // posted by the view to itself after a minimise
    FromTray,        // posted by the view to itself after a hand-over
    HandOver,        // a later start asks for the window
};

enum class Act {
    PassOn,        // not ours: the system's default handling
    Nothing,       // taken, and nothing to do now
    Minimize,      // ApplicationEvents1Minimize
    Restore,       // ApplicationEvents1Restore
    PostToTray,    // ApplicationEvents1Minimize, once the system's own minimise is over
    PostFromTray,  // ApplicationEvents1Restore, once the caller has its answer
};

// What the view does with the taskbar entry and the main window, in this
// order when the entry shows and in the reverse order when it goes.
enum class EntryShow { Leave, Show, Hide };
enum class MainShow { Leave, Hide, ShowNormal, Show, ShowMinimized, Minimize, Restore };
struct Presentation {
    EntryShow entry = EntryShow::Leave;
    MainShow main = MainShow::Leave;
    friend bool operator==(const Presentation&, const Presentation&) = default;
};

// Which window takes the foreground when the taskbar activates the entry.
enum class Focus { None, Main, Popup };

// What the view sees of the real windows when it asks.
struct Seen {
    bool entryIconic = false;
    bool mainVisible = true;
    bool mainIconic = false;
};

class WindowState {
public:
    [[nodiscard]] Act on(Road road, Seen seen = {});

    // The form's wishes; nothing reaches the screen before start-up is done.
    [[nodiscard]] Presentation setShown(bool shown, Seen seen);
    [[nodiscard]] Presentation setMinimized(bool minimized, Seen seen);

    struct Realized {
        Presentation show;
        bool restore;  // a later start asked during start-up: ApplicationEvents1Restore now
    };
    // Start-up is done: the window appears unless start-up sent it to the tray.
    [[nodiscard]] Realized realize();

    // The entry was activated: the user means the main window, or the box
    // it is waiting for.
    [[nodiscard]] static Focus onEntryActivated(Seen seen, bool entryStillActive, bool popupUsable);

    // A handler's inner message loop took the quit message; it is posted
    // again for the outer loop.
    void quitSeen() { quitting_ = true; }
    // A wait for messages would end at once on that quit message and turn
    // every pause into a busy loop: it sleeps instead.
    bool waitSleeps() const { return quitting_; }

    bool mayBringToFront() const { return realized_; }
    bool realized() const { return realized_; }
    bool shown() const { return shown_; }
    bool minimized() const { return minimized_; }
    bool handOverPending() const { return handOverPending_; }

private:
    bool realized_ = false, shown_ = true, minimized_ = false, quitting_ = false;
    bool handOverPending_ = false;
};

}  // namespace zb
