// The backup run, the deletion of the old weekday folder, the folder copy
// and the error log, on real folders.
#include <algorithm>
#include <set>
#include <tuple>

#include "core/mirror.h"
#include "core/rotation.h"
#include "core/space_rules.h"
#include "core/run/medium_lock.h"
#include "core/weekday_record.h"
#include "run_fixture.h"

namespace zb::test {
namespace {

namespace fs = std::filesystem;

TEST_F(RunTest, TargetsRotateOverOneTwoThree) {
    drive('E'), drive('F'), drive('G');
    writeIni("");
    target(1, "E:\\"), target(2, "F:\\"), target(3, "G:\\");
    std::vector<int> used;
    for (int i = 0; i < 6; ++i) {
        run();
        used.push_back(form.currentTargetNo());
        EXPECT_EQ(stored(), std::to_string(used.back()));
    }
    EXPECT_EQ(used, (std::vector<int>{2, 3, 1, 2, 3, 1}));

    target(3, "");
    used.clear();
    for (int i = 0; i < 4; ++i) run(), used.push_back(form.currentTargetNo());
    EXPECT_EQ(used, (std::vector<int>{2, 1, 2, 1}));
}

TEST_F(RunTest, TheSearchFallsBackDownwardsThenFromEight) {
    drive('E'), drive('G'), drive('J');
    struct Case {
        std::string stored;
        std::vector<std::string> targets;  // texts of targets 1..8
        int expected;
    } cases[] = {
        {"1", {"E:\\", "Q:\\", "G:\\"}, 1},                   // 2 absent: down to 1
        {"3", {"Q:\\", "", "G:\\"}, 3},                       // 1 absent: then 8, 7, ..., 3
        {"3", {"Q:\\", "", "G:\\", "", "", "", "", "J:\\"}, 8},
        {"5", {"E:\\", "", "", "", "J:\\"}, 5},               // a fall-back sticks
        {"0x3", {"E:\\", "", "G:\\"}, 1},                     // hex reads as 3
        {"abc", {"E:\\", "G:\\"}, 2},                         // garbage reads as 1
        {"9", {"E:\\", "G:\\"}, 2},                           // so does a number out of range
        {"-1", {"E:\\", ""}, 1},
        {"2", {"E:\\", "G:\\", ""}, 1},
    };
    for (const Case& c : cases) {
        writeIni("[Backup]\r\nredundanz=" + c.stored + "\r\n");
        for (int n = 1; n <= 8; ++n) target(n, n <= int(c.targets.size()) ? c.targets[n - 1] : "");
        run();
        EXPECT_EQ(form.currentTargetNo(), c.expected) << "stored " << c.stored;
        EXPECT_EQ(form.currentTarget(), c.targets[c.expected - 1]);
        EXPECT_EQ(stored(), std::to_string(c.expected));
    }
}

TEST_F(RunTest, ACompleteRunReplacesTheWeekdayFolder) {
    const fs::path e = drive('E');
    fs::create_directories(e / "3" / "P1" / "alt");
    writeBytes((e / "3" / "P1" / "alt" / "x.txt").string(), "old");
    fs::create_directories(e / "2");
    const std::string src = sourceFolder("Quelle");
    writeBytes(src + "\\.versteckt", "h");
    target(1, "E:");
    source(1, src);
    source(2, src + "\\sub", false);  // unticked: skipped without a word
    source(3, src + "\\sub");

    run();

    EXPECT_FALSE(fs::exists(e / "3" / "P1" / "alt"));
    EXPECT_EQ(readBytes((e / "3" / "P1" / "a.txt").string()), "a");
    EXPECT_EQ(readBytes((e / "3" / "P1" / "sub" / "c.txt").string()), "c");
    EXPECT_EQ(readBytes((e / "3" / "P1" / ".versteckt").string()), "h");
    EXPECT_EQ(readBytes((e / "3" / "P3" / "c.txt").string()), "c");
    EXPECT_FALSE(fs::exists(e / "3" / "P2"));
    EXPECT_TRUE(fs::exists(e / "2"));  // other weekdays stay
    EXPECT_TRUE(logLines().empty());
    EXPECT_EQ(form.currentTarget(), "E:");
    EXPECT_EQ(stored(), "1");
    // One pause at the start, one after the deletion, one after each copy.
    EXPECT_EQ(statuses, (std::vector<std::string>{"Backup läuft... Bitte warten", "Lösche alte Sicherung...",
                                                  "Sichere " + src + "...", "Sichere " + src + "\\sub..."}));
    // The copy names entries relative to the source, in one shell call each.
    ASSERT_EQ(shellFiles.operations.size(), 3u);
    EXPECT_EQ(shellFiles.operations[0].pFrom, std::string("E:\\3") + '\0' + '\0');
    EXPECT_EQ(shellFiles.operations[0].fFlags, 0x50);
    EXPECT_EQ(shellFiles.operations[1].wFunc, 2u);
    EXPECT_EQ(shellFiles.operations[1].pTo, std::string("E:\\3\\P1\\") + '\0' + '\0');
    EXPECT_EQ(shellFiles.operations[1].fFlags, 0x410);
    EXPECT_EQ(shellFiles.operations[1].lpszProgressTitle, "Backup");
    EXPECT_EQ(shellFiles.operations[1].hwnd, window.handle());
    EXPECT_EQ(fs::current_path(), host(src + "\\sub"));
}

TEST_F(RunTest, WhoFinishesTheRunDependsOnTheSender) {
    drive('E');
    target(1, "E:\\");
    form.ApplicationEvents1Minimize(Ctl::frmBackup);
    run(Ctl::Timer);
    EXPECT_TRUE(form.backupRunning());
    EXPECT_FALSE(window.enabled(Ctl::btnActive) || window.enabled(Ctl::btnQuit));
    EXPECT_TRUE(window.shown());
    EXPECT_TRUE(tray.icons.empty());

    TfrmBackup idle{portsWith(window, tray)};  // the tick above has not finished its run
    idle.miExecNowClick(Ctl::miExecNow);
    EXPECT_FALSE(idle.backupRunning());
    EXPECT_TRUE(window.enabled(Ctl::btnActive) && window.enabled(Ctl::btnQuit));
    EXPECT_FALSE(window.shown());
    EXPECT_EQ(tray.icons.size(), 1u);
}

// Nothing ends, minimises or runs again inside a run: a second run would
// delete the weekday folder the first is writing.
TEST_F(RunTest, DuringARunOnlyTheEndOfWindowsGetsThrough) {
    drive('E');
    target(1, "E:\\");
    source(1, sourceFolder("Quelle"));
    bool asked = false;
    window.onProcessMessages = [&] {
        if (asked) return;
        asked = true;
        form.EndBackup(Ctl::btnQuit);
        form.ApplicationEvents1Minimize(Ctl::appEv1);
        EXPECT_TRUE(window.shown() && !window.minimized() && tray.icons.empty());
        form.Click(Ctl::miExecNow);
        form.Click(Ctl::miBackupAndShutdown);
        EXPECT_TRUE(window.boxes.empty());
        EXPECT_FALSE(window.destroyed);
        // An installer's update waits for the run; the end of Windows does not.
        EXPECT_FALSE(form.WMQueryEndSession(true));
        EXPECT_FALSE(form.WMEndSession(false, true));
        // A run that began after the program agreed to an update goes on.
        EXPECT_FALSE(form.WMEndSession(true, true));
        EXPECT_FALSE(form.endSessionPending());
        EXPECT_TRUE(form.WMQueryEndSession());
        EXPECT_TRUE(window.boxes.empty());
        // Another program refused the end of the session: closing asks again.
        form.WMEndSession(false);
        form.EndBackup(Ctl::btnQuit);
        EXPECT_FALSE(window.destroyed);
    };
    run();
    EXPECT_TRUE(asked);
    EXPECT_EQ(logLines(), std::vector<std::string>{"Sicherung vom 3 nicht gelöscht: 09.12.2026"});
    EXPECT_TRUE(power.calls.empty());
}

TEST_F(RunTest, NoTargetPresentGoesOnWithTargetTwoAndReportsEachStep) {
    for (int n = 1; n <= 8; ++n) target(n, std::string(1, char('M' + n)) + ":\\Sicherung");
    const std::string src = sourceFolder("Quelle");
    source(1, src);
    source(4, "C:\\fehlt");
    run();
    EXPECT_EQ(logLines(), (std::vector<std::string>{
                              "Sicherungslaufwerke nicht gefunden: 09.12.2026",
                              "Sicherung vom 3 nicht gelöscht: 09.12.2026",
                              "Sicherung von " + src + " nach O:\\Sicherung\\3\\P1\\ fehlgeschlagen!: 09.12.2026",
                              "Sicherung von C:\\fehlt nach O:\\Sicherung\\3\\P4\\ fehlgeschlagen!: 09.12.2026",
                          }));
    EXPECT_EQ(stored(), "2");
    EXPECT_EQ(iniText().find("[Errors]\r\n09.12.2026=Sicherung von C:\\fehlt nach O:\\Sicherung\\3\\P4\\ "
                             "fehlgeschlagen!\r\n") != std::string::npos,
              true);
}

TEST_F(RunTest, WithoutAnyUsableTargetNothingIsTouched) {
    const std::string src = sourceFolder("Quelle");
    source(1, src);
    for (const std::string& ini : {std::string("[Backup]\r\nredundanz=1\r\n"), std::string("[Backup]\r\nredundanz=9\r\n")}) {
        writeIni(ini);
        window.setText(Ctl::mmo1, "");
        target(2, "");
        target(1, "Q:\\");
        shellFiles.operations.clear();
        run();
        EXPECT_EQ(logLines(), std::vector<std::string>{"Sicherungslaufwerke nicht gefunden: 09.12.2026"}) << ini;
        EXPECT_TRUE(shellFiles.operations.empty());
        EXPECT_EQ(iniText().substr(0, ini.size()), ini);  // redundanz not rewritten
        EXPECT_FALSE(form.backupRunning());
    }
    // A relative target 2 is no more usable than an empty one.
    writeIni("");
    window.setText(Ctl::mmo1, "");
    target(2, "Sicherung");
    makeFolder("Sicherung");
    fs::current_path(host(dir.path()));
    run();
    EXPECT_EQ(logLines(), std::vector<std::string>{"Sicherungslaufwerke nicht gefunden: 09.12.2026"});
    EXPECT_FALSE(fs::exists(host(dir.path()) / "Sicherung" / "3"));
}

TEST_F(RunTest, FailuresOfDeletionAndCopyAreReportedAndTheRunGoesOn) {
    const fs::path e = drive('E');
    fs::create_directories(e / "3" / "P1");
    writeBytes((e / "3" / "P1" / "offen.txt").string(), "x");
    shellFiles.undeletable.insert((e / "3" / "P1" / "offen.txt").string());
    const std::string src = sourceFolder("Quelle");
    target(1, "E:\\");
    source(1, src);
    source(2, "C:\\fehlt");
    source(3, "Quelle");  // relative: never taken from the current directory
    source(4, "");
    fs::current_path(host(dir.path()));
    run();
    EXPECT_EQ(logLines(), (std::vector<std::string>{
                              "Redundanzfehler 5, Fehlermeldung: Fehler beim Löschen: E:\\3 [5]: 09.12.2026",
                              "Datei kopieren von C:\\fehlt\\ nach E:\\3\\P2\\ fehlgeschlagen.: 09.12.2026",
                              "Datei kopieren von Quelle\\ nach E:\\3\\P3\\ fehlgeschlagen.: 09.12.2026",
                              "Datei kopieren von  nach E:\\3\\P4\\ fehlgeschlagen.: 09.12.2026",
                          }));
    EXPECT_EQ(readBytes((e / "3" / "P1" / "a.txt").string()), "a");
    EXPECT_TRUE(fs::exists(e / "3" / "P1" / "offen.txt"));
    EXPECT_TRUE(fs::is_directory(e / "3" / "P4"));  // made by the run, stays empty
    EXPECT_TRUE(fs::is_empty(e / "3" / "P4"));
}

TEST_F(RunTest, ACopyTheShellCouldNotFinishIsReported) {
    drive('E');
    const std::string src = sourceFolder("Quelle");
    makeFolder("Leer");
    const std::string empty = "C:\\Leer";
    target(1, "E:\\");
    source(1, src);
    source(2, empty);
    shellFiles.abortCopies = true;
    run();
    EXPECT_EQ(logLines(), (std::vector<std::string>{
                              "Sicherung vom 3 nicht gelöscht: 09.12.2026",
                              "Datei kopieren von " + src + "\\ nach E:\\3\\P1\\ fehlgeschlagen.: 09.12.2026",
                          }));
    // A cancel by the user is respected: nothing is copied behind it.
    EXPECT_TRUE(std::filesystem::is_empty(host("E:\\3\\P1")));
}

// What the shell leaves out or short (under Wine it answers success all the
// same) is copied again; only what still cannot be copied is reported, one
// line per source with the first missing file and why.
TEST_F(RunTest, EveryCopyIsCheckedCompletedAndWhatIsStillMissingNamed) {
    const fs::path e = drive('E');
    target(1, "E:\\");
    const std::string src = sourceFolder("Quelle");  // a.txt, sub\c.txt
    for (const char* name : {"Ελληνικά.txt", "日本語.txt", "😀 Notiz.txt", ".versteckt"}) writeBytes(src + "\\" + name, name);
    std::string deep = src;  // far beyond 260 characters: the shell leaves it out
    for (char c = 'a'; c < 'm'; ++c) deep += "\\" + std::string(30, c);
    fs::create_directories(host(deep));
    writeBytes(deep + "\\tief.txt", "tief");
    writeBytes(src + "\\post.pst", "Post");
    source(1, src);
    shellFiles.errorTexts[1117] = "E/A-Gerätefehler";
    auto hostOf = [&](const std::string& rel) { return host(src + "\\" + rel).string(); };
    const std::string pre = "Sicherung von C:\\Quelle\\ unvollständig: ";

    struct Case {
        const char* what;
        std::map<std::string, std::uint32_t> faults;
        bool onlyDuringTheShellsCopy;
        std::vector<std::string> lines;
        std::vector<std::string> missing;  // left out of the copy in the end
        bool shellStops = false;           // the shell stops at the file, as on Windows
        std::function<void()> before = [] {}, after = [] {};
    } cases[] = {
        {"nothing fails", {}, false, {}, {}},
        {"in use only while the shell copies", {{hostOf("post.pst"), 32}, {hostOf("a.txt"), 112}}, true, {}, {}},
        {"in use", {{hostOf("post.pst"), 32}}, false,
         {pre + "1 von 8 Dateien fehlt: C:\\Quelle\\post.pst (Datei wird von einem anderen Programm verwendet)"},
         {"post.pst"}},
        {"in use, the shell stopping there", {{hostOf("a.txt"), 32}}, false,
         {pre + "1 von 8 Dateien fehlt: C:\\Quelle\\a.txt (Datei wird von einem anderen Programm verwendet)"},
         {"a.txt"}, true},
        {"target full", {{hostOf("a.txt"), 112}, {hostOf("post.pst"), 112}}, false,
         {pre + "2 von 8 Dateien fehlen, darunter C:\\Quelle\\a.txt (Ziellaufwerk ist voll)"}, {"a.txt", "post.pst"}},
        {"access denied", {{hostOf("post.pst"), 5}}, false,
         {pre + "1 von 8 Dateien fehlt: C:\\Quelle\\post.pst (Zugriff verweigert)"}, {"post.pst"}},
        {"the system's text", {{hostOf("post.pst"), 1117}}, false,
         {pre + "1 von 8 Dateien fehlt: C:\\Quelle\\post.pst (E/A-Gerätefehler)"}, {"post.pst"}},
        {"a listed name with no UTF-8 form", {{hostOf("post.pst"), 123}}, false,
         {pre + "1 von 8 Dateien fehlt: C:\\Quelle\\post.pst (Name auf dem Ziellaufwerk nicht möglich)"}, {"post.pst"}},
        {"no text", {{hostOf("post.pst"), 87}}, false,
         {pre + "1 von 8 Dateien fehlt: C:\\Quelle\\post.pst (Fehler 87)"}, {"post.pst"}},
        {"a folder that cannot be made", {{(e / "3" / "P1" / "sub").string(), 5}}, false,
         {pre + "1 von 8 Dateien fehlt: C:\\Quelle\\sub\\c.txt (Zugriff verweigert)"}, {"sub"}},
        {"the shell stopping at a file in use only for a moment", {{hostOf("a.txt"), 32}}, true, {}, {}, true},
        {"names a Windows target cannot tell apart", {}, false,
         {pre + "2 von 12 Dateien fehlen, darunter C:\\Quelle\\Bericht  (Name auf dem Ziellaufwerk nicht möglich)"},
         {"Bericht ", "notiz.txt"}, false,
         [&] {
             shellFiles.windowsNames = true;
             for (const char* n : {"Notiz.txt", "notiz.txt!", "Bericht", "Bericht .."}) writeBytes(src + "\\" + n, n);
             fs::rename(host(src + "\\notiz.txt!"), host(src + "\\notiz.txt"));
             fs::rename(host(src + "\\Bericht .."), host(src + "\\Bericht "));
         },
         [&] {
             shellFiles.windowsNames = false;
             for (const char* n : {"Notiz.txt", "notiz.txt", "Bericht", "Bericht "}) fs::remove(host(src + "\\" + n));
         }},
        {"folders a Windows target cannot tell apart: one is named, its files missing, none merged", {}, false,
         {pre + "2 von 11 Dateien fehlen, darunter C:\\Quelle\\Projekte\\pod (Name auf dem Ziellaufwerk nicht möglich)"},
         {"Projekte/pod"}, false,
         [&] {
             shellFiles.windowsNames = true;
             for (const char* n : {"Projekte\\Pod\\a.txt", "Projekte\\pod\\b.txt", "Projekte\\pod\\a.txt"}) {
                 fs::create_directories(host(src + "\\" + n).parent_path());
                 writeBytes(src + "\\" + n, n);
             }
         },
         [&] {
             shellFiles.windowsNames = false;
             EXPECT_FALSE(fs::exists(e / "3" / "P1" / "Projekte" / "Pod" / "b.txt"));
             fs::remove_all(host(src + "\\Projekte"));
         }},
        {"the target gone after a file", {{hostOf("a.txt"), 32}, {hostOf("post.pst"), 32}}, true,
         {pre + "Ziel E:\\3\\P1\\ nicht mehr erreichbar, 6 von 8 Dateien fehlen",
          "Ziellaufwerk E:\\ während der Sicherung nicht mehr erreichbar: Der Wochentagsordner E:\\3 ist "
          "unvollständig, die vorige Sicherung dieses Wochentags wurde zu Beginn gelöscht"},
         {""}, false,
         [&] {
             shellFiles.beforeCopyFile = [&, copies = 0]() mutable {
                 if (++copies == 2) posix::unmapDrive('E');
             };
         },
         [&] {
             shellFiles.beforeCopyFile = nullptr;
             posix::mapDrive('E', e.string());
         }},
        // Not found is then no deletion: what was not yet checked is missing.
        {"the source gone after a file", {{hostOf("a.txt"), 32}}, true,
         {"Quelle C:\\Quelle\\ während der Sicherung nicht mehr erreichbar: Sicherung nach E:\\3\\P1\\ "
          "unvollständig, mindestens 5 Dateien fehlen"},
         {"a.txt", std::string(30, 'a')}, false,
         [&] { shellFiles.beforeCopyFile = [&] { fs::rename(host(src), host(src + ".weg")); }; },
         [&] {
             shellFiles.beforeCopyFile = nullptr;
             fs::rename(host(src + ".weg"), host(src));
         }},
        {"a folder deleted from the source during the check", {{hostOf("a.txt"), 32}}, true, {}, {"sub"}, false,
         [&] { shellFiles.beforeCopyFile = [&] { fs::remove_all(host(src + "\\sub")); }; },
         [&] {
             shellFiles.beforeCopyFile = nullptr;
             writeBytes(src + "\\sub\\c.txt", "c");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::create_directories(e / "3");
        window.setText(Ctl::mmo1, "");
        shellFiles.faults = c.faults;
        shellFiles.stopsAtFault = c.shellStops;
        shellFiles.afterShellCopy = [&] {
            if (c.onlyDuringTheShellsCopy) shellFiles.faults.clear();
        };
        c.before();
        run();
        EXPECT_EQ(logLines().size(), c.lines.size());
        for (std::size_t i = 0; i < c.lines.size() && i < logLines().size(); ++i)
            EXPECT_EQ(logLines()[i], c.lines[i] + ": 09.12.2026");
        c.after();
        // Everything else is in the copy, whole.
        const fs::path from = host(src), to = e / "3" / "P1";
        for (const auto& f : fs::recursive_directory_iterator(from)) {
            const fs::path rel = fs::relative(f.path(), from);
            bool left = false;
            for (const auto& m : c.missing) left = left || rel.string().rfind(m, 0) == 0;
            if (left || f.is_directory()) continue;
            EXPECT_EQ(readBytes((to / rel).string()), readBytes(f.path().string())) << rel;
        }
    }

    // A source that changes while the shell copies: the copy ends as the
    // source is then, and nothing is reported.
    shellFiles.faults.clear();
    window.setText(Ctl::mmo1, "");
    shellFiles.afterShellCopy = [&] {
        writeBytes(src + "\\neu.txt", "neu");
        writeBytes(src + "\\a.txt", "a, länger");
        fs::remove(host(src + "\\post.pst"));
    };
    run();
    EXPECT_TRUE(logLines().empty());
    EXPECT_EQ(readBytes((e / "3" / "P1" / "neu.txt").string()), "neu");
    EXPECT_EQ(readBytes((e / "3" / "P1" / "a.txt").string()), "a, länger");
}

// A target inside the source, under any spelling: the backup is not copied
// into itself, the user's own files beside it are, and nothing is reported.
TEST_F(RunTest, ASourceThatHoldsTheTargetLeavesTheBackupOut) {
    const std::string src = sourceFolder("Quelle");  // a.txt, sub\c.txt
    fs::create_directories(host(src + "\\Ordner\\Sicherung\\5\\P1"));  // last Friday's backup
    writeBytes(src + "\\Ordner\\brief.txt", "Brief");
    posix::mapDrive('S', host(src).string());
    fs::create_directory_symlink(host(src), host("C:\\Verweis"));
    const struct {
        const char* source;
        const char* target;
        const char* backup;  // where the run's copy lies, inside the source
    } cases[] = {
        {"C:\\Quelle", "C:\\Quelle\\Ordner\\Sicherung", "Ordner\\Sicherung\\3\\P1"},
        {"C:\\Quelle", "S:\\Ordner\\Sicherung", "Ordner\\Sicherung\\3\\P1"},  // another drive letter
        {"C:\\Quelle", "C:\\Quelle\\\\Ordner\\Sicherung", "Ordner\\Sicherung\\3\\P1"},
        {"C:\\Quelle\\", "C:\\Verweis\\Ordner\\Sicherung", "Ordner\\Sicherung\\3\\P1"},  // a link on the way
        {"S:\\", "C:\\Quelle", "3\\P1"},  // the source is the target: weekday folders are backups
    };
    // Room for the sources, not for the backups in them.
    shellFiles.space = PosixShellFiles::Space{2 << 20, 4 << 20, 4096};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        fs::remove_all(host(src + "\\Ordner\\Sicherung\\3"));
        fs::remove_all(host(src + "\\3"));
        fs::create_directories(host(src + "\\5\\P1"));
        fs::remove(host(src + "\\5\\P1\\gross.bin")), fs::remove(host(src + "\\Ordner\\Sicherung\\5\\P1\\gross.bin"));
        writeBytes(src + (c.backup[0] == '3' ? "\\5" : "\\Ordner\\Sicherung\\5") + "\\P1\\gross.bin", std::string(3 << 20, 'g'));
        window.setText(Ctl::mmo1, "");
        target(1, c.target);
        source(1, c.source);
        run();
        EXPECT_EQ(logLines(), std::vector<std::string>{"Sicherung vom 3 nicht gelöscht: 09.12.2026"});
        const fs::path copy = host(src + "\\" + c.backup);
        EXPECT_EQ(readBytes((copy / "a.txt").string()), "a");
        EXPECT_EQ(readBytes((copy / "sub" / "c.txt").string()), "c");
        EXPECT_EQ(readBytes((copy / "Ordner" / "brief.txt").string()), "Brief");
        // Beside a target the folder "5" is the user's; in a target it is a backup.
        const bool sourceIsTarget = c.backup[0] == '3';
        EXPECT_EQ(fs::exists(copy / "Ordner" / "Sicherung"), sourceIsTarget);
        EXPECT_EQ(fs::exists(copy / "5"), !sourceIsTarget);
        EXPECT_FALSE(fs::exists(copy / "3"));
    }
}

// NurAenderungen=1: last week's weekday folder is brought level with the
// sources. What changed is copied, what the sources no longer have goes
// (links as links), an unchanged copy is not written again.
TEST_F(RunTest, AKeptWeekdayFolderIsBroughtLevelWithTheSources) {
    const fs::path e = drive('E'), p1 = e / "3" / "P1", outside = host(makeFolder("draussen"));
    writeBytes((outside / "wichtig.txt").string(), "w");
    writeIni("[Backup]\r\nNurAenderungen=1\r\n");
    target(1, "E:\\");
    const std::string src = sourceFolder("Quelle");  // a.txt, sub\c.txt
    for (const char* n : {"gleich.txt", "stunde.txt", "stunde2.txt", "Ordner", "notiz.txt"}) writeBytes(src + "\\" + n, "neu!");
    source(1, src), source(2, src, false), source(3, "C:\\fehlt");
    fs::create_directories(p1 / "alt"), fs::create_directories(p1 / "Ordner"), fs::create_directories(e / "3" / "P3");
    fs::create_directory_symlink(outside, p1 / "alt" / "verweis");
    fs::create_directory_symlink(outside, e / "3" / "P2");
    for (const char* n : {"a.txt", "gleich.txt", "stunde.txt", "stunde2.txt", "weg.txt", "sub", "NOTIZ.txt", "gesperrt.txt",
                          "Ordner/x", "../P3/bleibt.txt", "../fremd.txt"})
        writeBytes((p1 / n).string(), n[0] == 'a' ? "aa" : "alt!");
    const auto t = fs::last_write_time(host(src + "\\gleich.txt"));
    fs::last_write_time(p1 / "gleich.txt", t);
    fs::last_write_time(p1 / "stunde.txt", t + std::chrono::hours(1));
    fs::last_write_time(p1 / "stunde2.txt", t + std::chrono::seconds(3603));
    shellFiles.undeletable.insert((p1 / "gesperrt.txt").string());
    shellFiles.fileSystem = "exFAT";

    run();
    EXPECT_EQ(logLines(), (std::vector<std::string>{
                              "Redundanzfehler 5, Fehlermeldung: Fehler beim Löschen: E:\\3\\P1\\gesperrt.txt [5]: 09.12.2026",
                              "Datei kopieren von C:\\fehlt\\ nach E:\\3\\P3\\ fehlgeschlagen.: 09.12.2026"}));
    std::set<std::string> copy;
    for (const auto& f : fs::recursive_directory_iterator(e / "3")) copy.insert(fs::relative(f.path(), e / "3").string());
    EXPECT_EQ(copy, (std::set<std::string>{"P1", "P1/a.txt", "P1/sub", "P1/sub/c.txt", "P1/gleich.txt", "P1/stunde.txt",
                                           "P1/stunde2.txt", "P1/Ordner", "P1/notiz.txt", "P1/gesperrt.txt", "P3",
                                           "P3/bleibt.txt", "Sicherungsangaben.txt"}));
    for (const char* n : {"a.txt", "stunde2.txt", "Ordner", "notiz.txt"})
        EXPECT_EQ(readBytes((p1 / n).string()), readBytes(host(src + "\\" + n).string())) << n;
    EXPECT_EQ(readBytes((p1 / "gleich.txt").string()), "alt!");  // not written again
    EXPECT_EQ(readBytes((p1 / "stunde.txt").string()), "alt!");  // the summer-time hour on exFAT
    EXPECT_EQ(readBytes((outside / "wichtig.txt").string()), "w");
    EXPECT_TRUE(std::count(statuses.begin(), statuses.end(), "Sichere C:\\Quelle... (7 Dateien geprüft, 5 kopiert)"));
    EXPECT_FALSE(std::count(statuses.begin(), statuses.end(), "Lösche alte Sicherung..."));

    // Unchanged, the next run writes only what is new, a large file with its
    // percent; a folder that leaves the source during the run leaves its copy as it was.
    shellFiles.undeletable.clear();
    writeBytes(src + "\\neu.txt", "n");
    writeBytes(src + "\\gross.bin", std::string(3 << 20, 'g'));
    window.onProcessMessages = [&, record = window.onProcessMessages] { record(), clock.advance(60); };
    shellFiles.beforeCopyFile = [&] { fs::remove_all(host(src + "\\sub")), clock.advance(60); };
    source(3, src, false);
    window.setText(Ctl::mmo1, "");
    run();
    EXPECT_TRUE(logLines().empty());
    EXPECT_TRUE(fs::exists(p1 / "sub" / "c.txt") && !fs::exists(p1 / "gesperrt.txt") && !fs::exists(e / "3" / "P3"));
    EXPECT_EQ(window.text(Ctl::pnTitle), "Sichere C:\\Quelle... (8 Dateien geprüft, 2 kopiert)");
    EXPECT_TRUE(std::count(statuses.begin(), statuses.end(), "Sichere C:\\Quelle... (3 Dateien geprüft, 0 kopiert, aktuelle Datei 33 %)"));

    // A source folder that is a link which cannot be taken away: nothing goes through it.
    fs::remove_all(p1);
    fs::create_directory_symlink(outside, p1);
    shellFiles.undeletable.insert(p1.string());
    window.setText(Ctl::mmo1, "");
    run();
    EXPECT_EQ(logLines(), (std::vector<std::string>{
                              "Redundanzfehler 5, Fehlermeldung: Fehler beim Löschen: E:\\3\\P1 [5]: 09.12.2026",
                              "Datei kopieren von C:\\Quelle\\ nach E:\\3\\P1\\ fehlgeschlagen.: 09.12.2026"}));
    EXPECT_EQ(fs::directory_iterator(outside)->path().filename(), "wichtig.txt");
    EXPECT_EQ(std::distance(fs::directory_iterator(outside), fs::directory_iterator()), 1);
}

// The weekday folder holds a record of whose backup it is: a run of another
// account, or of another computer, neither deletes nor writes it, in
// either mode, and says how each account gets a folder of its own.
TEST_F(RunTest, AWeekdayFolderKnowsWhoseBackupItHolds) {
    const fs::path e = drive('E'), record = e / "3" / "Sicherungsangaben.txt";
    target(1, "E:\\"), source(1, sourceFolder("Quelle"));
    std::optional<WeekdayRecord> during;
    shellFiles.afterShellCopy = [&] { during = parseWeekdayRecord(readBytes(record.string())); };
    run();
    EXPECT_TRUE(shellFiles.privateFolders.empty());  // a drive of its own: its rights as they are
    const auto r = parseWeekdayRecord(readBytes(record.string()));
    ASSERT_TRUE(during && r);
    const Account anna = shellFiles.account;
    EXPECT_EQ(std::tie(r->account, r->sid, r->computer, r->targetNo, r->state, r->files, r->missing, during->state),
              std::make_tuple(anna.name, anna.sid, anna.computer, 1, RecordState::Complete, std::uint64_t{2},
                              std::uint64_t{0}, RecordState::Running));
    EXPECT_TRUE(r->end && r->start == during->start);
    const Tree annas = snapshotOf(e);
    for (const Account& other : {Account{"TESTPC\\bernd", "S-1-5-21-1000-2000-3000-1002", "TESTPC"},
                                 Account{"LAPTOP\\bernd", anna.sid, "LAPTOP"}})
        for (const char* ini : {"", "[Backup]\r\nNurAenderungen=1\r\n"}) {
            shellFiles.account = other;
            writeIni(ini), window.setText(Ctl::mmo1, "");
            run();
            EXPECT_EQ(logLines(), std::vector<std::string>{
                                      "Sicherung auf E:\\ nicht ausgeführt: Der Ordner E:\\3 enthält die Sicherung des "
                                      "Kontos TESTPC\\anna auf dem Computer TESTPC und wird weder gelöscht noch "
                                      "beschrieben. Damit jedes Konto seine eigene Sicherung hat, bitte für jedes Konto "
                                      "einen eigenen Ordner als Ziellaufwerk eintragen, zum Beispiel E:\\bernd: 09.12.2026"});
            EXPECT_EQ(snapshotOf(e), annas);
        }
    // A folder without a record (an earlier version's) is the account's own.
    fs::remove(record);
    run();
    EXPECT_EQ(parseWeekdayRecord(readBytes(record.string()))->computer, "LAPTOP");
}

// In a folder named as the account on a shared drive, the weekday folder
// opens to that account alone (and to the Administrators and SYSTEM).
TEST_F(RunTest, AFolderPerAccountKeepsItsWeekdayFoldersPrivate) {
    fs::create_directories(drive('E') / "Sicherung" / "Anna");
    target(1, "E:\\Sicherung\\Anna");
    source(1, sourceFolder("Quelle"));
    run();
    const std::map<std::string, std::string> made{{"E:\\Sicherung\\Anna\\3", shellFiles.account.sid}};
    EXPECT_EQ(shellFiles.privateFolders, made);
    EXPECT_EQ(fs::status(drive('E') / "Sicherung" / "Anna" / "3").permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(logLines(), std::vector<std::string>{"Sicherung vom 3 nicht gelöscht: 09.12.2026"});
}

// Last week's copy under another spelling or of another kind goes only once
// its successor stands beside it: a copy that fails leaves it whole.
TEST_F(RunTest, AKeptCopyIsReplacedOnlyOnceItsSuccessorStands) {
    const fs::path e = drive('E'), p1 = e / "3" / "P1", src = host(makeFolder("Quelle"));
    writeIni("[Backup]\r\nNurAenderungen=1\r\n");
    target(1, "E:\\"), source(1, "C:\\Quelle");
    fs::create_directories(src / "Bild"), fs::create_directories(p1 / "Ordner");
    for (const char* n : {"Notiz.txt", "Ordner", "Bild/y.txt"}) writeBytes((src / n).string(), "neu");
    for (const char* n : {"NOTIZ.txt", "Ordner/x.txt", "Bild"}) writeBytes((p1 / n).string(), "alt");
    for (const char* n : {"Notiz.txt", "Ordner"}) shellFiles.faults[(src / n).string()] = ERROR_SHARING_VIOLATION_;
    run();
    EXPECT_EQ(logLines(), std::vector<std::string>{
                              "Sicherung von C:\\Quelle\\ unvollständig: 2 von 3 Dateien fehlen, darunter "
                              "C:\\Quelle\\Notiz.txt (Datei wird von einem anderen Programm verwendet): 09.12.2026"});
    EXPECT_EQ(snapshotOf(p1), (Tree{{"NOTIZ.txt", "alt"}, {"Ordner", "<dir>"}, {"Ordner/x.txt", "alt"},
                                    {"Bild", "<dir>"}, {"Bild/y.txt", "neu"}}));
    shellFiles.faults.clear();
    run();
    EXPECT_EQ(snapshotOf(p1), (Tree{{"Notiz.txt", "neu"}, {"Ordner", "neu"}, {"Bild", "<dir>"}, {"Bild/y.txt", "neu"}}));
}

// Another account's run on the same stick: this run waits for it, saying so,
// and after three hours gives up without touching the stick.
TEST_F(RunTest, OneRunPerMediumOnTheComputer) {
    const fs::path e = drive('E');
    fs::create_directories(e / "3" / "P1");
    target(1, "E:\\"), source(1, sourceFolder("Quelle"));
    const std::string key = MediumLock::keyOf(*mediumOf(shellFiles, "E:\\"));
    shellFiles.othersHold[key] = -1;
    run();
    EXPECT_EQ(logLines(), std::vector<std::string>{"Sicherung auf E:\\ nicht ausgeführt: Eine andere Sicherung auf "
                                                   "diesem Datenträger läuft seit mehr als 3 Stunden. Nichts "
                                                   "gesichert, die vorige Sicherung bleibt erhalten: 09.12.2026"});
    EXPECT_EQ(snapshotOf(e / "3").size(), 1u);
    shellFiles.othersHold[key] = 2;
    statuses.clear(), window.setText(Ctl::mmo1, "");
    run();
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "Warte auf eine andere Sicherung auf E:\\..."), 1);
    EXPECT_TRUE(logLines().empty() && fs::exists(e / "3" / "P1" / "a.txt") && shellFiles.held.empty());
}

// A stick pulled during the first source's copy: each line says why, and
// the last that the weekday folder is incomplete and last week's is gone.
TEST_F(RunTest, APulledTargetIsToldInTrueWords) {
    fs::create_directories(drive('E') / "3" / "P1");
    const std::string src = sourceFolder("Quelle");
    target(1, "E:\\"), source(1, src), source(2, src + "\\sub");
    shellFiles.afterShellCopy = [&] { posix::mapDrive('E', (host(dir.path()) / "weg").string()); };
    run();
    EXPECT_EQ(logLines(), (std::vector<std::string>{
                              "Sicherung von C:\\Quelle\\ unvollständig: Ziel E:\\3\\P1\\ nicht mehr erreichbar, 2 von "
                              "2 Dateien fehlen: 09.12.2026",
                              "Sicherung von C:\\Quelle\\sub nicht ausgeführt: Ziellaufwerk E:\\ nicht mehr "
                              "erreichbar: 09.12.2026",
                              "Ziellaufwerk E:\\ während der Sicherung nicht mehr erreichbar: Der Wochentagsordner "
                              "E:\\3 ist unvollständig, die vorige Sicherung dieses Wochentags wurde zu Beginn "
                              "gelöscht: 09.12.2026"}));
}

TEST(KeptCopy, WhatStaysOfACopyAndOfAWeekdayFolder) {
    const std::int64_t s = 10000000;
    const struct {
        std::uint64_t size;
        std::int64_t later;  // the copy's time after the source's
        bool localTimes, folder, link, unchanged;
    } cases[] = {{5, 0, false, false, false, true},           {6, 0, false, false, false, false},
                 {5, 2 * s, false, false, false, false},      {5, -1, false, false, false, false},
                 {5, 2 * s, true, false, false, true},        {5, -2 * s, true, false, false, true},
                 {5, 3 * s, false, false, false, false},      {5, 3600 * s, false, false, false, false},
                 {5, 3600 * s, true, false, false, true},     {5, -3602 * s, true, false, false, true},
                 {5, 3603 * s, true, false, false, false},    {5, 7200 * s, true, false, false, false},
                 {5, 0, false, true, false, false},           {5, 0, false, false, true, false}};
    for (const auto& c : cases) {
        FileEntry source{"a", false, 5, 1000 * s}, copy{"a", c.folder, c.size, 1000 * s + c.later, 0, c.link};
        EXPECT_EQ(unchangedCopy(copy, source, c.localTimes), c.unchanged) << c.size << " " << c.later / s;
    }
    for (const char* fs : {"FAT", "FAT32", "exFAT", "EXFAT"}) EXPECT_TRUE(keepsLocalTimes(fs)) << fs;
    for (const char* fs : {"NTFS", "ReFS", "FAT32x", ""}) EXPECT_FALSE(keepsLocalTimes(fs)) << fs;

    // A source's folder in any case is its kept copy, one spelling of it;
    // a link or a file of that name never is.
    std::vector<FileEntry> w{{"p1", true}, {"P1", true}, {"P2", true}, {"p3", true}, {"P4"}, {"P5", true, 0, 0, 0, true},
                             {"P6", true}, {"alt", true}, {"P1.", true}, {"P1 ", true}};
    std::vector<std::string> stray;
    std::array<std::string, 5> kept;
    for (const FileEntry* e : strayInWeekdayFolder(w, {true, false, true, true, true}, &kept)) stray.push_back(e->name);
    EXPECT_EQ(stray, (std::vector<std::string>{"p1", "P2", "P4", "P5", "P6", "alt", "P1.", "P1 "}));
    EXPECT_EQ(kept, (std::array<std::string, 5>{"P1", "", "p3", "", ""}));
}

// Every run ends in one of three outcomes: in section Status, in the event
// log and, unless complete, in a balloon once the window is back in the tray.
TEST_F(RunTest, EachRunsOutcomeIsStoredLoggedAndShownInTheTray) {
    const fs::path e = drive('E');
    const std::string src = sourceFolder("Quelle");
    const std::string lost = "Ziellaufwerk 1 war während der Sicherung am 09.12.2026 01:00 nicht mehr erreichbar: 0 "
                             "Dateien gesichert, der Wochentagsordner ist unvollständig, die vorige Sicherung dieses "
                             "Wochentags wurde zu Beginn gelöscht. Einzelheiten im Protokoll.";
    const struct {
        const char* what;
        const char* target1;
        const char* source2;  // a second source, if any
        bool fileInUse;
        const char* status;   // [Status] without Aktiv
        EventType type;
        std::uint32_t id;
        std::string text;
        std::string event;  // when it differs from the balloon
    } cases[] = {
        {"complete", "E:\\", nullptr, false, "Ergebnis=vollst\xE4ndig\r\nZiel=1\r\nFehlend=0\r\n", EventType::Information,
         1, "Sicherung vollständig am 09.12.2026 01:00 auf Ziellaufwerk 1."},
        {"a file in use", "E:\\", nullptr, true, "Ergebnis=unvollst\xE4ndig\r\nZiel=1\r\nFehlend=1\r\n",
         EventType::Warning, 2,
         "Sicherung unvollständig am 09.12.2026 01:00 auf Ziellaufwerk 1: 1 Datei fehlt. Einzelheiten im Protokoll.",
         "Sicherung unvollständig am 09.12.2026 01:00 auf Ziellaufwerk 1 (E:\\), fehlende Dateien: 1, nicht gesicherte Pfade: 0. Erste Meldung: "
         "Sicherung von C:\\Quelle\\ unvollständig: 1 von 2 Dateien fehlt: C:\\Quelle\\a.txt (Datei wird von "
         "einem anderen Programm verwendet)"},
        {"one of two sources missing", "E:\\", "C:\\Fehlt", false, "Ergebnis=unvollst\xE4ndig\r\nZiel=1\r\nFehlend=0\r\n",
         EventType::Warning, 2,
         "Sicherung unvollständig am 09.12.2026 01:00 auf Ziellaufwerk 1: Nicht jeder Pfad wurde gesichert. "
         "Einzelheiten im Protokoll.",
         "Sicherung unvollständig am 09.12.2026 01:00 auf Ziellaufwerk 1 (E:\\), fehlende Dateien: 0, nicht gesicherte Pfade: 1 (Pfad 2). Erste Meldung: Datei "
         "kopieren von C:\\Fehlt\\ nach E:\\3\\P2\\ fehlgeschlagen."},
        {"no target", "X:\\", nullptr, false, "Ergebnis=fehlgeschlagen\r\nZiel=0\r\nFehlend=0\r\n", EventType::Error, 3,
         "Sicherung fehlgeschlagen am 09.12.2026 01:00: Kein Ziellaufwerk gefunden."},
        {"the target gone during the copy", "E:\\", nullptr, false, "Ergebnis=fehlgeschlagen\r\nZiel=1\r\nFehlend=2\r\n",
         EventType::Error, 3, lost,
         "Sicherung fehlgeschlagen am 09.12.2026 01:00 auf Ziellaufwerk 1 (E:\\), fehlende Dateien: 2, nicht gesicherte Pfade: 1 (Pfad 1). Erste Meldung: "
         "Sicherung von C:\\Quelle\\ unvollständig: Ziel E:\\3\\P1\\ nicht mehr erreichbar, 2 von 2 Dateien fehlen"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        target(1, c.target1);
        source(1, src);
        source(2, c.source2 ? c.source2 : "", c.source2 != nullptr);
        shellFiles.faults.clear();
        if (c.fileInUse) shellFiles.faults[host(src + "\\a.txt").string()] = 32;
        shellFiles.afterShellCopy = [&] {
            if (c.status == cases[4].status) posix::unmapDrive('E');
        };
        const std::size_t calls = tray.calls.size();
        run();
        posix::mapDrive('E', e.string());
        const std::string ini = iniText();
        EXPECT_NE(ini.find("[Status]\r\nLetzte=2026-12-09 01:0"), std::string::npos) << ini;
        EXPECT_NE(ini.find(std::string("\r\n") + c.status), std::string::npos) << ini;
        ASSERT_FALSE(eventLog.events.empty());
        EXPECT_EQ(eventLog.events.back(), (PosixEventLog::Event{c.type, c.id, c.event.empty() ? c.text : c.event}));
        const auto balloon = std::find_if(tray.calls.begin() + static_cast<std::ptrdiff_t>(calls), tray.calls.end(),
                                          [](const PosixTray::Call& k) { return (k.data.uFlags & NIF_INFO_) != 0; });
        EXPECT_EQ(balloon == tray.calls.end() ? "" : std::string(balloon->data.szInfo), c.id == 1 ? "" : c.text);
        EXPECT_EQ(tray.icons.begin()->second.hIcon, c.id == 1 ? tray.appIcon() : tray.warningIcon());
    }
}

TEST_F(RunTest, AnErrorThatEscapesStillRunsTheClosingStep) {
    drive('E');
    target(1, "E:\\");
    // The settings folder is a file: every write fails.
    std::filesystem::remove_all(host(settingsDir()));
    writeBytes(settingsDir().substr(0, settingsDir().size() - 1), "kein Ordner");
    try {
        run();
        FAIL() << "no error";
    } catch (const EZelkorError& e) {
        EXPECT_EQ(std::string(e.what()), "In " + iniPath() + " kann nicht geschrieben werden");
    }
    EXPECT_FALSE(form.backupRunning());
    EXPECT_TRUE(window.enabled(Ctl::btnQuit));
    EXPECT_FALSE(window.shown());
}

TEST_F(RunTest, WeekdayFolderIsFormedOnceAndNamesTheIsoWeekday) {
    const fs::path e = drive('E');
    const std::string src = sourceFolder("Quelle");
    target(1, "E:\\");
    source(1, src);
    source(2, src);
    clock.set({2026, 12, 6, 23, 59, 54, 0});  // Sunday; midnight passes during the first copy's pause
    run();
    EXPECT_TRUE(fs::exists(e / "7" / "P1" / "a.txt"));
    EXPECT_TRUE(fs::exists(e / "7" / "P2" / "a.txt"));
    EXPECT_FALSE(fs::exists(e / "1"));
    clock.set({2026, 12, 7, 12, 0, 0, 0});  // Monday
    run();
    EXPECT_TRUE(fs::exists(e / "1" / "P1" / "a.txt"));
    // The first backup on a weekday is nothing to warn about.
    EXPECT_EQ(eventLog.events.front(), (PosixEventLog::Event{EventType::Information, 11, "Sicherung vom 7 nicht gelöscht"}));
}

// A run cut off by the window going, by the end of the session or by the
// power: never "vollständig", and told in the error log, the event log,
// section Status and the balloon.
TEST_F(RunTest, ARunCutOffIsNeverComplete) {
    const fs::path e = drive('E');
    target(1, "E:\\");
    source(1, sourceFolder("Quelle"));
    source(2, sourceFolder("Zweite"));
    // The window destroyed during the first copy: the second is not read
    // from dead controls, it is reported.
    shellFiles.afterShellCopy = [&] { form.WindowDestroyed(); };
    run();
    EXPECT_TRUE(fs::exists(e / "3" / "P1" / "a.txt"));
    EXPECT_FALSE(fs::exists(e / "3" / "P2"));
    EXPECT_EQ(logLines().back(),
              "Sicherung von C:\\Zweite nicht ausgeführt: Das Programm wurde während der Sicherung beendet: 09.12.2026");
    EXPECT_EQ(eventLog.events.back().id, 2u);
    EXPECT_TRUE(!form.backupRunning() && tray.icons.empty());
    EXPECT_TRUE(iniText().find("Ergebnis=unvollst\xE4ndig\r\n") != std::string::npos && iniText().find("Laeuft=") == std::string::npos);

    // Windows ends the session during a run: the outcome is written before
    // the process is ended, once.
    const std::string notEnded = "Sicherung vom 09.12.2026 01:00 nicht beendet: Computer oder Programm wurde während "
                                 "der Sicherung beendet. Der Ordner E:\\3 auf Ziellaufwerk 1 ist unvollständig oder "
                                 "fehlt";
    eventLog.events.clear();
    TfrmBackup again{portsWith(window, tray)};  // a window gone stays gone
    clock.set({2026, 12, 9, 1, 0, 0, 0});
    shellFiles.afterShellCopy = [&, ended = false]() mutable {
        if (std::exchange(ended, true)) return;
        EXPECT_NE(iniText().find("Laeuft=2026-12-09 01:00:00 1 E:\\3\r\n"), std::string::npos);
        again.WMEndSession(true);
        again.WindowDestroyed();  // as Windows does next
    };
    again.miExecNowClick(Ctl::miExecNow);
    EXPECT_EQ(eventLog.events.front(), (PosixEventLog::Event{EventType::Warning, 2, notEnded}));
    EXPECT_EQ(std::count_if(eventLog.events.begin(), eventLog.events.end(), [](const auto& v) { return v.id < 10; }), 1);
    EXPECT_NE(iniText().find("[Status]\r\nLetzte=2026-12-09 01:00:00\r\nErgebnis=unvollst\xE4ndig\r\nZiel=1\r\n"),
              std::string::npos);
    // The next start tells it as after a power loss: the balloon, and in the
    // pane what the run reported, target and folder named.
    const std::string balloon = "Sicherung unvollständig: Die Sicherung vom 09.12.2026 01:00 wurde nicht beendet. Der "
                                "Ordner E:\\3 auf Ziellaufwerk 1 ist unvollständig oder fehlt. Einzelheiten im Protokoll.";
    const auto startAgain = [&] {
        PosixWindow w;
        PosixTray t;
        TfrmBackup next{portsWith(w, t)};
        next.FormCreate(Ctl::frmBackup);
        next.ApplicationEvents1Minimize(Ctl::frmBackup);
        return std::make_pair(w.text(Ctl::mmo1), std::string(t.icons.begin()->second.szInfo));
    };
    clock.advance(3600000);
    for (int start = 0; start < 2; ++start)
        EXPECT_EQ(startAgain(), std::make_pair("Meldungen der letzten Sicherung vom 09.12.2026 01:00:\r\n" + notEnded +
                                                   ": 09.12.2026\r\n",
                                               balloon));

    // The power lost during a run: the next start finds the mark, also one
    // from before the target was chosen, or with a date that cannot be.
    shellFiles.afterShellCopy = nullptr;
    const struct {
        const char* mark;
        std::string report, balloon, status;
    } marks[] = {
        {"2026-12-09 01:00:00 1 E:\\3", notEnded, balloon, "Letzte=2026-12-09 01:00:00\r\nErgebnis=unvollst\xE4ndig"},
        {"2026-12-09 01:00:00",
         "Sicherung vom 09.12.2026 01:00 nicht beendet: Computer oder Programm wurde während der Sicherung beendet, die "
         "Sicherung ist unvollständig",
         "Sicherung unvollständig: Die Sicherung vom 09.12.2026 01:00 wurde nicht beendet.",
         "Letzte=2026-12-09 01:00:00\r\nErgebnis=unvollst\xE4ndig"},
        {"2026-02-31 01:00:00 2 F:\\3",
         "Sicherung mit unbekanntem Beginn nicht beendet: Computer oder Programm wurde während der Sicherung beendet. "
         "Der Ordner F:\\3 auf Ziellaufwerk 2 ist unvollständig oder fehlt",
         "Sicherung unvollständig: Die Sicherung mit unbekanntem Beginn wurde nicht beendet. Der Ordner F:\\3 auf "
         "Ziellaufwerk 2 ist unvollständig oder fehlt. Einzelheiten im Protokoll.",
         "[Status]\r\nErgebnis=unvollst\xE4ndig"},
        {"2027-12-09 01:00:00",
         "Sicherung mit unbekanntem Beginn nicht beendet: Computer oder Programm wurde während der Sicherung beendet, "
         "die Sicherung ist unvollständig",
         "Sicherung unvollständig: Die Sicherung mit unbekanntem Beginn wurde nicht beendet.",
         "[Status]\r\nErgebnis=unvollst\xE4ndig"},
    };
    for (const auto& m : marks) {
        SCOPED_TRACE(m.mark);
        writeIni("[Status]\r\nLetzte=2026-12-02 01:00:00\r\nErgebnis=vollst\xE4ndig\r\nZiel=1\r\nFehlend=0\r\n"
                 "LetzteVollstaendige=2026-12-02 01:00:00\r\nLaeuft=" + std::string(m.mark) + "\r\n");
        eventLog.events.clear();
        tray.icons.clear();
        window.setText(Ctl::mmo1, "");
        TfrmBackup next{portsWith(window, tray)};
        next.FormCreate(Ctl::frmBackup);
        next.ApplicationEvents1Minimize(Ctl::frmBackup);
        EXPECT_EQ(eventLog.events.front(), (PosixEventLog::Event{EventType::Warning, 2, m.report}));
        const std::string since = m.report.substr(10, m.report.find(" nicht beendet") - 10);
        EXPECT_EQ(window.text(Ctl::mmo1).substr(0, window.text(Ctl::mmo1).find("\r\n") + 2 + m.report.size() + 14),
                  "Meldungen der letzten Sicherung " + since + ":\r\n" + m.report + ": 09.12.2026\r\n");
        EXPECT_EQ(std::string(tray.icons.begin()->second.szInfo), m.balloon);
        EXPECT_EQ(tray.icons.begin()->second.hIcon, tray.warningIcon());
        EXPECT_NE(iniText().find(m.status), std::string::npos) << iniText();
        EXPECT_EQ(iniText().find("Laeuft="), std::string::npos);
    }
    EXPECT_EQ(std::string(tray.icons.begin()->second.szTip).substr(0, 54),
              "ZELKOR Backup\nZuletzt unvollständig, Beginn unbekannt");
}

// Without a source there is nothing to replace last week's backup with.
TEST(SpaceRules, RoomInClustersAgainstTheFreeRoomAndWhatTheRunFrees) {
    const std::pair<std::uint64_t, std::uint64_t> rounded[] = {{0, 0}, {1, 4096}, {4096, 4096}, {4097, 8192}};
    for (const auto& [size, room] : rounded) EXPECT_EQ(allocated(size, 4096), room) << size;
    const struct {
        std::optional<DiskSpace> volume;
        SpaceNeed need;
        bool fits;
    } cases[] = {
        {std::nullopt, {1ull << 40}, true},                            // no figures: no refusal
        {DiskSpace{3 << 20, 8 << 20, 4096}, {2 << 20}, true},          // the reserve still fits
        {DiskSpace{3 << 20, 8 << 20, 4096}, {(2 << 20) + 1}, false},   // one byte more does not
        {DiskSpace{1 << 20, 8 << 20, 4096}, {4 << 20, 5 << 20}, true},   // the deleted folder is larger
        {DiskSpace{1 << 20, 8 << 20, 4096}, {4 << 20, 3 << 20}, false},  // ... or smaller than the sources
        {DiskSpace{1 << 20, 8 << 20, 4096}, {2 << 20, 3 << 20, 1 << 20}, true},  // the largest replaced copy
        {DiskSpace{1 << 20, 8 << 20, 4096}, {2 << 20, 3 << 20, 2 << 20}, false},  // is not free while it is written
    };
    for (const auto& c : cases) EXPECT_EQ(judgeRoom(c.volume, c.need).fits, c.fits) << c.need.needed;
    const std::tuple<std::uint64_t, bool, std::string> texts[] = {
        {0, false, "0 Bytes"},          {1023, true, "1023 Bytes"},      {1024, false, "1,0 KB"},
        {(1 << 20) - 1, false, "1023 KB"}, {(1 << 20) - 1, true, "1,0 MB"}, {1932735283, false, "1,7 GB"},
        {1932735284, true, "1,9 GB"},   {100ull << 20, false, "100 MB"}, {3ull << 40, true, "3,0 TB"}};
    for (const auto& [bytes, up, text] : texts) EXPECT_EQ(sizeText(bytes, up), text) << bytes;
    // Low: below a tenth of the drive, or below what the run wrote; without figures never.
    EXPECT_TRUE(!spaceLow({11, 100, 1}, 10) && spaceLow({9, 100, 1}, 1) && spaceLow({50, 100, 1}, 51) && !spaceLow({}, 1));
    // A kept copy: unchanged files stay, changed ones are replaced, what the
    // source lacks goes, another case is copied anew, a link is left alone.
    const std::vector<FileEntry> source{{"anders", false, 6000, 7}, {"Brief", false, 5, 7}, {"gleich", false, 5, 7},
                                        {"neu", false, 1, 7},       {"Neu", true},          {"Ordner", true},
                                        {"verweis", true, 0, 0, 0, true}};
    const std::vector<FileEntry> copy{{"altOrdner", true}, {"anders", false, 100, 7}, {"brief", false, 5, 7},
                                      {"gleich", false, 5, 7}, {"Ordner", true},     {"verweis", true, 0, 0, 0, true},
                                      {"weg", false, 9000, 7}};
    SpaceNeed need;
    std::vector<const FileEntry*> gone;
    const auto below = levelNeed(source, copy, 4096, false, need, gone);
    // Needed: anders, Brief, neu, the folder Neu; freed: anders, brief, weg.
    EXPECT_EQ(std::tuple(need.needed, need.files, need.freed, need.largestReplaced),
              std::tuple(8192u + 3 * 4096, 3, 8192u + 12288, 4096u));
    EXPECT_TRUE(gone.size() == 1 && gone[0]->name == "altOrdner");
    ASSERT_EQ(below.size(), 2u);
    EXPECT_TRUE(below[0].first->name == "Neu" && !below[0].second);
    EXPECT_TRUE(below[1].first->name == "Ordner" && below[1].second == &copy[4]);
}

// A backup that cannot fit deletes nothing and copies nothing; it says why,
// with both figures, and fails. The rotation moves on.
TEST_F(RunTest, ABackupThatCannotFitLeavesThePreviousOneAsItWas) {
    const fs::path e = drive('E'), w = e / "3";
    const std::string src = sourceFolder("Quelle");  // a.txt, sub\c.txt
    writeBytes(src + "\\gross.bin", std::string(10000, 'g'));
    source(1, src);
    target(1, "E:\\");
    shellFiles.space = PosixShellFiles::Space{500 << 10, 8 << 20, 4096};
    const std::string fits = "Sicherung passt nicht auf Ziellaufwerk E:\\: 1,1 MB benötigt, ";
    const struct {
        bool kept, old;                                           // last week's weekday folder there
        std::vector<std::pair<const char*, std::size_t>> files;  // in its P1
        std::string text;
    } cases[] = {
        {false, false, {}, fits + "500 KB frei. Nichts gesichert"},
        {true, true, {}, fits + "500 KB frei. Nichts gesichert, die vorige Sicherung E:\\3 bleibt erhalten"},
        {false, true, {{"alt.txt", 100}},
         fits + "512 KB frei, davon 12,0 KB aus der vorigen Sicherung E:\\3. Nichts gesichert, die vorige Sicherung "
                "bleibt erhalten"},
        {true, true, {{"a.txt", 2}, {"weg.bin", 20000}},
         fits + "520 KB frei, davon 20,0 KB aus der vorigen Sicherung E:\\3. Nichts gesichert, die vorige Sicherung "
                "bleibt erhalten"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        fs::remove_all(w);
        if (c.old) fs::create_directories(w / "P1");
        for (const auto& [name, size] : c.files) writeBytes((w / "P1" / name).string(), std::string(size, 'x'));
        writeIni(c.kept ? "[Backup]\r\nNurAenderungen=1\r\nredundanz=3\r\n" : "[Backup]\r\nredundanz=3\r\n");
        window.setText(Ctl::mmo1, "");
        clock.set({2026, 12, 9, 1, 0, 0, 0});
        run();
        EXPECT_EQ(logLines(), std::vector<std::string>{c.text + ": 09.12.2026"});
        EXPECT_EQ(std::count_if(fs::recursive_directory_iterator(e), {}, [](const auto& f) { return f.is_regular_file(); }),
                  static_cast<std::ptrdiff_t>(c.files.size()));
        EXPECT_EQ(fs::exists(w / "P1"), c.old);
        EXPECT_EQ(stored(), "1");
        EXPECT_NE(iniText().find("Ergebnis=fehlgeschlagen\r\nZiel=1\r\nFehlend=3\r\n"), std::string::npos);
        EXPECT_EQ(eventLog.events.back(),
                  (PosixEventLog::Event{EventType::Error, 3,
                                        "Sicherung fehlgeschlagen am 09.12.2026 01:00 auf Ziellaufwerk 1 (E:\\), "
                                        "fehlende Dateien: 3, nicht gesicherte Pfade: 1 (Pfad 1). Erste Meldung: " +
                                            c.text}));
        EXPECT_EQ(std::string(tray.icons.begin()->second.szInfo),
                  "Sicherung fehlgeschlagen am 09.12.2026 01:00 auf Ziellaufwerk 1: Zu wenig Platz, nichts wurde "
                  "gelöscht. Einzelheiten im Protokoll.");
    }

    // Room that the deletion should free but a Recycle Bin keeps: read anew
    // before the first copy; nothing is copied, and the report says where
    // last week's folder went.
    writeBytes((w / "P1" / "alt.txt").string(), std::string(700 << 10, 'x'));
    writeIni("[Backup]\r\nredundanz=3\r\n"), window.setText(Ctl::mmo1, "");
    shellFiles.recycleBin = 0;
    run();
    EXPECT_EQ(logLines(), std::vector<std::string>{fits + "nach dem Löschen der vorigen Sicherung nur 500 KB frei. Nichts "
                                                          "gesichert; die vorige Sicherung E:\\3 liegt im Papierkorb des "
                                                          "Laufwerks und kann von dort wiederhergestellt werden: 09.12.2026"});
    EXPECT_TRUE(!fs::exists(w / "P1") && iniText().find("Ergebnis=fehlgeschlagen\r\n") != std::string::npos);
    shellFiles.recycleBin.reset();

    // A drive that gives no figures is used as before; one left nearly full is named.
    for (const std::uint32_t error : {21u, 0u}) {
        shellFiles.space = PosixShellFiles::Space{2 << 20, 100 << 20, 4096, error};
        window.setText(Ctl::mmo1, "");
        run();
        EXPECT_EQ(readBytes((w / "P1" / "gross.bin").string()), std::string(10000, 'g'));
        EXPECT_FALSE(fs::exists(w / "P1" / "weg.bin"));
    }
    EXPECT_EQ(logLines(), std::vector<std::string>{"Ziellaufwerk E:\\ fast voll: noch 2,0 MB von 100 MB frei, die "
                                                   "nächste Sicherung passt möglicherweise nicht mehr: 09.12.2026"});
    EXPECT_EQ(eventLog.events.back().id, 1u);
    EXPECT_NE(std::string(tray.icons.begin()->second.szTip).find("Ziellaufwerk 1, fast voll (2,0 MB frei)"), std::string::npos)
        << tray.icons.begin()->second.szTip;
}

TEST_F(RunTest, NoSourceEnabledKeepsTheOldBackupAndFails) {
    const fs::path e = drive('E');
    fs::create_directories(e / "3" / "P5");
    target(1, "E:\\");
    source(2, "");  // ticked, but without a path
    run();
    EXPECT_TRUE(fs::exists(e / "3" / "P5"));
    EXPECT_EQ(stored(), "1");
    EXPECT_EQ(logLines(), std::vector<std::string>{"Kein Pfad zum Sichern angewählt: Nichts wurde gesichert, die "
                                                   "vorige Sicherung E:\\3 bleibt erhalten: 09.12.2026"});
    EXPECT_NE(iniText().find("Ergebnis=fehlgeschlagen\r\n"), std::string::npos);
    const std::string text = "Sicherung fehlgeschlagen am 09.12.2026 01:00: Kein Pfad angewählt. Die vorige Sicherung "
                             "auf Ziellaufwerk 1 bleibt erhalten.";
    EXPECT_EQ(eventLog.events.back(), (PosixEventLog::Event{EventType::Error, 3, text}));
    EXPECT_EQ(std::string(tray.icons.begin()->second.szInfo), text);

    // Told with its own reason at the next start; no backup to keep, none claimed.
    tray.icons.clear();
    TfrmBackup next{portsWith(window, tray)};
    next.FormCreate(Ctl::frmBackup);
    next.ApplicationEvents1Minimize(Ctl::frmBackup);
    EXPECT_EQ(std::string(tray.icons.begin()->second.szInfo), text);
    fs::remove_all(e / "3");
    window.setText(Ctl::mmo1, "");
    target(1, "E:\\");  // the start loaded the settings into the fields
    source(2, "");
    run();
    EXPECT_EQ(logLines(), std::vector<std::string>{"Kein Pfad zum Sichern angewählt: Nichts wurde gesichert: 09.12.2026"});
    EXPECT_EQ(std::string(tray.icons.begin()->second.szInfo),
              "Sicherung fehlgeschlagen am 09.12.2026 01:00: Kein Pfad angewählt, nichts wurde gesichert.");
}

TEST_F(RunTest, ErrorLogKeepsOneEntryPerDayAndEveryLine) {
    form.Fehlerbehandlung("erste", {2026, 12, 6, 8, 0, 0, 0});
    form.Fehlerbehandlung("zweite: a=b", {2026, 12, 6, 9, 0, 0, 0});
    form.Fehlerbehandlung("Zeile 1\r\nZeile 2", {2026, 12, 7, 9, 0, 0, 0});
    posix::localeSettings().shortDateFormat = "yyyy-MM-dd";
    form.Fehlerbehandlung("iso", {2026, 12, 8, 9, 0, 0, 0});
    EXPECT_EQ(iniText(), "[Errors]\r\n06.12.2026=zweite: a=b\r\n07.12.2026=Zeile 1  Zeile 2\r\n2026-12-08=iso\r\n");
    // The pane shows the message as it is, every line of the session.
    EXPECT_EQ(window.text(Ctl::mmo1),
              "erste: 06.12.2026\r\nzweite: a=b: 06.12.2026\r\nZeile 1\r\nZeile 2: 07.12.2026\r\niso: 2026-12-08\r\n");
}

TEST_F(RunTest, PauseWaitsJustOverItsDurationAlsoAcrossTheTickWrap) {
    for (std::uint32_t start : {1000u, 0x80000000u, 0xFFFFF000u}) {
        clock.setTick(start);
        window.waits = 0;
        form.pause(5000);
        EXPECT_GT(clock.tickCount() - start, 5000u);
        EXPECT_LE(clock.tickCount() - start, 5001u);
        EXPECT_EQ(window.waits, 1);
    }
}

}  // namespace
}  // namespace zb::test

namespace zb::test {
namespace {

// The rotation over every kind of case: masks hold target n in bit n-1.
TEST(ChooseTarget, RotatesOverOneTwoThreeAndFallsBackDownwardsThenFromEight) {
    const struct {
        std::int32_t stored;
        unsigned named, present;
        int target;
        bool present_;
    } cases[] = {
        {1, 0b111, 0b111, 2, true},      {2, 0b111, 0b111, 3, true},      {3, 0b111, 0b111, 1, true},
        {1, 0b011, 0b011, 2, true},      {2, 0b011, 0b011, 1, true},      {1, 0b001, 0b001, 1, true},
        {1, 0b111, 0b101, 1, true},      {2, 0b111, 0b011, 2, true},      {3, 0b111, 0b110, 3, true},
        {5, 0xFF, 0b10000, 5, true},     {5, 0xFF, 0b1000, 4, true},      {6, 0xFF, 0x80, 8, true},
        {0, 0b111, 0b111, 2, true},      {9, 0b111, 0b111, 2, true},      {-7, 0b111, 0b111, 2, true},
        {1, 0xFF, 0, 2, false},          {1, 0b001, 0, 0, false},         {4, 0xFD, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "stored " << c.stored << ", present " << c.present);
        const auto bit = [](unsigned mask, int n) { return (mask >> (n - 1) & 1u) != 0; };
        const TargetChoice got = chooseTarget(
            c.stored, [&](int n) { return bit(c.named, n); }, [&](int n) { return bit(c.named, n); },
            [&](int n) { return bit(c.present, n); });
        EXPECT_EQ(got.target, c.target);
        EXPECT_EQ(got.present, c.present_);
    }
    // Only as far as needed, in the order of the search.
    std::vector<int> asked;
    chooseTarget(3, [](int) { return true; }, [](int) { return true; }, [&](int n) {
        asked.push_back(n);
        return n == 3;
    });
    EXPECT_EQ(asked, (std::vector<int>{1, 8, 7, 6, 5, 4, 3}));
}

}  // namespace
}  // namespace zb::test

namespace zb::test {
namespace {

// What each kind of run is told as: the balloon and the event, with only
// what is true, and the marks of runs that did not end.
TEST(RunReports, EachOutcomeInItsOwnWordsAndOnlyWhatIsTrue) {
    const auto tally = [](int sources, unsigned lost, int shortOnes, int missing, bool atLeast) {
        RunTally t;
        t.targetPresent = true;
        t.sources = sources;
        for (int k = 1; k <= 5; ++k)
            if (lost >> (k - 1) & 1u) t.lose(k);
        t.sourcesShort = shortOnes;
        t.missing = missing;
        t.missingAtLeast = atLeast;
        return t;
    };
    const std::string w = "09.12.2026 01:00", head = "Sicherung unvollständig am " + w + " auf Ziellaufwerk 2";
    const struct {
        RunTally t;
        std::string balloon, event;
    } cases[] = {
        {tally(2, 0b10, 1, 3, true), head + ": Mindestens 3 Dateien fehlen. Einzelheiten im Protokoll.",
         head + " (N:\\), fehlende Dateien: mindestens 3, nicht gesicherte Pfade: 1 (Pfad 2)."},
        {tally(1, 0, 1, 1, true), head + ": Mindestens 1 Datei fehlt. Einzelheiten im Protokoll.",
         head + " (N:\\), fehlende Dateien: mindestens 1, nicht gesicherte Pfade: 0."},
        {tally(3, 0b101, 0, 0, false), head + ": Nicht jeder Pfad wurde gesichert. Einzelheiten im Protokoll.",
         head + " (N:\\), fehlende Dateien: 0, nicht gesicherte Pfade: 2 (Pfad 1, Pfad 3)."},
        {tally(1, 0b1, 0, 0, false),
         "Sicherung fehlgeschlagen am " + w + " auf Ziellaufwerk 2: Nichts konnte gesichert werden. Einzelheiten im "
         "Protokoll.",
         "Sicherung fehlgeschlagen am " + w + " auf Ziellaufwerk 2 (N:\\), fehlende Dateien: 0, nicht gesicherte Pfade: "
         "1 (Pfad 1)."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(runBalloon(c.t, w, 2), c.balloon);
        EXPECT_EQ(runEvent(c.t, w, 2, "N:\\"), c.event);
    }

    // ReportEventW refuses a longer insertion string: cut, never lost.
    const std::string deep = "Erste Meldung: C:\\" + std::string(40000, 'x');
    EXPECT_EQ(eventText(deep).size(), kEventTextMost);
    EXPECT_EQ(eventText(deep).substr(kEventTextMost - 4), "x…");
    EXPECT_EQ(eventText("kurz"), "kurz");

    // Impossible dates are no dates; a mark of a run is told whatever its date says.
    for (const char* bad : {"2026-02-29 01:00:00", "2026-04-31 01:00:00", "2026-13-01 01:00:00"})
        EXPECT_FALSE(fromStamp(bad)) << bad;
    EXPECT_TRUE(fromStamp("2028-02-29 01:00:00"));
    const LocalDateTime now{2026, 12, 9, 8, 0, 0, 0};
    const auto odd = runningMark("kaputt", now), mark = runningMark(runningText(now, 3, "N:\\Sich erung\\3"), now);
    EXPECT_TRUE(!runningMark("", now) && odd && !odd->start && odd->target == 0);
    EXPECT_TRUE(mark && mark->start && mark->target == 3 && mark->folder == "N:\\Sich erung\\3");
}

}  // namespace
}  // namespace zb::test
