// Activating a schedule, and the small handlers of the settings controls.
#include "form_fixture.h"

namespace zb::test {
namespace {

const char* const kNoDay = "Es wurde kein Tag für das Backup angewählt!\n\r\n\rAktivieren Sie mindestens einen Tag.";
const char* const kNoPath =
    "Es wurde kein Pfad für das Backup angewählt!\n\r\n\rAktivieren Sie mindestens einen Pfad.";

std::string noPathN(int n) {
    const std::string k = std::to_string(n);
    return "Es wurde kein Pfad " + k + " für das Backup angewählt!\n\r\n\rKorrigeren Sie den Pfad " + k + ".";
}
std::string notReady(const std::string& target) { return "Das Ziellaufwerk " + target + " ist nicht bereit."; }

// Runs the test body in another current directory and goes back afterwards.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::filesystem::path& p) : old_(std::filesystem::current_path()) {
        std::filesystem::current_path(p);
    }
    ~CurrentDirectory() { std::filesystem::current_path(old_); }

private:
    std::filesystem::path old_;
};

class ActivationTest : public FormTest {
protected:
    // Drive D holds the source folders, drive E is a present target.
    ActivationTest() {
        mountDrive('D');
        mountDrive('E');
        std::filesystem::create_directories(host(dir.path()) / "drive-D" / "Daten" / "Sub");
    }

    std::filesystem::path mountDrive(char letter) {
        const auto root = host(dir.path()) / (std::string("drive-") + letter);
        std::filesystem::create_directories(root);
        posix::mapDrive(letter, root.string());
        return root;
    }
    void makeSettingsFolder() { std::filesystem::create_directories(host(settingsDir())); }

    // The smallest settings that pass every check.
    void passingSettings() {
        makeSettingsFolder();
        tick(Ctl::cbMo);
        tick(Ctl::cbPfad1);
        window.setText(Ctl::edPfad1, "D:\\Daten\\");
    }
    void activate() { form.Click(Ctl::btnActive); }
    bool inTray() const { return window.minimized() && !window.shown() && tray.icons.size() == 1; }
    bool untouched() const { return window.shown() && !window.minimized() && tray.calls.empty(); }

    // A click on a check box: the state flips, then its handler runs.
    void click(Ctl box) {
        window.setCheckedState(box, !window.checked(box));
        form.Click(box);
    }
};

// --- Order of the checks -------------------------------------------------

TEST_F(ActivationTest, NothingTickedShowsOnlyTheDayBox) {
    makeSettingsFolder();
    // A ticked source that is missing and an absent target would each give
    // a box of their own if they were looked at.
    tick(Ctl::cbPfad2);
    window.setText(Ctl::edTarget1, "X:\\");
    activate();
    EXPECT_EQ(window.boxes, std::vector<Box>{error(kNoDay)});
    EXPECT_TRUE(untouched());
    EXPECT_FALSE(window.timerEnabled());
    EXPECT_FALSE(std::filesystem::exists(host(iniPath())));
}

TEST_F(ActivationTest, ADayButNoSourceShowsOnlyThePathBox) {
    makeSettingsFolder();
    tick(Ctl::cbFr);
    window.setText(Ctl::edPfad2, "X:\\fehlt");  // not ticked: not looked at
    window.setText(Ctl::edTarget1, "X:\\");
    activate();
    EXPECT_EQ(window.boxes, std::vector<Box>{error(kNoPath)});
    EXPECT_TRUE(untouched());
    EXPECT_FALSE(std::filesystem::exists(host(iniPath())));
}

TEST_F(ActivationTest, TheFirstMissingSourceEndsTheChecks) {
    makeSettingsFolder();
    tick(Ctl::cbMo);
    tick(Ctl::cbPfad1);
    window.setText(Ctl::edPfad1, "D:\\Daten\\");
    tick(Ctl::cbPfad2);
    window.setText(Ctl::edPfad2, "D:\\Daten\\Sub");
    tick(Ctl::cbPfad3);  // empty field
    tick(Ctl::cbPfad4);
    window.setText(Ctl::edPfad4, "X:\\fehlt");
    window.setText(Ctl::edTarget1, "X:\\");
    activate();
    EXPECT_EQ(window.boxes, std::vector<Box>{error(noPathN(3))});
    EXPECT_TRUE(untouched());
    EXPECT_FALSE(std::filesystem::exists(host(iniPath())));
}

