// The catalog of backed-up files: what runs record, the versions a search
// finds, backups that are gone or not whole, a cut-off run, a damaged file,
// and the rebuild from the drives present.
#include <sys/wait.h>
#include <unistd.h>

#include "core/backup_state.h"
#include "core/message.h"
#include "core/catalog/catalog_keeper.h"
#include "core/weekday_record.h"
#include "resources/restore_texts.h"
#include "run_fixture.h"
#include "standin/restore_posix.h"
#include "third_party/sqlite/sqlite3.h"

namespace zb::test {
namespace {

class CatalogTest : public RunTest {
protected:
    CatalogTest() {
        restoreFiles.labels = {{'E', "Montag"}, {'F', "Dienstag"}};
        drive('E');
        drive('F');
        target(1, "E:\\");
        target(2, "F:\\");
        source(1, sourceFolder("Daten"));
        form.setCatalog(&keeper);
    }
    std::string file() const { return settingsDir() + "Katalog.db"; }
    std::unique_ptr<Catalog> open() {
        std::string note;
        return keeper.open(note);
    }
    std::int64_t rows(const char* table) {
        sqlite3* db = nullptr;
        sqlite3_open(host(file()).c_str(), &db);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, (std::string("SELECT count(*) FROM ") + table).c_str(), -1, &st, nullptr);
        sqlite3_step(st);
        const std::int64_t n = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        sqlite3_close(db);
        return n;
    }
    // The next day at one in the morning, and a run.
    void runNextDay() {
        LocalDateTime t = clock.now();
        t = fromSeconds(secondsOf({t.year, t.month, t.day, 1, 0, 0, 0}) + 86400);
        clock.set(t);
        run();
    }
    PosixRestoreFiles restoreFiles;
    CatalogKeeper keeper{restoreFiles, shellFiles, file()};
};

TEST_F(CatalogTest, RunsRecordEachVersionOnceAndSearchFindsThemNewestFirst) {
    run();  // Wednesday, target 2 ("F:\3")
    writeBytes("C:\\Daten\\a.txt", "a, geändert");
    runNextDay();  // Thursday, target 1 ("E:\4")
    std::filesystem::remove(host("C:\\Daten\\a.txt"));
    runNextDay();  // Friday, target 2 ("F:\5")

    auto c = open();
    // Two versions of a.txt and one of c.txt: unchanged files cost no row.
    EXPECT_EQ(rows("versions"), 3);
    const auto a = c->search("A.TX");
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(a[0].path, "a.txt");
    EXPECT_EQ(a[0].size, 12u);  // the newer, from Thursday on target 1
    ASSERT_EQ(a[0].places.size(), 1u);
    EXPECT_EQ(a[0].places[0].targetNo, 1);
    EXPECT_EQ(a[0].places[0].label, "Montag");
    EXPECT_EQ(a[0].places[0].weekdayFolder, "E:\\4");
    EXPECT_EQ(a[0].places[0].sourceFolder, "C:\\Daten\\");
    EXPECT_EQ(a[0].places[0].fileIn(a[0].path, 1), "E:\\4\\P1\\a.txt");
    EXPECT_TRUE(a[0].whole());
    EXPECT_EQ(a[1].size, 1u);
    EXPECT_EQ(a[1].places[0].weekdayFolder, "F:\\3");
    // The same size and time in three backups: one version, three places, newest first.
    const auto sub = c->search("sub\\C");
    ASSERT_EQ(sub.size(), 1u);
    ASSERT_EQ(sub[0].places.size(), 3u);
    EXPECT_EQ(sub[0].places[0].weekdayFolder, "F:\\5");
    EXPECT_EQ(sub[0].places[2].weekdayFolder, "F:\\3");
    EXPECT_EQ(sub[0].name(), "c.txt");
    EXPECT_EQ(sub[0].folder(), "sub");

    // A week on, Wednesday's folder on target 2 is replaced: its versions go.
    clock.set({2026, 12, 16, 1, 0, 0, 0});
    ASSERT_TRUE(profile->writeString(iniPath(), "Backup", "redundanz", "1"));
    run();
    c = open();
    EXPECT_EQ(c->search("a.txt").size(), 1u);
    EXPECT_EQ(c->backups().size(), 3u);
    const auto top = c->browse(c->backups().front().run, 1, "");
    ASSERT_EQ(top.size(), 1u);
    EXPECT_TRUE(top[0].folder);
    EXPECT_EQ(top[0].name, "sub");
}

TEST_F(CatalogTest, AnIncompleteRunAndAFileItNamedMissingAreNotWhole) {
    auto c = open();
    CatalogRun r;
    r.medium = "m";
    r.weekday = 2;
    r.weekdayFolder = "E:\\2";
    r.result = RunResult::Incomplete;
    r.files = {{1, "x.txt", 5, 100}, {1, "y.txt", 0, 200}};
    r.missing = {{1, "Y.TXT", 0, 0}};
    c->runEnded(0, r);
    r.weekday = 3;
    r.result = RunResult::Complete;
    r.missing.clear();
    c->runEnded(0, r);
    const auto x = c->search("x.txt"), y = c->search("y.txt");
    ASSERT_EQ(x[0].places.size(), 2u);
    EXPECT_EQ(x[0].places[0].whole() + x[0].places[1].whole(), 1);
    EXPECT_TRUE(y[0].whole());  // whole in the complete run
    const auto named = std::find_if(y[0].places.begin(), y[0].places.end(), [](const Place& p) { return p.weekday == 2; });
    EXPECT_TRUE(named->reportedMissing);
    // A run that never told its end holds nothing whole, and took its weekday's backup away.
    r.weekday = 3;
    const std::int64_t cut = c->runStarted(r);
    EXPECT_EQ(c->search("x.txt")[0].places.size(), 1u);
    EXPECT_FALSE(c->search("x.txt")[0].whole());
    // A rebuild during a run forgets it; the run's end tells its folder anew.
    c->forgetMedia({"m"});
    c->runEnded(cut, r);
    EXPECT_TRUE(c->search("x.txt")[0].whole());
    EXPECT_EQ(c->backups().size(), 1u);
}

TEST_F(CatalogTest, AnotherSpellingOfAnUnchangedFileCostsNothing) {
    auto c = open();
    CatalogRun r;
    r.medium = "m";
    r.weekday = 1;
    r.result = RunResult::Complete;
    r.files = {{1, "Ordner\\x.txt", 5, 100}};
    c->runEnded(0, r);
    r.weekday = 2;
    r.files[0].path = "ORDNER\\X.txt";
    c->runEnded(0, r);
    c->runEnded(0, r);
    EXPECT_EQ(rows("versions"), 1);
    const auto v = c->search("x.txt");
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].path, "ORDNER\\X.txt");
    EXPECT_EQ(v[0].places.size(), 2u);
}

