// Start-up, loading the settings file, and the end of the program.
#include <tuple>

#include "form_fixture.h"

namespace zb::test {
namespace {

class StartupTest : public FormTest {};

TEST_F(StartupTest, FirstStartCreatesTheFolderAndShowsDefaults) {
    ASSERT_FALSE(std::filesystem::exists(host(settingsDir())));
    form.FormCreate(Ctl::frmBackup);

    EXPECT_TRUE(std::filesystem::is_directory(host(settingsDir())));
    // Only the mark of life, and since when the state of the backups is kept.
    EXPECT_EQ(iniText(), "[Status]\r\nSeit=2026-12-07 10:00:00\r\nAktiv=2026-12-07 10:00:00\r\n");
    EXPECT_EQ(window.text(Ctl::pnTitle), "Initialisiere...");
    EXPECT_EQ(window.processMessagesCalls, 1);
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_FALSE(window.timerEnabled());
    EXPECT_TRUE(window.shown());
    for (int d = 1; d <= 7; ++d) EXPECT_FALSE(window.checked(weekdayBox(d)));
    for (int k = 1; k <= 5; ++k) {
        EXPECT_FALSE(window.checked(cbPfad(k)));
        EXPECT_FALSE(window.visible(edPfad(k)));
        EXPECT_EQ(window.text(edPfad(k)), "");
    }
    for (int n = 1; n <= 8; ++n) EXPECT_EQ(window.text(edTarget(n)), "");
    EXPECT_EQ(window.time(Ctl::dtpTarget), (TimeOfDay{1, 0, 0}));
    EXPECT_FALSE(window.checked(Ctl::cbSD));
    EXPECT_FALSE(window.checked(Ctl::cbUnmountUSB));
    EXPECT_TRUE(tray.calls.empty());
}

TEST_F(StartupTest, LoadsEveryValueIntoItsControl) {
    // The file holds code page 1252, as the ANSI functions write it.
    writeIni("[Backup]\r\nMon=0\r\nDie=0\r\nMit=0\r\nDon=0\r\nFre=0\r\nSam=0\r\nSon=0\r\n"
             "P1A=1\r\nP2A=0\r\nP3A=1\r\nP4A=0\r\nP5A=0\r\n"
             "P1P=C:\\Daten\\\r\nP2P=D:\\Versteckt\r\nP3P=\\\\server\\freigabe\r\nP4P=\r\nP5P=X:\\B\xFCro\r\n"
             "TAR1=E:\\\r\nTAR2=F:\r\nTAR3=G:\\Sicherung\r\nTAR8=Z:\\\r\n"
             "ZEI=22:15:30\r\nUNM=0\r\nSHU=1\r\nredundanz=3\r\n");
    form.FormCreate(Ctl::frmBackup);

    EXPECT_TRUE(window.checked(Ctl::cbPfad1));
    EXPECT_FALSE(window.checked(Ctl::cbPfad2));
    EXPECT_TRUE(window.checked(Ctl::cbPfad3));
    // Loading a ticked source runs ActivatePfad: only ticked rows are shown.
    EXPECT_TRUE(window.visible(Ctl::edPfad1) && window.visible(Ctl::btnFind1));
    EXPECT_FALSE(window.visible(Ctl::edPfad2) || window.visible(Ctl::btnFind2));
    EXPECT_TRUE(window.visible(Ctl::edPfad3) && window.visible(Ctl::btnFind3));
    EXPECT_EQ(window.text(Ctl::edPfad1), "C:\\Daten\\");
    EXPECT_EQ(window.text(Ctl::edPfad2), "D:\\Versteckt");  // kept in its hidden field
    EXPECT_EQ(window.text(Ctl::edPfad3), "\\\\server\\freigabe");
    EXPECT_EQ(window.text(Ctl::edPfad5), "X:\\Büro");
    EXPECT_EQ(window.text(Ctl::edTarget1), "E:\\");
    EXPECT_EQ(window.text(Ctl::edTarget2), "F:");
    EXPECT_EQ(window.text(Ctl::edTarget3), "G:\\Sicherung");
    EXPECT_EQ(window.text(Ctl::edTarget4), "");
    EXPECT_EQ(window.text(Ctl::edTarget8), "Z:\\");
    EXPECT_EQ(window.time(Ctl::dtpTarget), (TimeOfDay{22, 15, 30}));
    EXPECT_TRUE(window.checked(Ctl::cbSD));
    EXPECT_FALSE(window.checked(Ctl::cbUnmountUSB));
    EXPECT_TRUE(window.enabled(Ctl::cbUnmountUSB));
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_TRUE(window.shown());  // no weekday: no activation
    EXPECT_FALSE(window.timerEnabled());
}

TEST_F(StartupTest, FlagsReadAsIntegers) {
    writeIni("[Backup]\nMon=true\nDie=ja\nMit=2\nDon=-1\nFre=0x1\nSam= 0\nP1A=$0\nP2A=1 \n");
    // Weekdays are ticked, so activation runs and stops at the missing path.
    form.FormCreate(Ctl::frmBackup);
    EXPECT_FALSE(window.checked(Ctl::cbMo));
    EXPECT_FALSE(window.checked(Ctl::cbDi));
    EXPECT_TRUE(window.checked(Ctl::cbMi));
    EXPECT_TRUE(window.checked(Ctl::cbDo));
    EXPECT_TRUE(window.checked(Ctl::cbFr));
    EXPECT_FALSE(window.checked(Ctl::cbSa));
    EXPECT_FALSE(window.checked(Ctl::cbPfad1));
    EXPECT_TRUE(window.checked(Ctl::cbPfad2));  // the profile functions drop trailing blanks
}

TEST_F(StartupTest, AValueIsSeenCutTo2047Characters) {
    writeIni("[Backup]\nTAR1=" + std::string(5000, 'x') + "\n");
    form.FormCreate(Ctl::frmBackup);
    EXPECT_EQ(window.text(Ctl::edTarget1), std::string(2047, 'x'));
}

TEST_F(StartupTest, GarbledFilesLoadWithTheRules) {
    const std::string garbage[] = {
        "",
        "\x00\x01\x02\xff\xfe garbage \x80\x81",
        "[Backup\nMon=1",
        "Mon=1\nP1A=1\n",  // keys before any section belong to none
        "[Backup]\nMon\nP1A\n=1\n",
        "[Backup]\nZEI=01:00:00\n[Backup]\nMon=1\n",  // only the first section counts
        "[Backup]\r\nMon=0\r\nMon=1\r\n",             // only the first key counts
    };
    for (const std::string& content : garbage) {
        PosixWindow w;
        PosixTray t;
        TfrmBackup f(portsWith(w, t));
        writeIni(content);
        EXPECT_NO_THROW(f.FormCreate(Ctl::frmBackup)) << content;
        EXPECT_FALSE(w.checked(Ctl::cbMo)) << content;
        EXPECT_FALSE(w.checked(Ctl::cbPfad1)) << content;
        EXPECT_EQ(w.time(Ctl::dtpTarget), (TimeOfDay{1, 0, 0})) << content;
        EXPECT_TRUE(w.boxes.empty()) << content;
    }
}

TEST_F(StartupTest, AStartTimeThatIsNoTimeEndsLoadingThere) {
    writeIni("[Backup]\nMon=1\nP1A=1\nTAR1=E:\\\nZEI=abc\nSHU=1\nUNM=1\n");
    try {
        form.FormCreate(Ctl::frmBackup);
        FAIL() << "no error";
    } catch (const EZelkorError& e) {
        EXPECT_STREQ(e.what(), "'abc' ist keine gültige Uhrzeit");
    }
    EXPECT_TRUE(window.checked(Ctl::cbMo));
    EXPECT_EQ(window.text(Ctl::edTarget1), "E:\\");
    EXPECT_EQ(window.time(Ctl::dtpTarget), (TimeOfDay{0, 0, 0}));
    EXPECT_FALSE(window.checked(Ctl::cbSD));
    EXPECT_FALSE(window.checked(Ctl::cbUnmountUSB));
    EXPECT_TRUE(window.boxes.empty());  // no activation, no warning
    EXPECT_FALSE(window.timerEnabled());
}

TEST_F(StartupTest, AnEmptyStartTimeIsNoTime) {
    writeIni("[Backup]\nZEI=\n");
    EXPECT_THROW(
        {
            try {
                form.FormCreate(Ctl::frmBackup);
            } catch (const EZelkorError& e) {
                EXPECT_STREQ(e.what(), "'' ist keine gültige Uhrzeit");
                throw;
            }
        },
        EZelkorError);
}

TEST_F(StartupTest, StartTimeInAnotherSystemsFormat) {
    posix::localeSettings().longTimeFormat = "h:mm:ss tt";
    posix::localeSettings().am = "AM";
    posix::localeSettings().pm = "PM";
    writeIni("[Backup]\nZEI=7:08:09 PM\n");
    form.FormCreate(Ctl::frmBackup);
    EXPECT_EQ(window.time(Ctl::dtpTarget), (TimeOfDay{19, 8, 9}));
}

TEST_F(StartupTest, WithoutAppDataTheFolderIsOnTheCurrentDrive) {
    unsetenv("APPDATA");
    posix::mapDrive('C', dir.path());
    form.FormCreate(Ctl::frmBackup);
    EXPECT_TRUE(std::filesystem::is_directory(host(dir.path()) / "ZelkorBackup"));
    EXPECT_EQ(settingsFilePath(*system), "\\ZelkorBackup\\Backup.ini");
}

TEST_F(StartupTest, UnmountSavedAsSetWarnsBeforeTheWindow) {
    writeIni("[Backup]\nUNM=1\nSHU=1\n");
    window.answers = {MsgResult::No};
    form.FormCreate(Ctl::frmBackup);
    // SHU loads first without effect; UNM then asks, and "&Nein" keeps it,
    // clearing and disabling the shutdown option.
    ASSERT_EQ(window.boxes.size(), 2u);
    EXPECT_EQ(window.boxes[0], warning(txt::WarnUnmount));
    EXPECT_EQ(window.boxes[1], info("Die Option \"PC herunterfahren\" wurde deaktiviert!"));
    EXPECT_TRUE(window.checked(Ctl::cbUnmountUSB));
    EXPECT_FALSE(window.checked(Ctl::cbSD));
    EXPECT_FALSE(window.enabled(Ctl::cbSD));
    // The file keeps its values until the next activation.
    EXPECT_NE(iniText().find("SHU=1"), std::string::npos);
}

TEST_F(StartupTest, UnmountSavedAsSetAndTheAnswerJa) {
    writeIni("[Backup]\nUNM=1\n");
    window.answers = {MsgResult::Yes};
    form.FormCreate(Ctl::frmBackup);
    ASSERT_EQ(window.boxes.size(), 2u);
    EXPECT_EQ(window.boxes[0].text.substr(0, 8), "ACHTUNG!");
    EXPECT_EQ(window.boxes[1], info("Die Option wurde nicht aktiviert!"));
    EXPECT_FALSE(window.checked(Ctl::cbUnmountUSB));
    EXPECT_TRUE(window.enabled(Ctl::cbSD));
}

TEST_F(StartupTest, EndAsksAndOnlyJaCloses) {
    form.FormCreate(Ctl::frmBackup);
    for (MsgResult answer : {MsgResult::No, MsgResult::None}) {
        window.answers = {answer};
        form.Click(Ctl::btnQuit);
        EXPECT_FALSE(window.destroyed);
    }
    window.answers = {MsgResult::Yes};
    form.Click(Ctl::Beenden1);
    EXPECT_TRUE(window.destroyed);
    ASSERT_EQ(window.boxes.size(), 3u);
    for (const auto& b : window.boxes) {
        EXPECT_EQ(b.kind, MsgKind::Confirmation);
        EXPECT_EQ(b.buttons, MsgButtons::YesNo);
        EXPECT_EQ(b.text,
                  "Die Anwendung wird beendet!\n\r\n\r- Es wird kein Backup durchgeführt.\n\r- Wenn Sie das Backup "
                  "aktivieren wollen, nutzen Sie die Taste \"Aktivieren\".\n\r\n\rMöchten Sie die Anwendung "
                  "wirklich beenden?");
    }
}

TEST_F(StartupTest, EndOfSessionNeverAsksAndStaysGranted) {
    form.FormCreate(Ctl::frmBackup);
    EXPECT_TRUE(form.WMQueryEndSession());
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_TRUE(form.endSessionPending());
    // The end of Windows was called off by another program: "&Ende" still
    // closes without the question.
    form.EndBackup(Ctl::btnQuit);
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_TRUE(window.destroyed);
}

// Who asks and the two flags, as the end of Windows, the user and an update see them.
TEST(CloseRule, ByRequestAndState) {
    using R = CloseRequest;
    using A = CloseAnswer;
    const std::tuple<R, bool, bool, A> rows[] = {
        {R::User, false, false, A::Ask},         {R::User, false, true, A::Refuse},  {R::User, true, true, A::Close},
        {R::EndOfWindows, false, true, A::Close}, {R::Update, false, false, A::Close}, {R::Update, false, true, A::Refuse},
        {R::Update, true, true, A::Close},
    };
    for (const auto& [request, pending, running, answer] : rows)
        EXPECT_EQ(closeAnswer(request, pending, running), answer) << int(request) << pending << running;
}

TEST_F(StartupTest, AnUpdateClosesWithoutTheQuestionAndEachEndNamesItsCause) {
    const auto ended = [](const PosixEventLog& log, const std::string& cause) {
        return log.events.back() == PosixEventLog::Event{EventType::Information, 20, cause};
    };
    form.FormCreate(Ctl::frmBackup);
    EXPECT_TRUE(form.WMQueryEndSession(true));
    EXPECT_FALSE(form.WMEndSession(false, true));  // called off: nothing is left of it
    EXPECT_TRUE(form.WMQueryEndSession(true) && !form.endSessionPending());
    EXPECT_TRUE(form.WMEndSession(true, true));
    EXPECT_TRUE(window.boxes.empty() && ended(eventLog, "Für eine Aktualisierung beendet. Windows startet das Programm danach wieder."));
    window.answers = {MsgResult::Yes};
    form.Click(Ctl::btnQuit);
    EXPECT_TRUE(ended(eventLog, "Vom Benutzer beendet. Bis zum nächsten Start des Programms wird nichts gesichert."));
    // An installer asked first and then Windows ends: the end of Windows it is.
    EXPECT_TRUE(form.WMQueryEndSession(true) && form.WMQueryEndSession());
    EXPECT_TRUE(form.WMEndSession(true, true));
    EXPECT_TRUE(ended(eventLog, "Beendet, weil der Benutzer sich abmeldet oder Windows herunterfährt."));
}

}  // namespace
}  // namespace zb::test