TEST_F(ActivationTest, OfTwoMissingSourcesOnlyTheFirstIsReported) {
    passingSettings();
    tick(Ctl::cbPfad2);
    window.setText(Ctl::edPfad2, "D:\\Nirgends\\");
    tick(Ctl::cbPfad4);
    window.setText(Ctl::edPfad4, "X:\\");
    activate();
    EXPECT_EQ(window.boxes, std::vector<Box>{error(noPathN(2))});
    EXPECT_TRUE(untouched());

    // Source 1 goes first.
    window.setText(Ctl::edPfad1, "");
    window.boxes.clear();
    activate();
    EXPECT_EQ(window.boxes, std::vector<Box>{error(noPathN(1))});
    EXPECT_TRUE(untouched());
}

TEST_F(ActivationTest, EverySourceHasItsOwnText) {
    passingSettings();
    for (int k = 1; k <= 5; ++k) {
        SCOPED_TRACE(k);
        for (int j = 1; j <= 5; ++j) window.setCheckedState(cbPfad(j), j == k);
        window.setText(edPfad(k), "X:\\fehlt\\");
        window.boxes.clear();
        activate();
        EXPECT_EQ(window.boxes, std::vector<Box>{error(noPathN(k))});
        EXPECT_TRUE(untouched());
        window.setText(edPfad(k), "D:\\Daten");
    }
    EXPECT_FALSE(std::filesystem::exists(host(iniPath())));
    // With every field named correctly the same settings pass.
    for (int k = 1; k <= 5; ++k) tick(cbPfad(k));
    window.boxes.clear();
    activate();
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_TRUE(inTray());
}

TEST_F(ActivationTest, AbsentTargetsWarnInOrderAndTheActivationGoesOn) {
    passingSettings();
    window.setText(Ctl::edTarget1, "X:\\");
    window.setText(Ctl::edTarget2, "E:\\");
    window.setText(Ctl::edTarget5, "Y:\\Sicherung");
    activate();
    EXPECT_EQ(window.boxes, (std::vector<Box>{error(notReady("X:\\")), error(notReady("Y:\\Sicherung"))}));
    EXPECT_NE(iniText().find("TAR5=Y:\\Sicherung\r\n"), std::string::npos);
    EXPECT_TRUE(window.timerEnabled());
    EXPECT_TRUE(inTray());
}

TEST_F(ActivationTest, EmptyTargetsAreSkippedSilently) {
    passingSettings();
    activate();
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_TRUE(window.timerEnabled());
    EXPECT_TRUE(inTray());
}

TEST_F(ActivationTest, FolderTextsAreTakenAsTheyStand) {
    passingSettings();
    // A drive named without its backslash is the drive's root; a trailing
    // backslash on a folder changes nothing.
    window.setText(Ctl::edTarget1, "E:");
    window.setText(Ctl::edTarget2, "D:\\Daten\\Sub\\");
    tick(Ctl::cbPfad2);
    window.setText(Ctl::edPfad2, "D:");
    activate();
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_TRUE(inTray());
    // The same drive once its medium is gone.
    posix::unmapDrive('E');
    window.boxes.clear();
    activate();
    EXPECT_EQ(window.boxes, std::vector<Box>{error(notReady("E:"))});
}

TEST_F(ActivationTest, AFileIsNoFolder) {
    passingSettings();
    std::ofstream(host(dir.path()) / "drive-D" / "Datei.txt") << "x";
    tick(Ctl::cbPfad2);
    window.setText(Ctl::edPfad2, "D:\\Datei.txt");
    activate();
    EXPECT_EQ(window.boxes, std::vector<Box>{error(noPathN(2))});
}

