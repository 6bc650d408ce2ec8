// Activating a schedule, the after-run options and the tray, in the real
// program under Wine.
#include <gtest/gtest.h>

#include <fstream>

#include <filesystem>

#include "driver.h"
#include "platform/ports.h"
#include "resources/texts.h"

namespace zb::e2e {
namespace {

// Answers the next box after checking what it says.
void expectBox(App& app, const std::string& caption, const std::string& text, const std::string& press) {
    auto box = app.waitMessageBox();
    ASSERT_TRUE(box) << text;
    EXPECT_EQ(box->caption, caption);
    EXPECT_EQ(box->text, text);
    app.answer(*box, press);
}

// Section Backup of the settings file; the start-up's mark of life in
// section Status is no setting.
std::string backupSection(const std::string& ini) {
    const auto from = ini.find("[Backup]\r\n");
    if (from == std::string::npos) return {};
    const auto to = ini.find("\r\n[", from);
    return ini.substr(from, to == std::string::npos ? std::string::npos : to + 2 - from);
}

class ActivationE2E : public ::testing::Test {
protected:
    Sandbox sb;
    std::string source = sb.makeFolder("Quelle");
};

TEST_F(ActivationE2E, NothingTickedShowsOnlyTheMissingDay) {
    App app(sb.appData());
    ASSERT_TRUE(app.waitMainVisible(true));
    app.clickAsync(Ctl::btnActive);
    expectBox(app, "Fehler", "Es wurde kein Tag für das Backup angewählt!\n\r\n\rAktivieren Sie mindestens einen Tag.",
              "OK");
    EXPECT_TRUE(app.noMessageBox());
    EXPECT_TRUE(app.mainVisible());
    EXPECT_EQ(backupSection(sb.readIni()), "");
}

TEST_F(ActivationE2E, AMissingPfad3StopsTheActivation) {
    App app(sb.appData());
    ASSERT_TRUE(app.waitMainVisible(true));
    app.click(Ctl::cbDi);
    app.click(Ctl::cbPfad1);
    app.click(Ctl::cbPfad3);
    EXPECT_TRUE(app.controlVisible(Ctl::edPfad3));
    app.setText(Ctl::edPfad1, source);
    app.setText(Ctl::edPfad3, sb.path() + "\\gibt-es-nicht");
    app.clickAsync(Ctl::btnActive);
    expectBox(app, "Fehler",
              "Es wurde kein Pfad 3 für das Backup angewählt!\n\r\n\rKorrigeren Sie den Pfad 3.", "OK");
    EXPECT_TRUE(app.noMessageBox());
    EXPECT_TRUE(app.mainVisible());
    EXPECT_EQ(backupSection(sb.readIni()), "");
}

TEST_F(ActivationE2E, TwoAbsentTargetsWarnThenSaveAndGoToTheTray) {
    App app(sb.appData());
    ASSERT_TRUE(app.waitMainVisible(true));
    app.click(Ctl::cbMo);
    app.click(Ctl::cbFr);
    app.click(Ctl::cbPfad1);
    app.setText(Ctl::edPfad1, source);
    app.setText(Ctl::edTarget1, "Q:\\");
    app.setText(Ctl::edTarget3, sb.path());
    app.setText(Ctl::edTarget5, "R:\\Sicherung");
    app.clickAsync(Ctl::btnActive);
    expectBox(app, "Fehler", "Das Ziellaufwerk Q:\\ ist nicht bereit.", "OK");
    expectBox(app, "Fehler", "Das Ziellaufwerk R:\\Sicherung ist nicht bereit.", "OK");
    ASSERT_TRUE(app.waitMainVisible(false));
    EXPECT_TRUE(app.running());
    const std::string expected = "[Backup]\r\nMon=1\r\nDie=0\r\nMit=0\r\nDon=0\r\nFre=1\r\nSam=0\r\nSon=0\r\n"
                                 "P1A=1\r\nP2A=0\r\nP3A=0\r\nP4A=0\r\nP5A=0\r\n"
                                 "P1P=" + toAnsi(source) + "\r\nP2P=\r\nP3P=\r\nP4P=\r\nP5P=\r\n"
                                 "TAR1=Q:\\\r\nTAR2=\r\nTAR3=" + toAnsi(sb.path()) + "\r\nTAR4=\r\n"
                                 "TAR5=R:\\Sicherung\r\nTAR6=\r\nTAR7=\r\nTAR8=\r\n"
                                 "ZEI=01:00:00\r\nUNM=0\r\nSHU=0\r\n";
    EXPECT_EQ(backupSection(sb.readIni()), expected);
}

TEST_F(ActivationE2E, SavedScheduleStartsInTheTrayAndTheMenuRestoresTheWindow) {
    sb.writeIni("[Backup]\r\nSam=1\r\nP1A=1\r\nP1P=" + toAnsi(source) + "\r\nZEI=01:00:30\r\n");
    App app(sb.appData());
    app.main();
    EXPECT_TRUE(app.noMessageBox(1s));
    EXPECT_FALSE(app.mainVisible());
    // Activation saved everything back, the start time with its seconds.
    EXPECT_NE(sb.readIni().find("ZEI=01:00:30\r\n"), std::string::npos);
    EXPECT_NE(sb.readIni().find("Mon=0\r\n"), std::string::npos);

    app.trayNotify(WM_RBUTTONDOWN_);
    HWND menu = app.waitPopupMenu();
    ASSERT_TRUE(menu);
    EXPECT_FALSE(app.mainVisible());
    app.screenshot(menu, "tray-menu");
    // Choose the first item, "Einstellungen", with the keyboard.
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(app.waitMainVisible(true));
    EXPECT_FALSE(IsIconic(app.main()));
    EXPECT_TRUE(app.checked(Ctl::cbSa));
    app.paintNow();
    app.screenshot(app.main(), "restored-from-tray");

    // Back to the tray by minimising, out again with the left button.
    PostMessageA(app.main(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(app.waitMainVisible(false));
    app.trayNotify(WM_LBUTTONDOWN_);
    ASSERT_TRUE(app.waitMainVisible(true));
}

TEST_F(ActivationE2E, StopTimerLeavesTheFileAlone) {
    sb.writeIni("[Backup]\r\nMon=1\r\nDie=1\r\nP1A=1\r\nP1P=" + toAnsi(source) + "\r\n");
    App app(sb.appData());
    app.main();
    ASSERT_TRUE(app.waitMainVisible(false));
    const std::string before = sb.readIni();
    app.command(Ctl::miShow);
    ASSERT_TRUE(app.waitMainVisible(true));
    app.click(Ctl::btnStopTimer);
    EXPECT_TRUE(app.waitText(Ctl::pnTitle, "Timer gestoppt"));
    // The moment of the stop, for the starts it lets pass, goes to the program's own file.
    EXPECT_EQ(sb.readIni(), before);
    std::ifstream own(sb.settingsDir() + "\\Zeitplan.ini");
    EXPECT_NE(std::string(std::istreambuf_iterator<char>(own), {}).find("Gestoppt="), std::string::npos);
    EXPECT_TRUE(app.mainVisible());
}

TEST_F(ActivationE2E, TheUnmountWarningWithBothAnswers) {
    App app(sb.appData());
    ASSERT_TRUE(app.waitMainVisible(true));
    app.clickAsync(Ctl::cbUnmountUSB);
    auto box = app.waitMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Warnung");
    EXPECT_EQ(box->text, txt::WarnUnmount);
    app.answer(*box, "&Ja");
    expectBox(app, "Bestätigen", "Die Option wurde nicht aktiviert!", "OK");
    EXPECT_FALSE(app.checked(Ctl::cbUnmountUSB));

    app.click(Ctl::cbSD);
    EXPECT_TRUE(app.checked(Ctl::cbSD));
    app.clickAsync(Ctl::cbUnmountUSB);
    expectBox(app, "Warnung", txt::WarnUnmount, "&Nein");
    expectBox(app, "Bestätigen", "Die Option \"PC herunterfahren\" wurde deaktiviert!", "OK");
    EXPECT_TRUE(app.checked(Ctl::cbUnmountUSB));
    EXPECT_FALSE(app.checked(Ctl::cbSD));
    EXPECT_FALSE(app.controlEnabled(Ctl::cbSD));
}

TEST_F(ActivationE2E, UnmountSavedAndTheAnswerJaAtStartUp) {
    sb.writeIni("[Backup]\r\nUNM=1\r\n");
    App app(sb.appData());
    expectBox(app, "Warnung", txt::WarnUnmount, "&Ja");
    expectBox(app, "Bestätigen", "Die Option wurde nicht aktiviert!", "OK");
    ASSERT_TRUE(app.waitMainVisible(true));
    EXPECT_FALSE(app.checked(Ctl::cbUnmountUSB));
    EXPECT_NE(sb.readIni().find("UNM=1"), std::string::npos);
}

}  // namespace
}  // namespace zb::e2e
