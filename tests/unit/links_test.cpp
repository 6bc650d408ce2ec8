// The shortcut and autostart buttons, the three launchers and the first start.
#include "form_fixture.h"
#include "core/shell/links.h"

namespace zb::test {
namespace {

using Calls = std::vector<std::string>;
const std::string kShellFolders = std::string(kExplorerKey) + "\\Shell Folders";
const std::string kClassId = ", ClassID: {00021401-0000-0000-C000-000000000046}";
const std::string kRefused = "Fehler beim Setzen der Daten für 'ZELKOR Backup'";
const std::string kDocs = "http://doku.zelkor.de/wiki/index.php/ZELKOR_Backup";

class LinksTest : public FormTest {
protected:
    LinksTest() { posix::folders().program = "C:\\Zelkor"; }

    std::optional<PosixRegistry::Value> runValue() const { return registry.value(kRunKey, "ZELKOR Backup"); }
    template <class F>
    static std::string raisedBy(F f) {
        try {
            f();
        } catch (const EZelkorError& e) {
            return e.what();
        }
        return "";
    }
    std::string raised(Ctl sender) {
        return raisedBy([&] { form.Click(sender); });
    }
    void expectAllReleased() const {
        EXPECT_EQ(shellLinks.liveObjects, 0);
        EXPECT_EQ(registry.openKeys, 0);
    }
};

TEST_F(LinksTest, DesktopShortcutSetsItsPropertiesInOrderAndConfirmsEachTime) {
    registry.put(kShellFolders, "Desktop", {REG_SZ_, "C:\\Users\\Anna\\Desktop"});
    const Calls once = {"CoCreateInstance", "QueryInterface", "SetPath C:\\Zelkor\\ZelkorBackup.exe",
                        "SetArguments ", "SetDescription ZELKOR Backup",
                        "SetWorkingDirectory " + appData() + "\\ZelkorBackup",
                        "Save C:\\Users\\Anna\\Desktop\\ZelkorBackup.lnk", "Release"};
    for (int i = 1; i <= 2; ++i) {
        shellLinks.calls.clear();
        form.Click(Ctl::btnAddDesktop);
        EXPECT_EQ(shellLinks.calls, once);
        EXPECT_EQ(window.boxes.size(), std::size_t(i));
    }
    EXPECT_EQ(window.boxes.back(), (Box{MsgKind::Information, MsgButtons::Ok, "Verknüpfung erzeugt."}));
    expectAllReleased();
}

TEST_F(LinksTest, WithoutADesktopValueTheShellsFolderServesAndAFailedSaveShowsNothing) {
    posix::folders().desktop = "D:\\Schreibtisch";
    form.Click(Ctl::btnAddDesktop);  // not even the Explorer key: it is created
    EXPECT_TRUE(registry.keyExists(kExplorerKey));
    EXPECT_EQ(shellLinks.calls.at(6), "Save D:\\Schreibtisch\\ZelkorBackup.lnk");

    window.boxes.clear();
    shellLinks.saveFails = true;
    form.Click(Ctl::btnAddDesktop);
    registry.put(kShellFolders, "Desktop", {REG_SZ_, ""});
    posix::folders().desktop = "";  // no desktop anywhere: nothing to save
    shellLinks.calls.clear();
    form.Click(Ctl::btnAddDesktop);
    EXPECT_EQ(shellLinks.calls.size(), 6u);
    EXPECT_EQ(shellLinks.calls.back(), "Release");
    EXPECT_TRUE(window.boxes.empty());
    expectAllReleased();
}

TEST_F(LinksTest, ShellLinkFailuresRaiseTheirTextsAndReleaseWhatWasTaken) {
    shellLinks.createResult = 0x80040154;
    shellLinks.messages[0x80040154] = "Klasse nicht registriert.\r\n";
    EXPECT_EQ(raised(Ctl::btnAddDesktop), "Klasse nicht registriert" + kClassId);
    shellLinks.messages.clear();
    EXPECT_EQ(raised(Ctl::btnAddDesktop), "OLE-Fehler 80040154" + kClassId);

    shellLinks.calls.clear();
    shellLinks.createResult = 0;
    shellLinks.lacksInterface = true;
    EXPECT_EQ(raised(Ctl::btnAddDesktop), "Interface nicht unterstützt");
    EXPECT_EQ(shellLinks.calls, (Calls{"CoCreateInstance", "QueryInterface", "Release"}));
    EXPECT_TRUE(window.boxes.empty());
    expectAllReleased();
}

TEST_F(LinksTest, AutostartEntryIsWrittenOnceAndQuotedOnlyWithABlank) {
    form.Click(Ctl::btnbtnAddIconInStartup);
    EXPECT_EQ(runValue(), (PosixRegistry::Value{REG_SZ_, "C:\\Zelkor\\ZelkorBackup.exe"}));
    posix::folders().program = "C:\\Program Files\\Zelkor\\";
    registry.put(kRunKey, "ZELKOR Backup", {REG_DWORD_, "\x01"});
    form.Click(Ctl::btnbtnAddIconInStartup);  // whatever is there stays
    EXPECT_EQ(runValue(), (PosixRegistry::Value{REG_DWORD_, "\x01"}));

    form.Click(Ctl::btnDeleteIconInStartup);
    EXPECT_FALSE(runValue());
    form.Click(Ctl::btnbtnAddIconInStartup);
    EXPECT_EQ(runValue()->data, "\"C:\\Program Files\\Zelkor\\ZelkorBackup.exe\"");
    EXPECT_TRUE(window.boxes.empty());
    expectAllReleased();
}

TEST_F(LinksTest, RefusedAutostartWriteRaisesItsTextAndDeletingStaysSilent) {
    registry.writeFails = true;
    EXPECT_EQ(raised(Ctl::btnbtnAddIconInStartup), kRefused);
    registry.openFails = true;
    EXPECT_EQ(raised(Ctl::btnbtnAddIconInStartup), kRefused);
    EXPECT_EQ(raised(Ctl::btnDeleteIconInStartup), "");

    registry = PosixRegistry{};
    form.Click(Ctl::btnDeleteIconInStartup);  // nothing to delete: no attempt
    EXPECT_EQ(registry.calls, (Calls{"open " + std::string(kRunKey), "exists ZELKOR Backup", "close"}));
    registry.put(kRunKey, "ZELKOR Backup", {REG_SZ_, "x"});
    registry.deleteFails = true;
    EXPECT_EQ(raised(Ctl::btnDeleteIconInStartup), "");
    EXPECT_TRUE(window.boxes.empty());
    expectAllReleased();
}

TEST_F(LinksTest, LaunchersHandTheirFileToTheShellAndOtherSendersMakeNoLink) {
    for (Ctl other : {Ctl::frmBackup, Ctl::btnOpenLocal, Ctl::btnStopTimer}) form.CreateSystemLinks(other);
    EXPECT_TRUE(registry.calls.empty() && shellLinks.calls.empty() && launcher.calls.empty());

    launcher.result = 2;  // file not found: nobody looks
    for (Ctl button : {Ctl::btnHelp, Ctl::btnSupport, Ctl::btnOpenLocal}) form.Click(button);
    using Call = PosixLauncher::Call;
    EXPECT_EQ(launcher.calls, (std::vector<Call>{{0x10ABC, "open", kDocs, "", "", 5},
                                                 {0x10ABC, "open", "C:\\Zelkor\\Fernwartung.exe", "", "", 5},
                                                 {0x10ABC, "open", settingsDir(), "", "", 5}}));
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(LinksTest, FirstStartAddsAutostartThenOpensTheDocumentationBeforeTheFolderExists) {
    std::optional<PosixRegistry::Value> runAtHelp;
    bool folderAtHelp = true;
    launcher.onExecute = [&](const PosixLauncher::Call&) {
        runAtHelp = runValue();
        folderAtHelp = std::filesystem::exists(host(settingsDir()));
    };
    form.FormCreate(Ctl::frmBackup);
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_EQ(launcher.calls[0].file, kDocs);
    EXPECT_EQ(runAtHelp, (PosixRegistry::Value{REG_SZ_, "C:\\Zelkor\\ZelkorBackup.exe"}));
    EXPECT_FALSE(folderAtHelp);
    EXPECT_TRUE(std::filesystem::is_directory(host(settingsDir())));
    EXPECT_TRUE(shellLinks.calls.empty());

    registry.calls.clear();
    form.FormCreate(Ctl::frmBackup);  // the folder is there now: no first start, only a look for the mark
    EXPECT_EQ(registry.calls, (Calls{"open Software", "query ZELKOR Backup AutostartWiederherstellen", "close"}));
    EXPECT_EQ(launcher.calls.size(), 1u);
}

// The uninstaller removed the entry and left its mark; the user had not.
TEST_F(LinksTest, AStartAfterAReinstallRestoresTheAutostartEntryOnlyWhenTheUninstallerLeftItsMark) {
    const std::string programKey = "Software\\ZELKOR Backup";
    const PosixRegistry::Value mark{REG_SZ_, "1"};
    posix::folders().program = "C:\\Program Files\\ZELKOR Backup";
    form.FormCreate(Ctl::frmBackup);
    form.Click(Ctl::btnDeleteIconInStartup);
    form.FormCreate(Ctl::frmBackup);  // removed by the user: stays removed
    EXPECT_FALSE(runValue());
    EXPECT_FALSE(registry.keyExists(programKey));

    writeIni("[Backup]\r\nP1P=D:\\Daten\r\n");
    registry.put(programKey, "AutostartWiederherstellen", mark);
    registry.writeFails = true;  // refused: the next start tries again
    EXPECT_EQ(raisedBy([&] { form.FormCreate(Ctl::frmBackup); }), kRefused);
    EXPECT_EQ(registry.value(programKey, "AutostartWiederherstellen"), mark);
    EXPECT_EQ(window.text(Ctl::edPfad1), "D:\\Daten");  // the settings were loaded before

    registry.writeFails = false;
    form.FormCreate(Ctl::frmBackup);
    EXPECT_EQ(runValue()->data, "\"C:\\Program Files\\ZELKOR Backup\\ZelkorBackup.exe\"");
    EXPECT_FALSE(registry.value(programKey, "AutostartWiederherstellen"));
    expectAllReleased();
}

TEST_F(LinksTest, RefusedAutostartWriteEndsTheFirstStartWithoutTheFolder) {
    registry.writeFails = true;
    EXPECT_EQ(raisedBy([&] { form.FormCreate(Ctl::frmBackup); }), kRefused);
    EXPECT_FALSE(std::filesystem::exists(host(settingsDir())));
    EXPECT_TRUE(launcher.calls.empty());
    EXPECT_EQ(window.text(Ctl::pnTitle), "Initialisiere...");
}

}  // namespace
}  // namespace zb::test