TEST_F(ActivationTest, PathsThatDependOnTheCurrentDirectoryDoNotExist) {
    // Each of these names an existing folder when read against the current
    // directory (or the current drive's root), which a run changes.
    const auto cwd = host(dir.path()) / "cwd";
    std::filesystem::create_directories(cwd / "Daten");
    posix::mapDrive('C', cwd.string());
    posix::mapDrive('F', cwd.string());
    CurrentDirectory inCwd(cwd);
    ASSERT_TRUE(std::filesystem::is_directory("Daten"));
    makeSettingsFolder();

    for (const std::string relative : {"Daten", "Daten\\", ".", "\\Daten", "F:Daten"}) {
        SCOPED_TRACE(relative);
        window.boxes.clear();
        window.setCheckedState(Ctl::cbMo, true);
        window.setCheckedState(Ctl::cbPfad1, true);
        window.setText(Ctl::edPfad1, relative);
        window.setText(Ctl::edTarget1, "");
        activate();
        EXPECT_EQ(window.boxes, std::vector<Box>{error(noPathN(1))});

        window.boxes.clear();
        window.setText(Ctl::edPfad1, "D:\\Daten\\");
        window.setText(Ctl::edTarget1, relative);
        activate();
        EXPECT_EQ(window.boxes, std::vector<Box>{error(notReady(relative))});
    }
}

// --- What is saved -----------------------------------------------------------

TEST_F(ActivationTest, SavesAll28ValuesInTheirOrder) {
    makeSettingsFolder();
    tick(Ctl::cbMo);
    tick(Ctl::cbMi);
    tick(Ctl::cbSa);
    tick(Ctl::cbPfad1);
    tick(Ctl::cbPfad3);
    window.setText(Ctl::edPfad1, "D:\\Daten\\");
    window.setText(Ctl::edPfad2, "D:\\Büro");  // not ticked: saved, not checked
    window.setText(Ctl::edPfad3, "D:\\Daten\\Sub");
    window.setText(Ctl::edTarget1, "E:\\");
    window.setText(Ctl::edTarget2, "E:");
    window.setTime(Ctl::dtpTarget, {22, 15, 5});
    tick(Ctl::cbSD);
    activate();
    ASSERT_TRUE(window.boxes.empty());
    EXPECT_EQ(iniText(),
              "[Backup]\r\nMon=1\r\nDie=0\r\nMit=1\r\nDon=0\r\nFre=0\r\nSam=1\r\nSon=0\r\n"
              "P1A=1\r\nP2A=0\r\nP3A=1\r\nP4A=0\r\nP5A=0\r\n"
              "P1P=D:\\Daten\\\r\nP2P=D:\\B\xFC"
              "ro\r\nP3P=D:\\Daten\\Sub\r\nP4P=\r\nP5P=\r\n"
              "TAR1=E:\\\r\nTAR2=E:\r\nTAR3=\r\nTAR4=\r\nTAR5=\r\nTAR6=\r\nTAR7=\r\nTAR8=\r\n"
              "ZEI=22:15:05\r\nUNM=0\r\nSHU=1\r\n"
              // The schedule in force from now: missed starts count from here.
              "[Status]\r\nAktiv=2026-12-07 10:00:00\r\n");
    EXPECT_EQ(iniText().find("redundanz"), std::string::npos);
}

TEST_F(ActivationTest, ASavedScheduleIsWrittenBackAsLoaded) {
    // Sunday has no box the user can reach; a file that sets it still counts.
    const std::string file =
        "[Backup]\r\nMon=0\r\nDie=0\r\nMit=0\r\nDon=0\r\nFre=0\r\nSam=0\r\nSon=1\r\n"
        "P1A=0\r\nP2A=1\r\nP3A=0\r\nP4A=0\r\nP5A=0\r\n"
        "P1P=\r\nP2P=D:\\Daten\r\nP3P=\r\nP4P=\r\nP5P=\r\n"
        "TAR1=E:\\\r\nTAR2=\r\nTAR3=\r\nTAR4=\r\nTAR5=\r\nTAR6=\r\nTAR7=\r\nTAR8=\r\n"
        "ZEI=01:00:30\r\nUNM=0\r\nSHU=0\r\nredundanz=3\r\n";
    writeIni(file);
    form.FormCreate(Ctl::frmBackup);
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_TRUE(window.checked(Ctl::cbSo));
    EXPECT_EQ(window.time(Ctl::dtpTarget), (TimeOfDay{1, 0, 30}));
    EXPECT_TRUE(window.timerEnabled());
    EXPECT_TRUE(inTray());
    EXPECT_EQ(iniText(), file + "[Status]\r\nAktiv=2026-12-07 10:00:00\r\nSeit=2026-12-07 10:00:00\r\n");
}

