// The administrator's preset for each user's first start, and the logon step
// that makes a new user's program start.
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "form_fixture.h"
#include "core/preset.h"
#include "core/shell/links.h"

namespace zb::test {
namespace {

TEST(PresetRule, TakesTheKeysWhoseValuesTheProgramWouldReadAsWritten) {
    struct Case {
        std::map<std::string, std::string> preset;
        std::vector<std::pair<std::string, std::string>> take;
        std::vector<std::string> refused;
    };
    const std::string longPath = "C:\\" + std::string(2044, 'x');
    const std::vector<Case> cases = {
        {{}, {}, {}},
        {{{"Mon", "1"}, {"Fre", "0x1"}, {"Sam", "0"}, {"P1A", "-1"}, {"P1P", "C:\\Users\\Public"}, {"TAR1", "E:\\"}},
         {{"Mon", "1"}, {"Fre", "1"}, {"Sam", "0"}, {"P1A", "1"}, {"P1P", "C:\\Users\\Public"}, {"TAR1", "E:\\"}},
         {}},
        // Read as clear by the program, though the administrator meant set.
        {{{"Mon", "ja"}, {"Die", "true"}, {"UNM", ""}, {"SHU", "1"}}, {{"SHU", "1"}}, {"Mon", "Die", "UNM"}},
        {{{"ZEI", "22:30"}}, {{"ZEI", "22:30"}}, {}},
        {{{"ZEI", "25:00"}, {"Son", "1"}}, {{"Son", "1"}}, {"ZEI"}},
        {{{"TAR2", longPath}, {"TAR3", longPath.substr(0, 2046)}}, {{"TAR3", longPath.substr(0, 2046)}}, {"TAR2"}},
        {{{"NurAenderungen", "1"}, {"P5P", ""}}, {{"P5P", ""}, {"NurAenderungen", "1"}}, {}},
        // Each user's own: never preset.
        {{{"redundanz", "3"}, {"Letzte", "x"}, {"Seit", "2020-01-01 00:00:00"}}, {}, {}},
    };
    for (const Case& c : cases) {
        const auto read = [&](const ini::Setting& s) -> std::optional<std::string> {
            const auto it = c.preset.find(s.key);
            return it == c.preset.end() ? std::nullopt : std::optional<std::string>(it->second);
        };
        const PresetJudgement j = judgePreset(read, {":", "", ""});
        std::vector<std::pair<std::string, std::string>> took;
        for (const PresetValue& v : j.take) took.emplace_back(v.setting.key, v.value);
        EXPECT_EQ(took, c.take);
        EXPECT_EQ(j.refused, c.refused);
    }
}

// What the program would take for a folder other than a folder, or show
// otherwise than it is: never taken. Network folders are folders.
TEST(PresetRule, FoldersAreFoldersAndTextsArePlain) {
    const TimeRules time{":", "", ""};
    for (const char* refused :
         {"\\\\?\\GLOBALROOT\\Device\\Null", "\\\\.\\pipe\\x", "//./pipe/x", "\\\\.\\C:\\Daten", "\\??\\C:\\Daten",
          "\\\\?\\Volume{1b3b9f2c-0000-0000-0000-100000000000}\\", "\\\\server\\pipe\\x", "\\\\?\\UNC\\server\\MAILSLOT\\x",
          "\\\\server", "C:\\Daten\\NUL", "C:\\Daten\\con.txt", "E:\\COM1 .log", "C:\\Daten:geheim", "E:\\*",
          "C:\\Daten\x01", "C:\\Daten\tx", "C:\\\xE2\x80\xAEtxt.exe", "C:\\a\xE2\x81\xA6" "b", "C:\\\xC2\x85x"}) {
        EXPECT_FALSE(presetValue(ini::Target[0], refused, time)) << refused;
        EXPECT_FALSE(presetValue(ini::SourcePath[0], refused, time)) << refused;
    }
    for (const char* taken : {"\\\\server\\share\\Sicherung", "\\\\?\\UNC\\server\\share", "\\\\?\\E:\\Sicherung",
                              "E:\\%USERNAME%\\", "C:\\Daten\\Konsole", "C:\\Daten\\COM10", "C:\\Größe", ""})
        EXPECT_EQ(presetValue(ini::Target[0], taken, time), std::string(taken)) << taken;
    EXPECT_FALSE(presetValue(ini::OnlyChanges, "1\x1b[2J", time));
    // Every way of writing a device or the object manager, at every level of
    // a drive or network folder, with either separator and in any case.
    for (const std::string sep : {"\\", "/"})
        for (const std::string base : {"C:" + sep, sep + sep + "srv" + sep + "share" + sep, "E:" + sep + "x" + sep}) {
            for (const char* device : {"NUL", "con", "COM3", "lpt1.txt", "CONIN$", "nul ", "Aux.log"}) {
                EXPECT_FALSE(isFolderPath(base + device)) << base + device;
                EXPECT_FALSE(isFolderPath(base + device + sep + "Daten")) << base + device;
            }
            for (const char* name : {"NULL", "cons", "COM", "LPT10", "Auxiliar", "Konto"})
                EXPECT_TRUE(isFolderPath(base + name + sep + "Daten")) << base + name;
            for (const std::string device : {sep + sep + "." + sep, sep + "??" + sep, sep + sep + "?" + sep + "GlobalRoot" + sep})
                EXPECT_FALSE(isFolderPath(device + base)) << device + base;
        }
}

// Vorgabe.exe places only a preset: the program's sections and keys, valid values.
TEST(PresetRule, OnlyAFileThatIsAPresetIsOne) {
    const struct {
        std::string text;
        PresetFault fault;
        std::string what;
    } cases[] = {
        {"[Backup]\r\nMon=1\r\nP1P=\"C:\\Daten\"\r\nredundanz=7\r\n[Errors]\r\n1.1.2020=alt\r\n[Status]\r\nLetzte=x\r\n",
         PresetFault::None, ""},
        {"; Kommentar\n[backup]\nZEI=23:45\n", PresetFault::None, ""},
        {"geheimes Passwort: 1234\r\n", PresetFault::NotIni, "geheimes Passwort: 1234"},
        {"Mon=1\r\n[Backup]\r\n", PresetFault::NotIni, "Mon=1"},
        {"", PresetFault::NotIni, ""},
        {std::string("[Backup]\r\nMon=1\0", 16), PresetFault::NotIni, ""},
        {"[Backup]\r\nP1P=" + std::string(kLargestPreset, 'x'), PresetFault::NotIni, ""},
        {"[Backup]\r\n=1\r\n", PresetFault::NotIni, "=1"},
        {"[Backup]\r\nPasswort=1234\r\n", PresetFault::UnknownName, "Passwort"},
        {"[Backup]\r\n[Zugang]\r\nKennwort=1\r\n", PresetFault::UnknownName, "[Zugang]"},
        {"[Backup]\r\nMon=ja\r\n", PresetFault::InvalidValue, "Mon"},
        {"[Backup]\r\nredundanz=drei\r\n", PresetFault::InvalidValue, "redundanz"},
        {"[Backup]\r\nTAR1=\\\\.\\pipe\\x\r\n", PresetFault::InvalidValue, "TAR1"},
    };
    for (const auto& c : cases) {
        const PresetCheck check = checkPresetFile(c.text, {":", "", ""});
        EXPECT_EQ(check.fault, c.fault) << c.text.substr(0, 60);
        EXPECT_EQ(check.what, c.what) << c.text.substr(0, 60);
    }
}

// Generated: a preset bent byte by byte. Whatever Vorgabe.exe takes, the
// program reads with no key or value it would refuse; nothing else passes.
TEST(PresetRule, ABentPresetIsTakenOnlyWhenItIsStillOne) {
    const std::string good = "[Backup]\r\nMon=1\r\nP1A=1\r\nP1P=C:\\Daten\r\nTAR1=\\\\srv\\f\\%USERNAME%\r\nZEI=21:30:00\r\n";
    const std::string bytes = std::string("=[];\"\r\n\\/:.\x01\x7f\xe2\x80\xae") + '\0';
    std::mt19937 random(39);
    int taken = 0;
    const TimeRules time{":", "", ""};
    for (int round = 0; round < 3000; ++round) {
        std::string text = good;
        for (int n = 1 + static_cast<int>(random() % 4); n > 0; --n) {
            const std::size_t at = random() % text.size();
            const char c = random() % 2 ? bytes[random() % bytes.size()] : static_cast<char>('A' + random() % 26);
            if (random() % 2) text[at] = c;
            else text.insert(at, 1, c);
        }
        if (checkPresetFile(text, time).fault != PresetFault::None) continue;
        ++taken;
        // What the program's first start reads of it, it takes whole.
        const IniText ini(text);
        const auto read = [&](const ini::Setting& s) { return ini.value(s.section, s.key); };
        EXPECT_EQ(judgePreset(read, time).refused, std::vector<std::string>{}) << text;
    }
    EXPECT_GT(taken, 100);
}

class PresetTest : public FormTest {
protected:
    PresetTest() {
        posix::folders().program = "C:\\Program Files\\ZELKOR Backup";
        posix::folders().shared = dir.path() + "\\ProgramData";
        for (const char letter : {'D', 'E'}) {
            const auto root = host(dir.path()) / (std::string("drive-") + letter);
            std::filesystem::create_directories(root / "Daten");
            posix::mapDrive(letter, root.string());
        }
    }
    std::string presetFile() const { return dir.path() + "\\ProgramData\\ZELKOR Backup\\Vorgabe.ini"; }
    void writePreset(const std::string& content) {
        std::filesystem::create_directories(host(presetFile()).parent_path());
        writeBytes(presetFile(), content);
    }
    std::string presetOf(const std::string& keys) {
        return "[Backup]\r\nMit=1\r\nP1A=1\r\nP1P=D:\\Daten\r\nTAR1=E:\\\r\n" + keys;
    }
    std::optional<PosixRegistry::Value> runValue() const { return registry.value(kRunKey, "ZELKOR Backup"); }
};

TEST_F(PresetTest, AFirstStartTakesThePresetAndRunsItsSchedule) {
    writePreset(presetOf("ZEI=23:15:00\r\nredundanz=5\r\n[Errors]\r\n1.1.2020=alt\r\n"));
    form.FormCreate(Ctl::frmBackup);
    EXPECT_TRUE(window.timerEnabled());
    EXPECT_TRUE(window.checked(Ctl::cbMi));
    EXPECT_EQ(window.text(Ctl::edPfad1), "D:\\Daten");
    EXPECT_EQ(window.time(Ctl::dtpTarget), (TimeOfDay{23, 15, 0}));
    EXPECT_EQ(window.text(Ctl::mmo1), "");
    EXPECT_EQ(iniText().find("redundanz"), std::string::npos);
    EXPECT_EQ(iniText().find("alt"), std::string::npos);

    // The user's own settings from then on: a changed preset is not taken.
    writePreset(presetOf("ZEI=05:00:00\r\n"));
    form.FormCreate(Ctl::frmBackup);
    EXPECT_EQ(window.time(Ctl::dtpTarget), (TimeOfDay{23, 15, 0}));
}

TEST_F(PresetTest, WhatIsNotTakenIsReportedOnce) {
    const auto reported = [&](const std::string& text) {
        return reports() == std::vector<PosixEventLog::Event>{{EventType::Warning, 10, text}};
    };
    writePreset(presetOf("ZEI=morgens\r\nUNM=ja\r\n"));
    form.FormCreate(Ctl::frmBackup);
    EXPECT_TRUE(reported("Aus der Vorgabe " + presetFile() +
                         " wurden diese Einstellungen nicht übernommen, weil ihr Wert ungültig ist: ZEI, UNM"));
    EXPECT_EQ(window.time(Ctl::dtpTarget), (TimeOfDay{1, 0, 0}));
    EXPECT_TRUE(window.timerEnabled());
    form.FormCreate(Ctl::frmBackup);
    EXPECT_EQ(reports().size(), 1u);

    // Another user, and a preset that others than administrators can change.
    std::filesystem::remove_all(host(settingsDir()));
    eventLog.events.clear();
    ::chmod(host(presetFile()).c_str(), 0666);
    form.FormCreate(Ctl::frmBackup);
    EXPECT_FALSE(window.checked(Ctl::cbMi));
    EXPECT_TRUE(reported("Die Vorgabe " + presetFile() +
                         " wurde nicht übernommen, weil nicht nur Administratoren sie ändern können."));
}

// One preset, a folder of each account's own on a shared stick.
TEST_F(PresetTest, AccountsFoldersAreTheirOwn) {
    setenv("USERNAME", "anna", 1);
    setenv("USERPROFILE", "C:\\Users\\anna", 1);
    writePreset("[Backup]\r\nP1P=%UserProfile%\\Dokumente\r\nTAR1=E:\\%USERNAME%\\\r\nTAR2=F:\\%USERNAME%\r\n");
    form.FormCreate(Ctl::frmBackup);
    EXPECT_EQ(window.text(Ctl::edPfad1), "C:\\Users\\anna\\Dokumente");
    EXPECT_EQ(window.text(Ctl::edTarget1), "E:\\anna\\");
    EXPECT_EQ(window.text(Ctl::edTarget2), "F:\\anna");
    // An account without the name takes no folder of someone else's.
    std::filesystem::remove_all(host(settingsDir()));
    unsetenv("USERNAME");
    form.FormCreate(Ctl::frmBackup);
    EXPECT_EQ(window.text(Ctl::edTarget1), "");
    EXPECT_EQ(eventLog.events.back().text, "Aus der Vorgabe " + presetFile() +
                                               " wurden diese Einstellungen nicht übernommen, weil ihr Wert ungültig ist: TAR1, TAR2");
    unsetenv("USERPROFILE");
}

// Taken for what it is, not for its name: a link at the preset's place (any
// user may make the folder where no preset was deployed), a folder or file
// of another account, or one others may write, gives nothing.
TEST_F(PresetTest, APresetIsJudgedByWhatItIs) {
    const std::string untrusted =
        "Die Vorgabe " + presetFile() + " wurde nicht übernommen, weil nicht nur Administratoren sie ändern können.";
    const auto place = host(presetFile()).parent_path();
    const auto attempt = [&](const char* what) {
        std::filesystem::remove_all(host(settingsDir()));
        eventLog.events.clear();
        form.FormCreate(Ctl::frmBackup);
        EXPECT_FALSE(window.checked(Ctl::cbMi)) << what;
        EXPECT_EQ(eventLog.events.size(), 1u) << what;
        if (!eventLog.events.empty()) EXPECT_EQ(eventLog.events[0].text, untrusted) << what;
    };
    const auto theirs = host(dir.path()) / "Fremd";
    std::filesystem::create_directories(theirs);
    writeBytes(dir.path() + "\\Fremd\\Vorgabe.ini", presetOf(""));
    std::filesystem::create_directories(place.parent_path());
    std::filesystem::create_directory_symlink(theirs, place);
    attempt("a link as the folder");
    std::filesystem::remove(place);
    writePreset(presetOf(""));
    std::filesystem::create_symlink(theirs / "Vorgabe.ini", host(presetFile()).string() + ".x");
    std::filesystem::rename(host(presetFile()).string() + ".x", host(presetFile()));
    attempt("a link as the file");
    std::filesystem::remove(host(presetFile()));
    writePreset(presetOf(""));
    ::chmod(place.c_str(), 0777);
    attempt("a folder others may write");
    ::chmod(place.c_str(), 0755);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(place.c_str(), 4711, 4711), 0);
        attempt("a folder of another account");
        ASSERT_EQ(::chown(place.c_str(), 0, 0), 0);
    }
    writePreset(presetOf(std::string(kLargestPreset, ';')));
    std::filesystem::remove_all(host(settingsDir()));
    eventLog.events.clear();
    form.FormCreate(Ctl::frmBackup);
    EXPECT_FALSE(window.checked(Ctl::cbMi));
    ASSERT_EQ(eventLog.events.size(), 1u);
    EXPECT_EQ(eventLog.events[0].text, "Die Vorgabe " + presetFile() + " wurde nicht übernommen, weil sie größer als 64 KB ist.");
}

TEST_F(PresetTest, TheLogonStepAddsTheEntryForNewUsersOnly) {
    FirstLogon(registry, *system);
    const PosixRegistry::Value entry{REG_SZ_, "\"C:\\Program Files\\ZELKOR Backup\\ZelkorBackup.exe\""};
    EXPECT_EQ(runValue(), entry);
    EXPECT_FALSE(std::filesystem::exists(host(settingsDir())));  // the program's first start follows

    // A user who has started the program keeps the entry removed...
    std::filesystem::create_directories(host(settingsDir()));
    DeleteAutostartEntry(registry, "ZELKOR Backup");
    FirstLogon(registry, *system);
    EXPECT_FALSE(runValue());
    // ... unless the uninstaller removed it.
    registry.put("Software\\ZELKOR Backup", "AutostartWiederherstellen", {REG_SZ_, "1"});
    FirstLogon(registry, *system);
    EXPECT_EQ(runValue(), entry);
    EXPECT_FALSE(registry.value("Software\\ZELKOR Backup", "AutostartWiederherstellen"));
}

}  // namespace
}  // namespace zb::test
