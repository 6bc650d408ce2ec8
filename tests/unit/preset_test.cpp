// The administrator's preset for each user's first start, and the logon step
// that makes a new user's program start.
#include <sys/stat.h>

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
        {{{"TAR2", longPath}, {"TAR3", longPath.substr(1)}}, {{"TAR3", longPath.substr(1)}}, {"TAR2"}},
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