TEST_F(ActivationTest, TheStartTimeIsSavedInTheUsersFormat) {
    posix::localeSettings().longTimeFormat = "h:mm:ss tt";
    posix::localeSettings().am = "AM";
    posix::localeSettings().pm = "PM";
    passingSettings();
    window.setTime(Ctl::dtpTarget, {19, 8, 9});
    activate();
    EXPECT_NE(iniText().find("\r\nZEI=7:08:09 PM\r\n"), std::string::npos);
}

TEST_F(ActivationTest, AClearedSourceKeepsItsPathAndIsSavedAsOff) {
    passingSettings();
    form.setChecked(Ctl::cbPfad3, true);
    window.setText(Ctl::edPfad3, "D:\\Daten\\Sub\\");
    form.setChecked(Ctl::cbPfad3, false);
    EXPECT_FALSE(window.visible(Ctl::edPfad3));
    EXPECT_FALSE(window.visible(Ctl::btnFind3));
    EXPECT_EQ(window.text(Ctl::edPfad3), "D:\\Daten\\Sub\\");

    activate();
    EXPECT_NE(iniText().find("\r\nP3A=0\r\n"), std::string::npos);
    EXPECT_NE(iniText().find("\r\nP3P=D:\\Daten\\Sub\\\r\n"), std::string::npos);

    form.setChecked(Ctl::cbPfad3, true);
    EXPECT_TRUE(window.visible(Ctl::edPfad3));
    EXPECT_TRUE(window.visible(Ctl::btnFind3));
    EXPECT_EQ(window.text(Ctl::edPfad3), "D:\\Daten\\Sub\\");
}

TEST_F(ActivationTest, AnUnwritableFileEndsTheActivationBeforeTheTimer) {
    // The settings folder would have to be created below a file.
    writeBytes(dir.file("Datei"), "x");
    const std::string appData = dir.path() + "\\Datei\\AppData";
    setenv("APPDATA", appData.c_str(), 1);
    tick(Ctl::cbMo);
    tick(Ctl::cbPfad1);
    window.setText(Ctl::edPfad1, "D:\\Daten\\");
    try {
        activate();
        FAIL() << "no error";
    } catch (const EZelkorError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "In " + appData + "\\ZelkorBackup\\Backup.ini kann nicht geschrieben werden");
    }
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_FALSE(window.timerEnabled());
    EXPECT_EQ(window.timerStarts, 0);
    EXPECT_TRUE(untouched());
}

// --- The timer -----------------------------------------------------------------

TEST_F(ActivationTest, ARunningTimerIsNotRestarted) {
    passingSettings();
    window.setTimerEnabled(true);
    activate();
    EXPECT_TRUE(window.timerEnabled());
    EXPECT_EQ(window.timerStarts, 1);
    EXPECT_TRUE(inTray());
}

TEST_F(ActivationTest, AFailedCheckLeavesARunningTimerRunning) {
    passingSettings();
    activate();
    ASSERT_TRUE(window.timerEnabled());
    form.ApplicationEvents1Restore(Ctl::frmBackup);
    const std::string saved = iniText();

    tick(Ctl::cbPfad2);  // empty field
    window.setText(Ctl::edPfad1, "D:\\Daten\\Sub\\");
    activate();
    EXPECT_EQ(window.boxes, std::vector<Box>{error(noPathN(2))});
    EXPECT_TRUE(window.timerEnabled());
    EXPECT_EQ(window.timerStarts, 1);
    EXPECT_TRUE(window.shown());
    EXPECT_EQ(iniText(), saved);
    EXPECT_EQ(window.text(Ctl::edPfad1), "D:\\Daten\\Sub\\");  // the controls keep what was typed
}