TEST_F(CatalogTest, ARunCutOffWhileRecordingLeavesTheCatalogAsBefore) {
    CatalogRun r;
    r.medium = "m";
    r.weekday = 1;
    r.result = RunResult::Complete;
    for (int i = 0; i < 50000; ++i) r.files.push_back({1, "Ordner\\Datei " + std::to_string(i) + ".txt", 7, i});
    const pid_t child = fork();
    if (child == 0) {
        Catalog c(host(file()).string());
        c.runEnded(0, r);
        _exit(0);
    }
    usleep(100 * 1000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    auto c = open();
    // "Datei 4999" and "Datei 49990" to "Datei 49999": all or none.
    const auto found = c->search("Datei 4999");
    EXPECT_TRUE(found.empty() || found.size() == 11u) << found.size();
    c->runEnded(0, r);
    EXPECT_EQ(c->search("Datei 4999").size(), 11u);
}

TEST_F(CatalogTest, ADamagedCatalogIsPutAsideAndTheRunGoesOn) {
    std::filesystem::create_directories(host(settingsDir()));
    writeBytes(file(), std::string(4096, 'x'));
    run();
    const std::string aside = file() + ".beschädigt";
    EXPECT_TRUE(readBytes(aside) == std::string(4096, 'x'));
    const auto lines = logLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), fill(txt::ErrCatalogDamaged, {aside}) + ": 09.12.2026"),
              lines.end())
        << window.text(Ctl::mmo1);
    EXPECT_TRUE(std::filesystem::exists(host("F:\\3\\P1\\a.txt")));
    EXPECT_EQ(open()->search("a.txt").size(), 1u);
}

TEST_F(CatalogTest, TheTrayItemOpensTheRestoreWindow) {
    struct : IRestoreWindow {
        int opened = 0;
        void open() override { ++opened; }
    } restoreWindow;
    form.setRestoreWindow(&restoreWindow);
    form.Click(Ctl::miRestore);
    EXPECT_EQ(restoreWindow.opened, 1);
}

TEST_F(CatalogTest, TheRebuildReadsTheDrivesPresentAndKeepsTheOthers) {
    run();         // F:\3
    runNextDay();  // E:\4
    // E's Thursday folder tells its run; a Monday folder without a record is read too.
    WeekdayRecord rec{"PC\\anna", "S-1-5-21-1", "PC", 1, {2026, 12, 10, 1, 0, 0, 0}, RecordState::Incomplete,
                      LocalDateTime{2026, 12, 10, 1, 5, 0, 0}, 2, 1};
    writeBytes("E:\\4\\Sicherungsangaben.txt", formatWeekdayRecord(rec));
    std::filesystem::create_directories(host("E:\\1\\P1"));
    writeBytes("E:\\1\\P1\\alt.txt", "alt");
    std::filesystem::remove(host(file()));
    auto c = open();
    int seen = 0;
    EXPECT_EQ(rebuildCatalog(*c, keeper, {{1, "E:\\"}, {3, "G:\\"}}, {"C:\\Daten\\", "", "", "", ""},
                             [](std::int64_t) { return 60; },
                             [&](const std::string&, std::uint64_t) { return ++seen > 0; }),
              2);
    EXPECT_GT(seen, 0);
    const auto a = c->search("a.txt");
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].places[0].result, RunResult::Incomplete);
    EXPECT_EQ(a[0].places[0].start, rec.start);
    EXPECT_EQ(a[0].places[0].sourceFolder, "C:\\Daten\\");
    const auto alt = c->search("alt.txt");
    ASSERT_EQ(alt.size(), 1u);
    EXPECT_EQ(alt[0].places[0].result, RunResult::Unknown);
    EXPECT_FALSE(alt[0].whole());
}

}  // namespace
}  // namespace zb::test
