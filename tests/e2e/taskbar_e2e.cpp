// The taskbar entry, the tray menu and the log pane of the real program
// under Wine.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "driver.h"
#include "platform/ports.h"

namespace zb::e2e {
namespace {

TEST(TaskbarE2E, EveryMinimiseEndsInTheTrayAndTheIconBringsTheWindowBack) {
    Sandbox sb;
    App app(sb.appData());
    ASSERT_TRUE(app.waitMainVisible(true));
    const HWND entry = app.applicationWindow();
    ASSERT_TRUE(entry);
    EXPECT_EQ(app.taskbarEntries(), std::vector<HWND>{entry});
    char caption[64] = {};
    GetWindowTextA(entry, caption, sizeof caption);
    EXPECT_STREQ(caption, "ZELKOR Backup");
    // Without the minimise box the taskbar does not offer to minimise.
    EXPECT_TRUE(GetWindowLongA(entry, GWL_STYLE) & WS_MINIMIZEBOX);

    const std::pair<const char*, std::function<void()>> roads[] = {
        {"click on the active entry, its menu", [&] { PostMessageA(entry, WM_SYSCOMMAND, SC_MINIMIZE, 0); }},
        {"Windows+M, show desktop", [&] { ShowWindowAsync(entry, SW_SHOWMINNOACTIVE); }},
        {"the main window minimised by anyone", [&] { ShowWindowAsync(app.main(), SW_MINIMIZE); }},
    };
    for (const auto& [road, minimise] : roads) {
        SCOPED_TRACE(road);
        minimise();
        ASSERT_TRUE(app.waitMainVisible(false));
        EXPECT_TRUE(waitFor([&] { return app.trayIconPresent(); }, 5s));
        EXPECT_TRUE(app.taskbarEntries().empty());
        app.trayNotify(WM_LBUTTONDOWN_);
        ASSERT_TRUE(app.waitMainVisible(true));
        EXPECT_FALSE(IsIconic(app.main()));
        EXPECT_FALSE(app.trayIconPresent());
        EXPECT_EQ(app.taskbarEntries(), std::vector<HWND>{entry});
    }
    // A restore of the entry, whoever sends it, brings the window back too.
    PostMessageA(entry, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(app.waitMainVisible(false));
    PostMessageA(entry, WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_TRUE(app.waitMainVisible(true));
    EXPECT_FALSE(app.trayIconPresent());
    EXPECT_EQ(app.taskbarEntries(), std::vector<HWND>{entry});
    EXPECT_TRUE(app.running());
}

// During a run no minimise leaves the window: in the tray, its menu could
// start a second run inside the first.
TEST(TaskbarE2E, ARunKeepsItsWindowAgainstEveryMinimise) {
    Sandbox sb;
    const std::string source = sb.makeFolder("Quelle"), target = sb.makeFolder("Ziel");
    sb.writeIni("[Backup]\r\nP1A=1\r\nP1P=" + toAnsi(source) + "\r\nTAR1=" + toAnsi(target) + "\r\n");
    App app(sb.appData());
    ASSERT_TRUE(app.waitMainVisible(true));
    const HWND entry = app.applicationWindow();
    app.command(Ctl::miExecNow);
    ASSERT_TRUE(app.waitText(Ctl::pnTitle, "Backup läuft... Bitte warten", 2s));
    for (const auto& minimise : {std::function<void()>([&] { PostMessageA(entry, WM_SYSCOMMAND, SC_MINIMIZE, 0); }),
                                 std::function<void()>([&] { ShowWindowAsync(entry, SW_SHOWMINNOACTIVE); }),
                                 std::function<void()>([&] { ShowWindowAsync(app.main(), SW_MINIMIZE); })}) {
        minimise();
        Sleep(300);
        EXPECT_TRUE(app.waitMainVisible(true, 2s));
        EXPECT_FALSE(app.trayIconPresent());
        EXPECT_FALSE(app.controlEnabled(Ctl::btnQuit));
    }
    // A later start gets its answer from within the run; the window stays.
    App second(sb.appData());
    ASSERT_TRUE(second.waitExit(5s));
    EXPECT_EQ(second.exitCode(), 0u);
    EXPECT_TRUE(app.waitMainVisible(true, 2s));
    EXPECT_FALSE(app.trayIconPresent());
    EXPECT_EQ(app.text(Ctl::pnTitle), "Backup läuft... Bitte warten");
    app.command(Ctl::miExecNow);  // a second run, had the menu been reachable
    ASSERT_TRUE(app.waitMainVisible(false, 30s));
    const std::string ini = sb.readIni();
    // One run, one report: in the error log and among the run's kept reports.
    EXPECT_EQ(sb.iniValue("Protokoll", "Anzahl"), "1") << ini;
    EXPECT_EQ(ini.find("nicht gel", ini.find("nicht gel") + 1), ini.rfind("nicht gel")) << ini;
    EXPECT_TRUE(app.controlEnabled(Ctl::btnQuit));
}

TEST(TaskbarE2E, TheTrayMenuTakesTheForegroundAndItsChoiceReachesTheHandler) {
    Sandbox sb;
    const std::string source = sb.makeFolder("Quelle");
    sb.writeIni("[Backup]\r\nMon=1\r\nP1A=1\r\nP1P=" + toAnsi(source) + "\r\n");
    App app(sb.appData());
    app.main();
    ASSERT_TRUE(app.waitMainVisible(false));
    app.trayNotify(WM_RBUTTONDOWN_);
    HWND menu = app.waitPopupMenu();
    ASSERT_TRUE(menu);
    EXPECT_EQ(GetForegroundWindow(), app.main());
    EXPECT_FALSE(app.mainVisible());
    // The last item, "Beenden", asks before the program ends.
    PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    auto box = app.waitMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Bestätigen");
    app.answer(*box, "&Nein");
    EXPECT_TRUE(app.running());
    EXPECT_FALSE(app.mainVisible());
    EXPECT_TRUE(app.trayIconPresent());
}

TEST(TaskbarE2E, TheLogPaneKeepsThousandsOfLines) {
    Sandbox sb;
    App app(sb.appData());
    ASSERT_TRUE(app.waitMainVisible(true));
    // 3000 lines, several times the edit control's default limit, ten at a
    // time to keep the test short.
    std::string all;
    for (int i = 0; i < 300; ++i) {
        std::string lines;
        for (int j = 1; j <= 10; ++j)
            lines += "07.12.2026 12:00:00 Pfad " + std::to_string(j % 5 + 1) + " nicht kopiert, Zeile " +
                     std::to_string(i * 10 + j) + "\r\n";
        app.appendText(Ctl::mmo1, lines);
        all += lines;
    }
    const std::string pane = app.fullText(Ctl::mmo1);
    EXPECT_EQ(pane.size(), all.size());
    EXPECT_TRUE(pane == all);
}

}  // namespace
}  // namespace zb::e2e