TEST_F(ActivationTest, StopTimerStopsBeforeLettingMessagesIn) {
    passingSettings();
    activate();
    form.ApplicationEvents1Restore(Ctl::frmBackup);
    const std::string saved = iniText();
    const int pumped = window.processMessagesCalls;

    bool timerWhilePumping = true;
    std::string statusWhilePumping;
    window.onProcessMessages = [&] {
        timerWhilePumping = window.timerEnabled();
        statusWhilePumping = window.text(Ctl::pnTitle);
    };
    form.Click(Ctl::btnStopTimer);
    EXPECT_FALSE(window.timerEnabled());
    EXPECT_EQ(window.text(Ctl::pnTitle), "Timer gestoppt");
    EXPECT_EQ(window.processMessagesCalls, pumped + 1);
    EXPECT_FALSE(timerWhilePumping);
    EXPECT_EQ(statusWhilePumping, "Timer gestoppt");
    // The settings file stays as it is; the stop is the program's own note.
    EXPECT_EQ(iniText(), saved);
    EXPECT_EQ(readBytes(settingsDir() + "Zeitplan.ini"), "[Zeitplan]\r\nGestoppt=2026-12-07 10:00:00\r\n");
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_TRUE(window.shown());
}

TEST_F(ActivationTest, TheTimerGoingOnAndOffIsToldOnceEach) {
    passingSettings();
    tick(Ctl::cbFr);
    window.setTime(Ctl::dtpTarget, {19, 30, 0});
    for (Ctl c : {Ctl::btnActive, Ctl::btnActive, Ctl::btnStopTimer, Ctl::btnStopTimer}) form.Click(c);
    std::vector<PosixEventLog::Event> timer;
    for (const auto& e : eventLog.events)
        if (e.id == kEventTimerStopped || e.id == kEventTimerActivated) timer.push_back(e);
    EXPECT_EQ(timer, (std::vector<PosixEventLog::Event>{
                         {EventType::Information, 22, "Sicherung an diesen Wochentagen um 19:30 Uhr: Montag, Freitag"},
                         {EventType::Warning, 21, "Mit \"Timer stoppen\" gestoppt. Bis zum nächsten \"Aktivieren\" oder "
                                                  "Start des Programms wird nichts gesichert."}}));
}

// --- Source rows and the folder picker -----------------------------------------

TEST_F(ActivationTest, OnlyTheRowsOfTickedSourcesAreShown) {
    for (int mask = 0; mask < 32; ++mask) {
        SCOPED_TRACE(mask);
        for (int k = 1; k <= 5; ++k) window.setCheckedState(cbPfad(k), (mask >> (k - 1)) & 1);
        window.setVisible(Ctl::edPfad2, true);  // stray state from before is put right
        form.ActivatePfad(Ctl::cbPfad1);
        for (int k = 1; k <= 5; ++k) {
            const bool on = (mask >> (k - 1)) & 1;
            EXPECT_EQ(window.visible(edPfad(k)), on) << k;
            EXPECT_EQ(window.visible(btnFind(k)), on) << k;
        }
    }
}

