// The restore: never over a file silently, kept files' names, nothing
// outside the chosen place, a cancel that leaves no half file, the check
// against the catalog and the one line that tells the outcome.
#include "core/restore/restore.h"
#include "core/restore/restore_view.h"
#include "form_fixture.h"
#include "resources/restore_texts.h"
#include "standin/restore_posix.h"

namespace zb::test {
namespace {

class RestoreTest : public FormTest {
protected:
    RestoreTest() {
        posix::mapDrive('C', dir.path());
        posix::mapDrive('E', makeFolder("stick"));
        std::filesystem::create_directories(host("E:\\3\\P1\\Angebote"));
        std::filesystem::create_directories(host("C:\\Daten\\Angebote"));
        writeBytes("E:\\3\\P1\\Angebote\\Angebot.docx", "vom Dienstag");
        place.weekdayFolder = "E:\\3";
        place.sourceFolder = "C:\\Daten\\";
        version.source = 1;
        version.path = "Angebote\\Angebot.docx";
        version.size = 12;
        version.lastWrite = timeOf("E:\\3\\P1\\Angebote\\Angebot.docx");
    }
    std::int64_t timeOf(const std::string& p) {
        FileEntry e;
        EXPECT_EQ(files.entryInfo(p, e), 0u);
        return e.lastWrite;
    }
    RestoreOutcome go(const RestorePlan& plan, const RestoreProgress& progress = {}) {
        return restore(files, shellFiles, plan, "8.12.2026", progress,
                       [](std::uint32_t e) { return "Fehler " + std::to_string(e); });
    }
    std::vector<std::string> namesIn(const std::string& folder) {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(host(folder))) out.push_back(e.path().filename());
        std::sort(out.begin(), out.end());
        return out;
    }
    PosixRestoreFiles files;
    Place place;
    Version version;
};

TEST_F(RestoreTest, KeptNamesCarryTheDateBeforeTheExtension) {
    EXPECT_EQ(keptName("Angebot.docx", "8.12.2026"), "Angebot (vor der Wiederherstellung am 8.12.2026).docx");
    EXPECT_EQ(keptName("Angebot.docx", "08.12.2026", 2), "Angebot (vor der Wiederherstellung am 08.12.2026, 2).docx");
    EXPECT_EQ(keptName(".profile", "8.12.2026"), ".profile (vor der Wiederherstellung am 8.12.2026)");
    EXPECT_EQ(keptName("Liesmich", "12/8/2026"), "Liesmich (vor der Wiederherstellung am 12-8-2026)");
    EXPECT_EQ(keptName("a.b.txt", "8.12.2026"), "a.b (vor der Wiederherstellung am 8.12.2026).txt");
}

TEST_F(RestoreTest, AnExistingFileIsKeptUnderItsNameOfThatDay) {
    writeBytes("C:\\Daten\\Angebote\\Angebot.docx", "von heute");
    const RestorePlan plan = planToOriginal(version, place);
    ASSERT_EQ(plan.items.size(), 1u);
    EXPECT_EQ(plan.place, "C:\\Daten");
    EXPECT_EQ(plan.items[0].from, "E:\\3\\P1\\Angebote\\Angebot.docx");
    EXPECT_EQ(plan.items[0].to, "C:\\Daten\\Angebote\\Angebot.docx");
    EXPECT_EQ(existingFiles(files, plan), 1);
    EXPECT_EQ(outcomeLine(go(plan)),
              "1 Datei wiederhergestellt; 1 vorhandene Datei(en) unter neuem Namen behalten");
    EXPECT_EQ(readBytes("C:\\Daten\\Angebote\\Angebot.docx"), "vom Dienstag");
    EXPECT_EQ(timeOf("C:\\Daten\\Angebote\\Angebot.docx"), version.lastWrite);
    EXPECT_EQ(readBytes("C:\\Daten\\Angebote\\Angebot (vor der Wiederherstellung am 8.12.2026).docx"), "von heute");
    // Once more: the version is there already, nothing is renamed again.
    EXPECT_EQ(outcomeLine(go(plan)), "1 Datei wiederhergestellt");
    writeBytes("C:\\Daten\\Angebote\\Angebot.docx", "noch einmal geändert");
    EXPECT_EQ(go(plan).kept, 1);
    EXPECT_EQ(namesIn("C:\\Daten\\Angebote"),
              (std::vector<std::string>{"Angebot (vor der Wiederherstellung am 8.12.2026).docx",
                                        "Angebot (vor der Wiederherstellung am 8.12.2026, 2).docx", "Angebot.docx"}));
}

TEST_F(RestoreTest, ACancelLeavesNoHalfFileAndTheOldOneAsItWas) {
    writeBytes("E:\\3\\P1\\Angebote\\Angebot.docx", std::string(300000, 'x'));
    version.size = 300000;
    version.lastWrite = timeOf("E:\\3\\P1\\Angebote\\Angebot.docx");
    writeBytes("C:\\Daten\\Angebote\\Angebot.docx", "von heute");
    int calls = 0;
    const RestoreOutcome o = go(planToOriginal(version, place), [&](std::uint64_t, std::uint64_t) { return ++calls < 3; });
    EXPECT_EQ(outcomeLine(o), "Abgebrochen: 0 von 1 Dateien wiederhergestellt");
    EXPECT_EQ(namesIn("C:\\Daten\\Angebote"), std::vector<std::string>{"Angebot.docx"});
    EXPECT_EQ(readBytes("C:\\Daten\\Angebote\\Angebot.docx"), "von heute");
}

TEST_F(RestoreTest, AFileThatDiffersFromTheCatalogOrCannotBeReadIsTold) {
    version.size = 13;  // the backup's file is not the one the catalog knows
    RestorePlan plan = planToFolder(version, place, "C:\\Zurück");
    plan.items.push_back({"E:\\3\\P1\\fehlt.txt", "C:\\Zurück\\fehlt.txt", 1, 0});
    plan.items.push_back({"E:\\3\\P1\\fehlt.txt", "C:\\Daten\\fehlt.txt", 1, 0});
    EXPECT_EQ(outcomeLine(go(plan)), "0 von 3 Dateien wiederhergestellt. Nicht wiederhergestellt: "
                                     "C:\\Zurück\\Angebot.docx (Größe oder Änderungszeit weichen vom Katalog ab) "
                                     "und 2 weitere");
    EXPECT_TRUE(namesIn("C:\\Zurück").empty());
    EXPECT_EQ(namesIn("C:\\Daten"), std::vector<std::string>{"Angebote"});
}

TEST_F(RestoreTest, TheDoorTakesOnlyPathsInsideItsPlaceWhileItIsTheSameFolder) {
    RestoreDoor door(files, shellFiles, "C:\\Daten\\");
    for (const char* p : {"C:\\Daten\\a.txt", "c:\\DATEN\\Unter\\a.txt"}) EXPECT_TRUE(door.inside(p)) << p;
    for (const char* p : {"C:\\Daten", "C:\\Daten2\\a.txt", "C:\\Daten\\..\\a.txt", "C:\\Daten\\.\\a.txt",
                          "C:\\Daten\\\\a.txt", "C:\\Daten\\x/../../a.txt", "C:\\Daten\\D:a.txt", "C:\\a.txt"})
        EXPECT_FALSE(door.inside(p)) << p;
    EXPECT_EQ(door.makeFolders("C:\\Daten\\Neu"), 0u);
    // Another folder put in the place's stead gets nothing.
    std::filesystem::rename(host("C:\\Daten"), host("C:\\Daten-alt"));
    std::filesystem::create_directories(host("C:\\Daten"));
    EXPECT_NE(door.copyNew("E:\\3\\P1\\Angebote\\Angebot.docx", "C:\\Daten\\x.docx", {}), 0u);
    EXPECT_TRUE(namesIn("C:\\Daten").empty());
    EXPECT_EQ(door.removeOwn("C:\\Daten-alt\\Angebote"), ERROR_ACCESS_DENIED_);
}

TEST_F(RestoreTest, AFolderAndAllVersionsComeIntoThePickedFolder) {
    writeBytes("E:\\3\\P1\\Angebote\\Preise.txt", "10 Euro");
    const std::vector<CatalogFile> below{{1, "Angebote\\Angebot.docx", 12, version.lastWrite},
                                         {1, "Angebote\\Preise.txt", 7, timeOf("E:\\3\\P1\\Angebote\\Preise.txt")}};
    EXPECT_EQ(outcomeLine(go(planFolder(place, 1, "Angebote", below, "C:\\Zurück"))), "2 Dateien wiederhergestellt");
    EXPECT_EQ(namesIn("C:\\Zurück\\Angebote"), (std::vector<std::string>{"Angebot.docx", "Preise.txt"}));
    EXPECT_EQ(planFolder(place, 1, "", below, std::nullopt).items[1].to, "C:\\Daten\\Angebote\\Preise.txt");

    Version older = version;
    older.lastWrite -= 864000000000LL;
    Place unplugged = place;
    unplugged.weekdayFolder = "F:\\1";
    older.places = {unplugged, place};
    version.places = {unplugged};
    const RestorePlan all = planAllVersions(
        {version, older}, "C:\\Vergleich", [](std::int64_t t) { return t > 0 ? "8.12.2026 10:00" : "?"; },
        [](const Place& p) { return p.weekdayFolder == "E:\\3"; });
    ASSERT_EQ(all.items.size(), 1u);
    EXPECT_EQ(all.items[0].to, "C:\\Vergleich\\Angebot (8.12.2026 10-00).docx");
    EXPECT_EQ(all.items[0].from, "E:\\3\\P1\\Angebote\\Angebot.docx");
}

TEST_F(RestoreTest, ALineNamesTheDriveToPlugInForAVersionOutOfReach) {
    place.targetNo = 3;
    place.label = "Montag";
    place.weekday = 2;
    place.start = {2026, 12, 8, 1, 0, 0, 0};
    place.result = RunResult::Incomplete;
    version.places = {place};
    version.lastWrite = 134411220000000000LL;  // 2026-12-07 13:00 UTC
    const Shown shown{*locale, [](std::int64_t) { return 60; }};
    const auto line = [&](bool reach) {
        return versionLine(version, shown, [&](const Place&) { return reach; },
                           [](const std::string&) { return LocalDateTime{2026, 12, 9, 1, 0, 0, 0}; });
    };
    EXPECT_EQ(line(false), "Angebot.docx\tAngebote\t12 Byte\t07.12.2026 14:00\tDienstag, 08.12.2026 (unvollständig)\t"
                           "Ziellaufwerk 3 („Montag“)\tZiellaufwerk 3 einstecken: Datenträger „Montag“, zuletzt am "
                           "09.12.2026 gesichert");
    EXPECT_EQ(line(true).substr(line(true).rfind('\t') + 1), "erreichbar");
    EXPECT_EQ(sizeText(1536), "1,5 KB");
}

}  // namespace
}  // namespace zb::test
