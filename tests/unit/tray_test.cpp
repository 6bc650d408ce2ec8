// The notification icon and the window's two states.
#include <cstring>
#include "form_fixture.h"


namespace zb::test {
namespace {

constexpr std::intptr_t kLButtonDown = 0x201, kLButtonUp = 0x202, kLButtonDblClk = 0x203, kRButtonDown = 0x204,
                        kMouseMove = 0x200, kMButtonDown = 0x207;

// Forwards to the stand-in shell and notes what the window looked like at
// each call, so the order of the steps around the icon can be checked.
class WatchingTray final : public ITray {
public:
    struct Seen {
        std::uint32_t message;
        bool shown, minimized;
        int frontCalls;
    };
    WatchingTray(PosixTray& shell, const PosixWindow& window) : shell_(shell), window_(window) {}

    bool notifyIcon(std::uint32_t message, const TrayIconData& data) override {
        seen.push_back({message, window_.shown(), window_.minimized(), window_.frontCalls});
        return shell_.notifyIcon(message, data);
    }
    std::uintptr_t appIcon() override { return shell_.appIcon(); }
    std::uintptr_t warningIcon() override { return shell_.warningIcon(); }

    std::vector<Seen> seen;

private:
    PosixTray& shell_;
    const PosixWindow& window_;
};

class TrayTest : public FormTest {
protected:
    void toTray() { form.ApplicationEvents1Minimize(Ctl::frmBackup); }
    bool inTray() const { return window.minimized() && !window.shown() && tray.icons.size() == 1; }
    bool shownNormal() const { return !window.minimized() && window.shown() && tray.icons.empty(); }