TEST_F(ActivationTest, APickedSourceFolderGetsABackslashAndIsTicked) {
    window.pickedFolders = {"D:\\Daten"};
    form.Click(Ctl::btnFind2);
    EXPECT_EQ(window.text(Ctl::edPfad2), "D:\\Daten\\");
    EXPECT_TRUE(window.checked(Ctl::cbPfad2));
    EXPECT_TRUE(window.visible(Ctl::edPfad2));
    EXPECT_TRUE(window.visible(Ctl::btnFind2));
    EXPECT_FALSE(window.visible(Ctl::edPfad1));
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(ActivationTest, EveryFolderButtonFillsItsOwnField) {
    for (int k = 1; k <= 5; ++k) {
        window.pickedFolders = {"D:\\Quelle" + std::to_string(k)};
        form.Click(btnFind(k));
    }
    window.pickedFolders = {"E:\\"};
    form.Click(Ctl::btnFindTarget1);
    for (int n = 2; n <= 8; ++n) {
        window.pickedFolders = {"E:\\Ziel" + std::to_string(n) + "\\"};
        form.Click(btnFindTarget(n));
    }
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(window.text(edPfad(k)), "D:\\Quelle" + std::to_string(k) + "\\");
        EXPECT_TRUE(window.checked(cbPfad(k)));
    }
    // A drive root keeps its single backslash, as does a folder that has one.
    EXPECT_EQ(window.text(Ctl::edTarget1), "E:\\");
    for (int n = 2; n <= 8; ++n) EXPECT_EQ(window.text(edTarget(n)), "E:\\Ziel" + std::to_string(n) + "\\");
    EXPECT_TRUE(window.pickedFolders.empty());
}

TEST_F(ActivationTest, ACancelledPickerChangesNothing) {
    window.setText(Ctl::edPfad4, "D:\\Alt");
    window.setText(Ctl::edTarget3, "E:\\Alt");
    window.pickedFolders = {std::nullopt, std::nullopt};
    form.Click(Ctl::btnFind4);
    form.Click(Ctl::btnFindTarget3);
    EXPECT_EQ(window.text(Ctl::edPfad4), "D:\\Alt");
    EXPECT_FALSE(window.checked(Ctl::cbPfad4));
    EXPECT_FALSE(window.visible(Ctl::edPfad4));
    EXPECT_EQ(window.text(Ctl::edTarget3), "E:\\Alt");
    EXPECT_TRUE(window.boxes.empty());
}

// --- The two after-run options ---------------------------------------------------

