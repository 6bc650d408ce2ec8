// Where the window goes on each road: minimise, restore, a later start's
// hand-over, in each of the window's states; and what the form makes of it.
#include <deque>
#include <optional>

#include "run_fixture.h"

namespace zb::test {
namespace {

// The states a message can find the window in.
enum class At {
    StartingUp,        // start-up still running, the window not yet on the screen
    StartingUpToTray,  // start-up running and has sent the window to the tray
    Shown,
    Minimizing,        // the program's own minimise, between its two steps
    InTray,
    Quitting,          // a handler's inner loop took the quit message
};

const char* name(At a) {
    switch (a) {
        case At::StartingUp: return "starting up";
        case At::StartingUpToTray: return "starting up, to the tray";
        case At::Shown: return "shown";
        case At::Minimizing: return "minimizing";
        case At::InTray: return "in the tray";
        case At::Quitting: return "quitting";
    }
    return "?";
}

// The state reached the way the form and the view reach it.
WindowState at(At a) {
    WindowState s;
    const auto toTray = [&] {
        (void)s.setMinimized(true, {});
        (void)s.setShown(false, {});
    };
    if (a == At::StartingUpToTray) toTray();
    if (a == At::StartingUp || a == At::StartingUpToTray) return s;
    (void)s.realize();
    if (a == At::Minimizing) (void)s.setMinimized(true, {});
    if (a == At::InTray) toTray();
    if (a == At::Quitting) s.quitSeen();
    return s;
}

constexpr Seen kNormal{};
constexpr Seen kEntryIconic{true, true, false};
constexpr Seen kMainIconic{false, true, true};
constexpr Seen kHidden{false, false, false};
constexpr Seen kHiddenIconic{false, false, true};

struct RoadRow {
    Road road;
    At state;
    Seen seen;
    Act expected;
};

TEST(WindowStateTest, EachRoadInEachState) {
    const RoadRow rows[] = {
        // The taskbar entry's minimise (a click on the active entry, its
        // window menu) and the main window's minimise box: always to the
        // tray; the form decides whether it may go.
        {Road::EntryMinimize, At::Shown, kNormal, Act::Minimize},
        {Road::EntryMinimize, At::InTray, kHidden, Act::Minimize},
        {Road::EntryMinimize, At::StartingUp, kHidden, Act::Minimize},
        {Road::EntryMinimize, At::Quitting, kNormal, Act::Minimize},
        {Road::MainMinimize, At::Shown, kNormal, Act::Minimize},
        {Road::MainMinimize, At::InTray, kHidden, Act::Minimize},
        // Windows+M and "show desktop" minimise the entry's window unasked;
        // the main window vanishes with it and must not stay without an icon.
        {Road::EntryMinimized, At::Shown, kEntryIconic, Act::PostToTray},
        {Road::EntryMinimized, At::InTray, kEntryIconic, Act::PostToTray},
        {Road::EntryMinimized, At::Quitting, kEntryIconic, Act::PostToTray},
        // The main window minimised by anyone but the program itself.
        {Road::MainMinimized, At::Shown, kMainIconic, Act::PostToTray},
        {Road::MainMinimized, At::Quitting, kMainIconic, Act::PostToTray},
        {Road::MainMinimized, At::Minimizing, kMainIconic, Act::PassOn},
        {Road::MainMinimized, At::InTray, kHiddenIconic, Act::PassOn},
        // The posted half: only a window still shown goes to the tray.
        {Road::ToTray, At::Shown, kNormal, Act::Minimize},
        {Road::ToTray, At::Shown, kEntryIconic, Act::Minimize},
        {Road::ToTray, At::InTray, kHidden, Act::Nothing},
        {Road::ToTray, At::Quitting, kNormal, Act::Minimize},
        // Restore of the entry: ours when it stands for a minimised or hidden
        // window; otherwise the system's.
        {Road::EntryRestore, At::Shown, kNormal, Act::PassOn},
        {Road::EntryRestore, At::Shown, kEntryIconic, Act::Restore},
        {Road::EntryRestore, At::InTray, kHidden, Act::Restore},
        {Road::EntryRestore, At::Minimizing, kMainIconic, Act::PassOn},
        // Restore of the main window: ours only while it is iconic.
        {Road::MainRestore, At::Shown, kNormal, Act::PassOn},
        {Road::MainRestore, At::Shown, kMainIconic, Act::Restore},
        {Road::MainRestore, At::InTray, kHidden, Act::PassOn},
        {Road::MainRestore, At::InTray, kHiddenIconic, Act::Restore},
        {Road::FromTray, At::InTray, kHidden, Act::Restore},
        {Road::FromTray, At::Shown, kNormal, Act::Restore},
        // A later start: answered at once, the window comes after the
        // answer; during start-up it waits until start-up is done.
        {Road::HandOver, At::Shown, kNormal, Act::PostFromTray},
        {Road::HandOver, At::InTray, kHidden, Act::PostFromTray},
        {Road::HandOver, At::Quitting, kNormal, Act::PostFromTray},
        {Road::HandOver, At::StartingUp, kHidden, Act::Nothing},
        {Road::HandOver, At::StartingUpToTray, kHidden, Act::Nothing},
    };
    for (const RoadRow& r : rows) {
        SCOPED_TRACE(testing::Message() << "road " << int(r.road) << ", " << name(r.state));
        WindowState s = at(r.state);
        const bool shown = s.shown(), minimized = s.minimized();
        EXPECT_EQ(s.on(r.road, r.seen), r.expected);
        // A road changes no state; only a hand-over during start-up is kept.
        EXPECT_EQ(s.shown(), shown);
        EXPECT_EQ(s.minimized(), minimized);
        EXPECT_EQ(s.handOverPending(), r.road == Road::HandOver && !s.realized());
    }
}

struct ShowRow {
    At state;
    bool shown;  // setShown(shown) when `minimize` is unset
    std::optional<bool> minimize;
    Seen seen;
    Presentation expected;
};

TEST(WindowStateTest, WhatTheScreenShowsForEachWishOfTheForm) {
    using E = EntryShow;
    using M = MainShow;
    const ShowRow rows[] = {
        // Nothing reaches the screen before start-up is done.
        {At::StartingUp, false, {}, kHidden, {}},
        {At::StartingUp, true, {}, kHidden, {}},
        {At::StartingUp, false, true, kHidden, {}},
        {At::StartingUpToTray, true, false, kHidden, {}},
        // To the tray: the window goes, then its taskbar entry.
        {At::Shown, false, {}, kNormal, {E::Hide, M::Hide}},
        {At::Minimizing, false, {}, kMainIconic, {E::Hide, M::Hide}},
        // Back: the entry, then the window, out of iconic if it is.
        {At::InTray, true, {}, kHidden, {E::Show, M::ShowMinimized}},
        {At::Shown, true, {}, kNormal, {E::Show, M::Show}},
        {At::Shown, true, {}, kMainIconic, {E::Show, M::Restore}},
        {At::Quitting, true, {}, kNormal, {E::Show, M::Show}},
        // Minimised or not: only a window on the screen is touched, and only
        // when it is not that way already.
        {At::Shown, false, true, kNormal, {E::Leave, M::Minimize}},
        {At::Shown, false, true, kMainIconic, {}},
        {At::Shown, false, true, kHidden, {}},
        {At::Shown, false, false, kMainIconic, {E::Leave, M::Restore}},
        {At::Shown, false, false, kNormal, {}},
        {At::InTray, false, false, kHiddenIconic, {}},
    };
    for (const ShowRow& r : rows) {
        SCOPED_TRACE(testing::Message() << name(r.state) << (r.minimize ? ", minimize " : ", shown ")
                                        << (r.minimize ? *r.minimize : r.shown));
        WindowState s = at(r.state);
        const Presentation p = r.minimize ? s.setMinimized(*r.minimize, r.seen) : s.setShown(r.shown, r.seen);
        EXPECT_EQ(p.entry, r.expected.entry);
        EXPECT_EQ(p.main, r.expected.main);
        // The wish is kept, whether or not the screen showed it yet.
        if (r.minimize) {
            EXPECT_EQ(s.minimized(), *r.minimize);
        } else {
            EXPECT_EQ(s.shown(), r.shown);
        }
    }
}

TEST(WindowStateTest, TheEndOfStartUpShowsWhatStartUpDecided) {
    struct Row {
        const char* what;
        bool minimize, hide, handOver;
        Presentation show;
        bool restore;
    } const rows[] = {
        {"shown", false, false, false, {EntryShow::Show, MainShow::ShowNormal}, false},
        {"sent to the tray", true, true, false, {}, false},
        {"minimised but shown", true, false, false, {EntryShow::Show, MainShow::ShowMinimized}, false},
        {"a later start came meanwhile", false, false, true, {EntryShow::Show, MainShow::ShowNormal}, true},
        {"sent to the tray, a later start came", true, true, true, {}, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        WindowState s;
        (void)s.setMinimized(r.minimize, {});
        (void)s.setShown(!r.hide, {});
        if (r.handOver) {
            EXPECT_EQ(s.on(Road::HandOver), Act::Nothing);
        }
        EXPECT_FALSE(s.mayBringToFront());
        const WindowState::Realized done = s.realize();
        EXPECT_EQ(done.show, r.show);
        EXPECT_EQ(done.restore, r.handOver);
        EXPECT_TRUE(s.mayBringToFront());
        // Once: from now on a hand-over restores through the posted message.
        EXPECT_FALSE(s.handOverPending());
        EXPECT_FALSE(s.realize().restore);
        EXPECT_EQ(s.on(Road::HandOver), Act::PostFromTray);
    }
}

TEST(WindowStateTest, ActivatingTheEntryFocusesTheWindowOrTheBoxItWaitsFor) {
    struct Row {
        Seen seen;
        bool entryStillActive, popupUsable;
        Focus expected;
    } const rows[] = {
        {kNormal, true, false, Focus::Main},
        {kNormal, true, true, Focus::Popup},
        // Something else took over meanwhile, or there is nothing to show.
        {kNormal, false, true, Focus::None},
        {kHidden, true, true, Focus::None},
        {kMainIconic, true, true, Focus::None},
        {kHiddenIconic, true, false, Focus::None},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.seen.mainVisible << r.seen.mainIconic << r.entryStillActive
                                        << r.popupUsable);
        EXPECT_EQ(WindowState::onEntryActivated(r.seen, r.entryStillActive, r.popupUsable), r.expected);
    }
}

TEST(WindowStateTest, OnlyAQuitMessageTurnsWaitsIntoSleeps) {
    WindowState s;
    EXPECT_FALSE(s.waitSleeps());
    (void)s.realize();
    (void)s.setShown(false, {});
    EXPECT_FALSE(s.waitSleeps());
    s.quitSeen();
    EXPECT_TRUE(s.waitSleeps());
    EXPECT_EQ(s.on(Road::HandOver), Act::PostFromTray);
}

// --- The roads with the form at the other end -------------------------------------

// Carries out the answers as the Win32 view does, posted messages after the
// message at hand.
class RoadsTest : public RunTest {
protected:
    void travel(Road road, Seen seen) {
        std::deque<Road> queue{road};
        while (!queue.empty()) {
            const Road r = queue.front();
            queue.pop_front();
            switch (window.screen.on(r, seen)) {
                case Act::Minimize: form.ApplicationEvents1Minimize(Ctl::appEv1); break;
                case Act::Restore: form.ApplicationEvents1Restore(Ctl::appEv1); break;
                case Act::PostToTray: queue.push_back(Road::ToTray); break;
                case Act::PostFromTray: queue.push_back(Road::FromTray); break;
                case Act::PassOn:
                case Act::Nothing: break;
            }
        }
    }
    bool inTray() const { return window.minimized() && !window.shown() && tray.icons.size() == 1; }
    bool shownNormal() const { return !window.minimized() && window.shown() && tray.icons.empty(); }
    void realize() {
        const WindowState::Realized r = window.screen.realize();
        if (r.restore) form.ApplicationEvents1Restore(Ctl::appEv1);
    }
};

struct Minimise {
    const char* what;
    Road road;
    Seen seen;
};
const Minimise kMinimises[] = {
    {"click on the active entry, its menu", Road::EntryMinimize, kNormal},
    {"Windows+M, show desktop", Road::EntryMinimized, kEntryIconic},
    {"the main window minimised by anyone", Road::MainMinimized, kMainIconic},
    {"the main window's own minimise command", Road::MainMinimize, kNormal},
};

TEST_F(RoadsTest, EveryMinimiseEndsInTheTrayAndEveryRestoreBringsTheWindowBack) {
    realize();
    const Minimise restores[] = {
        {"the icon", Road::FromTray, kHidden},
        {"the entry's restore", Road::EntryRestore, kHidden},
        {"a later start", Road::HandOver, kHidden},
    };
    for (const Minimise& m : kMinimises) {
        for (const Minimise& back : restores) {
            SCOPED_TRACE(testing::Message() << m.what << ", back by " << back.what);
            travel(m.road, m.seen);
            EXPECT_TRUE(inTray());
            // A second minimise meanwhile adds no second icon.
            travel(m.road, kHidden);
            EXPECT_TRUE(inTray());
            travel(back.road, back.seen);
            EXPECT_TRUE(shownNormal());
        }
    }
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(RoadsTest, DuringARunNoMinimiseHidesTheWindowAndALaterStartShowsIt) {
    drive('E');
    target(1, "E:\\");
    realize();
    int during = 0;
    window.onProcessMessages = [&] {
        if (during++) return;
        for (const Minimise& m : kMinimises) {
            SCOPED_TRACE(m.what);
            travel(m.road, m.seen);
            EXPECT_TRUE(shownNormal());
        }
        const int front = window.frontCalls;
        travel(Road::HandOver, kNormal);
        EXPECT_TRUE(shownNormal());
        EXPECT_EQ(window.frontCalls, front + 1);
    };
    run();
    EXPECT_GT(during, 0);
    // The run ends in the tray; from there on every road works again.
    EXPECT_TRUE(inTray());
    travel(Road::HandOver, kHidden);
    EXPECT_TRUE(shownNormal());
    travel(Road::EntryMinimize, kNormal);
    EXPECT_TRUE(inTray());
}

TEST_F(RoadsTest, ALaterStartDuringStartUpShowsTheWindowOnceStartUpIsDone) {
    // Start-up sends a saved schedule to the tray.
    std::filesystem::create_directories(drive('D') / "Daten");
    drive('E');
    writeIni("[Backup]\r\nMon=1\r\nP1A=1\r\nP1P=D:\\Daten\\\r\nTAR1=E:\\\r\n");
    form.FormCreate(Ctl::frmBackup);
    ASSERT_TRUE(inTray());
    travel(Road::HandOver, kHidden);
    EXPECT_TRUE(inTray());
    EXPECT_EQ(window.frontCalls, 0);
    realize();
    EXPECT_TRUE(shownNormal());
    EXPECT_EQ(window.frontCalls, 1);
}

}  // namespace
}  // namespace zb::test