    // A schedule that FormCreate activates: Monday, source 1 on drive D,
    // target 1 on drive E.
    void savedSchedule(const std::string& extra) {
        const auto d = host(dir.path()) / "drive-D";
        const auto e = host(dir.path()) / "drive-E";
        std::filesystem::create_directories(d / "Daten");
        std::filesystem::create_directories(e);
        posix::mapDrive('D', d.string());
        posix::mapDrive('E', e.string());
        writeIni("[Backup]\r\nMon=1\r\nP1A=1\r\nP1P=D:\\Daten\\\r\nTAR1=E:\\\r\n" + extra);
    }
};

TEST_F(TrayTest, ToTrayHidesTheWindowAndAddsTheIcon) {
    toTray();
    EXPECT_TRUE(window.minimized());
    EXPECT_FALSE(window.shown());
    ASSERT_EQ(tray.calls.size(), 1u);
    EXPECT_EQ(tray.calls[0].message, 0u);  // NIM_ADD
    EXPECT_TRUE(tray.calls[0].result);
    EXPECT_EQ(tray.icons.size(), 1u);
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(window.frontCalls, 0);
}

TEST_F(TrayTest, TheIconRecord) {
    toTray();
    ASSERT_EQ(tray.calls.size(), 1u);
    const TrayIconData& d = tray.calls[0].data;
    EXPECT_EQ(d.cbSize, kNotifyIconDataV2Size);
    if constexpr (sizeof(void*) == 8) EXPECT_EQ(d.cbSize, 504u);
    else EXPECT_EQ(d.cbSize, 488u);
    EXPECT_EQ(d.hWnd, window.handle());
    EXPECT_EQ(d.uID, 0u);
    EXPECT_EQ(d.uFlags, 7u);
    EXPECT_EQ(d.uCallbackMessage, 0x80C9u);
    EXPECT_EQ(d.hIcon, tray.appIcon());
    EXPECT_EQ(std::string(d.szTip, sizeof d.szTip), "ZELKOR Backup" + std::string(128 - 13, '\0'));
    EXPECT_EQ(d.dwState, 0u);
    EXPECT_EQ(d.dwStateMask, 0u);
    EXPECT_EQ(std::string(d.szInfo, sizeof d.szInfo), std::string(256, '\0'));
    EXPECT_EQ(d.uTimeout, 0u);
    EXPECT_EQ(std::string(d.szInfoTitle, sizeof d.szInfoTitle), std::string(64, '\0'));
    EXPECT_EQ(d.dwInfoFlags, 0u);
    EXPECT_EQ(std::memcmp(&form.trayIconData(), &d, sizeof d), 0);
}

TEST_F(TrayTest, FromTrayDeletesTheIconThenShowsTheWindowInFront) {
    toTray();
    form.ApplicationEvents1Restore(Ctl::frmBackup);
    EXPECT_TRUE(shownNormal());
    EXPECT_EQ(window.frontCalls, 1);
    ASSERT_EQ(tray.calls.size(), 2u);
    EXPECT_EQ(tray.calls[1].message, 2u);  // NIM_DELETE
    EXPECT_TRUE(tray.calls[1].result);
    // The shell finds the icon by the record it was added with.
    EXPECT_EQ(std::memcmp(&tray.calls[1].data, &tray.calls[0].data, sizeof(TrayIconData)), 0);
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(TrayTest, TheIconComesOnlyAfterTheWindowIsHiddenAndGoesBeforeItShows) {
    WatchingTray watching(tray, window);
    TfrmBackup f(portsWith(window, watching));
    f.ApplicationEvents1Minimize(Ctl::appEv1);
    f.ApplicationEvents1Restore(Ctl::appEv1);
    ASSERT_EQ(watching.seen.size(), 2u);
    EXPECT_EQ(watching.seen[0].message, NIM_ADD_);
    EXPECT_FALSE(watching.seen[0].shown);
    EXPECT_TRUE(watching.seen[0].minimized);
    EXPECT_EQ(watching.seen[1].message, NIM_DELETE_);
    EXPECT_FALSE(watching.seen[1].shown);
    EXPECT_TRUE(watching.seen[1].minimized);
    EXPECT_EQ(watching.seen[1].frontCalls, 0);
}

TEST_F(TrayTest, TwoToTrayCallsLeaveOneIcon) {
    toTray();
    toTray();
    ASSERT_EQ(tray.calls.size(), 2u);
    EXPECT_EQ(tray.calls[1].message, NIM_ADD_);
    EXPECT_FALSE(tray.calls[1].result);
    EXPECT_EQ(tray.icons.size(), 1u);
    EXPECT_TRUE(inTray());
    form.ApplicationEvents1Restore(Ctl::frmBackup);
    EXPECT_TRUE(shownNormal());
}

TEST_F(TrayTest, FromTrayWithoutAnIconShowsTheWindowSilently) {
    window.setMinimized(true);
    form.ApplicationEvents1Restore(Ctl::frmBackup);
    EXPECT_TRUE(shownNormal());
    EXPECT_EQ(window.frontCalls, 1);
    ASSERT_EQ(tray.calls.size(), 1u);
    EXPECT_EQ(tray.calls[0].message, NIM_DELETE_);
    EXPECT_FALSE(tray.calls[0].result);
    EXPECT_TRUE(window.boxes.empty());

    // Also when the icon was there once and is gone.
    toTray();
    form.ApplicationEvents1Restore(Ctl::frmBackup);
    form.ApplicationEvents1Restore(Ctl::frmBackup);
    EXPECT_TRUE(shownNormal());
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(TrayTest, ApplicationEventsMoveTheWindowAndLeaveTheTimerAlone) {
    window.setTimerEnabled(true);
    form.ApplicationEvents1Minimize(Ctl::appEv1);
    EXPECT_TRUE(inTray());
    form.ApplicationEvents1Restore(Ctl::appEv1);
    EXPECT_TRUE(shownNormal());
    EXPECT_EQ(window.frontCalls, 1);
    EXPECT_TRUE(window.timerEnabled());
    EXPECT_EQ(window.timerStarts, 1);
    EXPECT_TRUE(window.boxes.empty());
}

// --- Mouse on the icon ----------------------------------------------------------

TEST_F(TrayTest, LeftPressRestoresAtOnceAndWhatFollowsChangesNothing) {
    toTray();
    form.WMTrayNotify(0, kLButtonDown);
    EXPECT_TRUE(shownNormal());
    EXPECT_EQ(window.frontCalls, 1);
    ASSERT_EQ(tray.calls.size(), 2u);
    for (std::intptr_t m : {kLButtonUp, kLButtonDblClk, kLButtonUp}) form.WMTrayNotify(0, m);
    EXPECT_EQ(tray.calls.size(), 2u);
    EXPECT_EQ(window.frontCalls, 1);
    EXPECT_EQ(window.trayMenuPopups, 0);
}

TEST_F(TrayTest, RightPressOpensTheMenuAndTheWindowStaysHidden) {
    toTray();
    form.WMTrayNotify(0, kRButtonDown);
    EXPECT_EQ(window.trayMenuPopups, 1);
    EXPECT_TRUE(inTray());
    EXPECT_EQ(window.frontCalls, 0);
    EXPECT_EQ(tray.calls.size(), 1u);

    // "Einstellungen" in that menu.
    form.Click(Ctl::miShow);
    EXPECT_TRUE(shownNormal());
    EXPECT_EQ(window.frontCalls, 1);
    EXPECT_EQ(window.trayMenuPopups, 1);
}

TEST_F(TrayTest, OtherMouseMessagesAreIgnored) {
    toTray();
    for (std::intptr_t m : {kLButtonUp, kLButtonDblClk, kMouseMove, kMButtonDown}) {
        SCOPED_TRACE(m);
        form.WMTrayNotify(0, m);
        EXPECT_TRUE(inTray());
        EXPECT_EQ(tray.calls.size(), 1u);
        EXPECT_EQ(window.trayMenuPopups, 0);
        EXPECT_EQ(window.frontCalls, 0);
    }
}

TEST_F(TrayTest, TheIconIdentifierIsNotExamined) {
    toTray();
    form.WMTrayNotify(5, kLButtonDown);
    EXPECT_TRUE(shownNormal());
    toTray();
    form.WMTrayNotify(5, kRButtonDown);
    EXPECT_EQ(window.trayMenuPopups, 1);
}

TEST_F(TrayTest, ShowMenuItemRestores) {
    toTray();
    form.miShowClick(Ctl::miShow);
    EXPECT_TRUE(shownNormal());
    EXPECT_EQ(window.frontCalls, 1);
}

// --- The shell restarting, and the end of the program -----------------------------

TEST_F(TrayTest, ARestartedShellGetsTheIconBackWhileInTheTray) {
    toTray();
    tray.icons.clear();  // the new shell knows no icons
    form.TaskbarCreated();
    ASSERT_EQ(tray.calls.size(), 2u);
    EXPECT_EQ(tray.calls[1].message, NIM_ADD_);
    EXPECT_EQ(std::memcmp(&tray.calls[1].data, &tray.calls[0].data, sizeof(TrayIconData)), 0);
    EXPECT_TRUE(inTray());
    form.WMTrayNotify(0, kLButtonDown);
    EXPECT_TRUE(shownNormal());
}

TEST_F(TrayTest, ARestartedShellGetsNoIconWhileTheWindowIsShown) {
    form.TaskbarCreated();  // never in the tray
    EXPECT_TRUE(tray.calls.empty());
    toTray();
    form.ApplicationEvents1Restore(Ctl::frmBackup);
    form.TaskbarCreated();
    EXPECT_EQ(tray.calls.size(), 2u);
    EXPECT_TRUE(shownNormal());
}

TEST_F(TrayTest, EndingFromTheTrayTakesTheIconAlong) {
    toTray();
    window.answers = {MsgResult::No};
    form.Click(Ctl::Beenden1);
    EXPECT_FALSE(window.destroyed);
    EXPECT_TRUE(inTray());

    window.answers = {MsgResult::Yes};
    form.Click(Ctl::Beenden1);
    EXPECT_TRUE(window.destroyed);
    EXPECT_TRUE(tray.icons.empty());
    ASSERT_EQ(tray.calls.size(), 2u);
    EXPECT_EQ(tray.calls[1].message, NIM_DELETE_);
}

TEST_F(TrayTest, EndingWhileShownTouchesNoIcon) {
    toTray();
    form.ApplicationEvents1Restore(Ctl::frmBackup);
    window.answers = {MsgResult::Yes};
    form.Click(Ctl::btnQuit);
    EXPECT_TRUE(window.destroyed);
    EXPECT_EQ(tray.calls.size(), 2u);

    PosixWindow w;
    PosixTray t;
    TfrmBackup fresh(portsWith(w, t));
    w.answers = {MsgResult::Yes};
    fresh.Close();
    EXPECT_TRUE(w.destroyed);
    EXPECT_TRUE(t.calls.empty());
}

// --- Start-up with a saved schedule -----------------------------------------------

TEST_F(TrayTest, ASavedScheduleStartsInTheTray) {
    savedSchedule("");
    form.FormCreate(Ctl::frmBackup);
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_TRUE(window.timerEnabled());
    EXPECT_TRUE(inTray());
    // The first tick writes the status; activation leaves it alone.
    EXPECT_EQ(window.text(Ctl::pnTitle), "Initialisiere...");
    EXPECT_EQ(window.text(Ctl::mmo1), "");
}

TEST_F(TrayTest, AMissingSavedSourceKeepsTheWindowShown) {
    savedSchedule("P3A=1\r\nP3P=D:\\Weg\\\r\n[Status]\r\nLetzteVollstaendige=2026-11-27 09:00:00\r\n");
    const std::string before = iniText();
    form.FormCreate(Ctl::frmBackup);
    EXPECT_EQ(window.boxes, std::vector<Box>{error(
                                "Es wurde kein Pfad 3 für das Backup angewählt!\n\r\n\rKorrigeren Sie den Pfad 3.")});
    EXPECT_TRUE(window.shown());
    EXPECT_FALSE(window.minimized());
    EXPECT_FALSE(window.timerEnabled());
    EXPECT_TRUE(tray.calls.empty());
    // Not silent beyond the box; a week without a complete backup counts also now.
    const std::string off = "Timer nicht aktiviert: Der Ordner D:\\Weg\\ von Pfad 3 fehlt.";
    EXPECT_EQ(iniText(), before + "Gewarnt=2026-12-07\r\nSeit=2026-12-07 10:00:00\r\nAktiv=2026-12-07 10:00:00\r\n[Errors]\r\n07.12.2026=Seit 10 Tagen keine "
                                  "vollst\xE4ndige Sicherung, die letzte war am 27.11.2026 09:00\r\n");
    EXPECT_EQ(eventLog.events.front(), (PosixEventLog::Event{EventType::Error, 6, off}));
    // The balloon and the tooltip wait for the tray: the gravest first.
    form.ApplicationEvents1Minimize(Ctl::frmBackup);
    EXPECT_EQ(std::string(tray.calls.back().data.szInfo),
              off + " Seit 10 Tagen keine vollständige Sicherung. Die letzte war am 27.11.2026 09:00.");
    EXPECT_EQ(std::string(tray.icons.begin()->second.szTip), "ZELKOR Backup\nTimer nicht aktiviert.");
    // A ticked path without a folder, named as such.
    savedSchedule("P3A=1\r\n");
    TfrmBackup again{portsWith(window, tray)};
    again.FormCreate(Ctl::frmBackup);
    EXPECT_EQ(eventLog.events.back().text, "Timer nicht aktiviert: Für Pfad 3 ist kein Ordner angegeben.");
}

// Values from the future, before 2000 or below zero are damage: never shown,
// and never a reason to stay quiet. Without any complete backup the days
// count from when the program first kept the state.
TEST_F(TrayTest, DamagedStatusValuesAreNotTrusted) {
    savedSchedule("[Status]\r\nLetzte=2027-01-11 01:00:00\r\nErgebnis=vollst\xE4ndig\r\nZiel=-7\r\nFehlend=-3\r\n"
                  "LetzteVollstaendige=2027-01-11 01:00:00\r\nSeit=2026-11-27 09:00:00\r\n");
    form.FormCreate(Ctl::frmBackup);
    toTray();
    const std::string week = "Seit 10 Tagen keine vollständige Sicherung: Seit dem ersten Start des Programms am "
                             "27.11.2026 09:00 gab es noch keine";
    EXPECT_EQ(eventLog.events.back(), (PosixEventLog::Event{EventType::Warning, 5, week}));
    const TrayIconData& icon = tray.icons.begin()->second;
    EXPECT_EQ(icon.hIcon, tray.warningIcon());
    EXPECT_EQ(std::string(icon.szTip), "ZELKOR Backup\nSeit 10 Tagen keine vollständige Sicherung.\n"
                                       "Aktiviert. Für heute ist kein weiteres Backup vorgesehen...");
    const LocalDateTime now{2026, 12, 7, 10, 0, 0, 0};
    for (const char* bad : {"1999-12-31 23:00:00", "2026-12-08 10:00:01", "2026-12-07", ""})
        EXPECT_FALSE(trustedMoment(bad, now)) << bad;
    EXPECT_TRUE(trustedMoment("2026-12-08 10:00:00", now));
    for (const char* bad : {"-3", "abc", "3x", "", "9"}) EXPECT_FALSE(trustedCount(bad, 8)) << bad;
    EXPECT_EQ(trustedCount("08", 8), 8);
}

TEST_F(TrayTest, AnAbsentSavedTargetWarnsAndStillStartsInTheTray) {
    savedSchedule("TAR2=X:\\Sicherung\r\n");
    form.FormCreate(Ctl::frmBackup);
    EXPECT_EQ(window.boxes, std::vector<Box>{error("Das Ziellaufwerk X:\\Sicherung ist nicht bereit.")});
    EXPECT_TRUE(window.timerEnabled());
    EXPECT_TRUE(inTray());
}

}  // namespace
}  // namespace zb::test