TEST_F(ActivationTest, ShutdownClearsAndDisablesEject) {
    window.answers = {MsgResult::No};
    click(Ctl::cbUnmountUSB);
    ASSERT_TRUE(window.checked(Ctl::cbUnmountUSB));
    window.boxes.clear();

    click(Ctl::cbSD);
    EXPECT_TRUE(window.checked(Ctl::cbSD));
    EXPECT_FALSE(window.checked(Ctl::cbUnmountUSB));
    EXPECT_FALSE(window.enabled(Ctl::cbUnmountUSB));
    EXPECT_TRUE(window.enabled(Ctl::cbSD));
    EXPECT_EQ(window.boxes, std::vector<Box>{info("Die Option \"Laufwerk trennen\" wurde deaktiviert!")});

    window.boxes.clear();
    click(Ctl::cbSD);
    EXPECT_FALSE(window.checked(Ctl::cbSD));
    EXPECT_FALSE(window.checked(Ctl::cbUnmountUSB));
    EXPECT_TRUE(window.enabled(Ctl::cbUnmountUSB));
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(ActivationTest, ShutdownAloneAsksNothing) {
    click(Ctl::cbSD);
    EXPECT_TRUE(window.checked(Ctl::cbSD));
    EXPECT_TRUE(window.enabled(Ctl::cbUnmountUSB));
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(ActivationTest, EjectIsKeptOnlyOnNein) {
    window.answers = {MsgResult::No};
    click(Ctl::cbUnmountUSB);
    EXPECT_EQ(window.boxes, std::vector<Box>{warning(
                                "ACHTUNG!\r\n\r\nDie Option darf niemals eingeschaltet werden, wenn nicht alle "
                                "Sicherungspfade auf\r\nexterne USB-Datenträger zeigen! \r\n\r\nES DROHEN "
                                "DATENVERLUST ODER BESCHÄDIGUNG!\r\n\r\nSoll die Option deaktiviert bleiben?")});
    EXPECT_TRUE(window.checked(Ctl::cbUnmountUSB));
    EXPECT_FALSE(window.checked(Ctl::cbSD));
    EXPECT_TRUE(window.enabled(Ctl::cbSD));

    // Clearing it again asks nothing.
    window.boxes.clear();
    click(Ctl::cbUnmountUSB);
    EXPECT_FALSE(window.checked(Ctl::cbUnmountUSB));
    EXPECT_TRUE(window.enabled(Ctl::cbSD));
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(ActivationTest, EjectOnNeinClearsAndDisablesShutdown) {
    click(Ctl::cbSD);
    window.answers = {MsgResult::No};
    click(Ctl::cbUnmountUSB);
    EXPECT_EQ(window.boxes, (std::vector<Box>{warning(txt::WarnUnmount),
                                              info("Die Option \"PC herunterfahren\" wurde deaktiviert!")}));
    EXPECT_TRUE(window.checked(Ctl::cbUnmountUSB));
    EXPECT_TRUE(window.enabled(Ctl::cbUnmountUSB));
    EXPECT_FALSE(window.checked(Ctl::cbSD));
    EXPECT_FALSE(window.enabled(Ctl::cbSD));

    window.boxes.clear();
    click(Ctl::cbUnmountUSB);
    EXPECT_TRUE(window.enabled(Ctl::cbSD));
    EXPECT_FALSE(window.checked(Ctl::cbSD));
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(ActivationTest, EveryOtherAnswerLeavesEjectOff) {
    for (MsgResult answer : {MsgResult::Yes, MsgResult::None}) {
        for (bool shutdown : {false, true}) {
            SCOPED_TRACE(testing::Message() << int(answer) << " shutdown " << shutdown);
            window.setCheckedState(Ctl::cbSD, shutdown);
            window.setEnabled(Ctl::cbSD, true);
            window.setCheckedState(Ctl::cbUnmountUSB, false);
            window.boxes.clear();
            window.answers = {answer};
            click(Ctl::cbUnmountUSB);
            EXPECT_EQ(window.boxes, (std::vector<Box>{warning(txt::WarnUnmount),
                                                      info("Die Option wurde nicht aktiviert!")}));
            EXPECT_FALSE(window.checked(Ctl::cbUnmountUSB));
            EXPECT_TRUE(window.enabled(Ctl::cbUnmountUSB));
            EXPECT_EQ(window.checked(Ctl::cbSD), shutdown);
            EXPECT_TRUE(window.enabled(Ctl::cbSD));
        }
    }
}

// --- Resetting the rotation ------------------------------------------------------

TEST_F(ActivationTest, ResetRotationWritesOnlyRedundanz) {
    writeIni("[Backup]\r\nMon=1\r\nredundanz=3\r\nTAR1=E:\\\r\n[Errors]\r\nx=y\r\n");
    form.Click(Ctl::btnResetRed);
    EXPECT_EQ(iniText(), "[Backup]\r\nMon=1\r\nredundanz=1\r\nTAR1=E:\\\r\n[Errors]\r\nx=y\r\n");
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(window.text(Ctl::pnTitle), "Einstellungen");
    EXPECT_FALSE(window.timerEnabled());
    EXPECT_TRUE(untouched());
}

TEST_F(ActivationTest, ResetRotationStartsAFileOfItsOwn) {
    makeSettingsFolder();
    form.Click(Ctl::btnResetRed);
    EXPECT_EQ(iniText(), "[Backup]\r\nredundanz=1\r\n");
}

TEST_F(ActivationTest, ResetRotationReportsAnUnwritableFile) {
    writeBytes(dir.file("Datei"), "x");
    const std::string appData = dir.path() + "\\Datei\\AppData\\";  // a backslash already there
    setenv("APPDATA", appData.c_str(), 1);
    window.setTimerEnabled(true);
    try {
        form.Click(Ctl::btnResetRed);
        FAIL() << "no error";
    } catch (const EZelkorError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "In " + appData + "ZelkorBackup\\Backup.ini kann nicht geschrieben werden");
    }
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_TRUE(window.timerEnabled());
    EXPECT_EQ(window.text(Ctl::pnTitle), "Einstellungen");
    EXPECT_TRUE(untouched());
}

}  // namespace
}  // namespace zb::test
