// A run works on what it started with: the sources ticked at its start, the
// media it found, names as the target compares them, and kept copies that
// are replaced, never written through.
#include "core/names.h"
#include "core/run/weekday_folder.h"
#include "core/run_snapshot.h"
#include "core/weekday_record.h"
#include "run_fixture.h"

namespace zb::test {
namespace {

namespace fs = std::filesystem;

TEST(Names, AreComparedAsAWindowsTargetComparesThem) {
    const struct {
        const char *a, *b;
        bool same;
    } cases[] = {
        {"P1", "p1", true}, {"Ά.txt", "ά.TXT", true}, {"ΈΉΊΌΎΏ", "έήίόύώ", true}, {"Ґанок", "ґанок", true},
        {"Șțî", "șȚÎ", true}, {"Ạnh Ứ", "ạnh ứ", true}, {"ＡＢＣ", "ａｂｃ", true}, {"Աշխարհ", "աՇԽԱՐՀ", true},
        {"Ǆ", "ǆ", true}, {"Ωμέγα", "ΩΜΈΓΑ", true}, {"Straße", "STRASSE", false}, {"P1.", "P1", false},
        {"P1 ", "P1", false}, {"a", "b", false}, {"\xFF" "a", "\xFF" "A", true}, {"\xC3", "\xC3", true}};
    for (const auto& c : cases) EXPECT_EQ(sameName(c.a, c.b), c.same) << c.a << " " << c.b;
    EXPECT_EQ(nameKey("Ελληνικά"), "ΕΛΛΗΝΙΚΆ");
}

TEST(Media, AreKnownByTheRootOfTheirVolume) {
    const struct {
        const char *path, *root;
    } cases[] = {{"E:", "E:\\"}, {"e:\\Sicherung\\", "e:\\"}, {"\\\\srv\\freigabe\\a", "\\\\srv\\freigabe\\"},
                 {"\\\\srv\\freigabe", "\\\\srv\\freigabe\\"}, {"\\\\srv", ""}, {"Daten", ""}, {"", ""}};
    for (const auto& c : cases) EXPECT_EQ(volumeRoot(c.path), c.root) << c.path;
}

// Boxes unticked or media swapped while the run goes on: what the run
// started with is backed up, or it is reported, never called complete.
TEST_F(RunTest, WhatChangesUnderARunIsNeverCalledComplete) {
    const fs::path e = drive('E'), w = drive('W'), other = host(makeFolder("andere-karte"));
    const fs::path stick = host(makeFolder("anderer-stick"));
    const std::string src = sourceFolder("Quelle");
    writeBytes("W:\\foto1.jpg", "1"), writeBytes("W:\\foto2.jpg", "2");
    writeBytes((other / "fremd.jpg").string(), "f");
    fs::create_directories(stick / "3" / "P2");
    writeBytes((stick / "3" / "P2" / "alt.txt").string(), "alt");
    target(1, "E:\\");
    const std::string ended = "Ergebnis=unvollst\xE4ndig";
    enum { kFirst, kPause, kCard };
    const struct {
        const char* what;
        bool keep;
        std::function<void()> meanwhile;  // after source 1's shell copy, in the pause after the deletion, or with the card's first copy
        int when;
        std::vector<std::string> lines;
        const char* status;
    } cases[] = {
        {"both unticked while the old backup is deleted", false,
         [&] { source(1, src, false), source(2, "W:\\", false); }, kPause, {}, "Ergebnis=vollst\xE4ndig"},
        {"source 2 unticked during the first copy", false, [&] { source(2, "W:\\", false); }, kFirst, {},
         "Ergebnis=vollst\xE4ndig"},
        {"the card swapped before its turn", false, [&] { posix::mapDrive('W', other.string()); }, kFirst,
         {"Quelle W:\\ während der Sicherung gewechselt: Sicherung nach E:\\3\\P2\\ unvollständig"}, ended.c_str()},
        {"the card swapped during its copy", false, [&] { posix::mapDrive('W', other.string()); }, kCard,
         {"Quelle W:\\ während der Sicherung gewechselt: Sicherung nach E:\\3\\P2\\ unvollständig"}, ended.c_str()},
        {"the card swapped during its copy, kept", true, [&] { posix::mapDrive('W', other.string()); }, kCard,
         {"Quelle W:\\ während der Sicherung gewechselt: Sicherung nach E:\\3\\P2\\ unvollständig"}, ended.c_str()},
        {"the target stick swapped after the first copy", false, [&] { posix::mapDrive('E', stick.string()); }, kFirst,
         {"Sicherung von C:\\Quelle\\ unvollständig: Ziel E:\\3\\P1\\ während der Sicherung gewechselt, auf dem "
          "eingelegten Datenträger wird nichts geschrieben oder gelöscht",
          "Sicherung von W:\\ nicht ausgeführt: Ziel E:\\ während der Sicherung gewechselt, auf dem eingelegten "
          "Datenträger wird nichts geschrieben oder gelöscht"},
         "Ergebnis=fehlgeschlagen"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeIni(c.keep ? "[Backup]\r\nNurAenderungen=1\r\n" : "");
        fs::create_directories(e / "3" / "P2");
        writeBytes((e / "3" / "P2" / "foto1.jpg").string(), "1");
        source(1, src), source(2, "W:\\");
        window.setText(Ctl::mmo1, "");
        bool done = false;
        const auto once = [&](int when) {
            if (done || (when != c.when && !(c.when == kCard && when == kFirst))) return;
            if (c.when == kCard && fs::current_path() != w) return;
            c.meanwhile();
            done = true;
        };
        shellFiles.afterShellCopy = [&] { once(kFirst); };
        shellFiles.beforeCopyFile = [&] { once(kFirst); };
        window.onWait = [&](std::uint32_t ms) {
            clock.advance(ms);
            if (window.text(Ctl::pnTitle) == "Lösche alte Sicherung...") once(kPause);
        };
        run();
        posix::mapDrive('W', w.string()), posix::mapDrive('E', e.string());
        std::vector<std::string> lines;
        for (const std::string& l : c.lines) lines.push_back(l + ": 09.12.2026");
        EXPECT_EQ(logLines(), lines);
        EXPECT_NE(iniText().find(c.status), std::string::npos) << iniText();
        // The first card's photos stay in the kept copy; nothing of the other.
        if (c.when == kCard) EXPECT_EQ(readBytes((e / "3" / "P2" / "foto1.jpg").string()), "1");
        EXPECT_FALSE(fs::exists(e / "3" / "P2" / "fremd.jpg"));
        EXPECT_EQ(readBytes((e / "3" / "P1" / "a.txt").string()), "a");
        // Nothing on the other stick changed.
        EXPECT_EQ(readBytes((stick / "3" / "P2" / "alt.txt").string()), "alt");
        EXPECT_FALSE(fs::exists(stick / "3" / "P1"));
        fs::remove_all(e / "3");
    }
}

// A weekday folder that is a link and stays: nothing is made through it,
// kept or not.
TEST_F(RunTest, AWeekdayFolderThatIsALinkAndStaysStopsTheRunOnTheTarget) {
    const fs::path e = drive('E'), outside = host(makeFolder("draussen"));
    writeBytes((outside / "wichtig.txt").string(), "w");
    target(1, "E:\\");
    source(1, sourceFolder("Quelle")), source(2, "C:\\Quelle");
    fs::create_directory_symlink(outside, e / "3");
    shellFiles.undeletable = {(e / "3").string()};
    for (const char* ini : {"[Backup]\r\nNurAenderungen=1\r\n", ""}) {
        writeIni(ini);
        window.setText(Ctl::mmo1, "");
        run();
        EXPECT_EQ(logLines(), (std::vector<std::string>{
                                  "Redundanzfehler 5, Fehlermeldung: Fehler beim Löschen: E:\\3 [5]: 09.12.2026",
                                  "Sicherung von C:\\Quelle nach E:\\3\\P1\\ fehlgeschlagen!: 09.12.2026",
                                  "Sicherung von C:\\Quelle nach E:\\3\\P2\\ fehlgeschlagen!: 09.12.2026"}));
        EXPECT_EQ(std::distance(fs::directory_iterator(outside), fs::directory_iterator()), 1);
    }
}

}  // namespace
}  // namespace zb::test

namespace zb::test {
namespace {

// The weekday folder's record survives its own round trip, and a text that
// is not a whole record is never taken for another account's.
TEST(WeekdayRecords, TellWhoseFolderItIs) {
    WeekdayRecord r{"PC01\\anna", "S-1-5-21-1-2-3-1001", "PC01", 3, {2026, 12, 8, 18, 0, 5},
                    RecordState::Incomplete, LocalDateTime{2026, 12, 8, 18, 42, 0}, 400, 3};
    const std::string text = formatWeekdayRecord(r);
    EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(text.find("\r\nZustand=unvollständig\r\nEnde=2026-12-08 18:42:00\r\n"), std::string::npos);
    EXPECT_EQ(parseWeekdayRecord(text), r);
    r.state = RecordState::Running, r.end.reset();
    EXPECT_EQ(parseWeekdayRecord(formatWeekdayRecord(r)), r);

    const std::string cut = text.substr(0, text.find("Beginn="));
    EXPECT_FALSE(parseWeekdayRecord(cut));
    EXPECT_FALSE(parseWeekdayRecord("Einkaufsliste\r\nSID=S-1-5-21\r\n"));

    EXPECT_EQ(ownerOf(r, "s-1-5-21-1-2-3-1001", "pc01"), FolderOwner::Own);
    EXPECT_EQ(ownerOf(r, "S-1-5-21-1-2-3-1002", "PC01"), FolderOwner::OtherAccount);
    EXPECT_EQ(ownerOf(r, "S-1-5-21-1-2-3-1001", "PC02"), FolderOwner::OtherComputer);
    EXPECT_EQ(ownerOf(std::nullopt, "S-1-5-21-1-2-3-1002", "PC02"), FolderOwner::Unrecorded);

    for (const char* mine : {"E:\\Sicherung\\ANNA", "E:\\anna\\Sicherung\\", "\\\\server\\anna"})
        EXPECT_TRUE(isFolderPerAccount(mine, "PC01\\anna")) << mine;
    for (const char* shared : {"E:\\", "E:\\Sicherung", "E:\\annabell", "anna"})
        EXPECT_FALSE(isFolderPerAccount(shared, "PC01\\anna")) << shared;
}

}  // namespace
}  // namespace zb::test
