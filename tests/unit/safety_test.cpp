// A backup tool deletes folders for a living. Over many generated situations
// (targets present, absent, empty, relative; every stored rotation number,
// also garbage; every weekday; sources present, missing, empty, relative,
// with odd names, deep paths, a file that cannot be copied, changing while
// they are copied; a file in the old weekday folder that cannot be deleted)
// every run must
// change nothing but the chosen target's weekday folder and the settings
// file, copy every enabled source that is there completely, and report
// exactly the failures it met.
//
// ZB_SAFETY_RUNS=5000 runs more situations; ZB_SAFETY_SEED picks another set.
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <tuple>

#include "core/names.h"
#include "core/run_snapshot.h"
#include "core/weekday_record.h"
#include "core/paths.h"
#include "core/calendar.h"
#include "run_fixture.h"

namespace zb::test {
namespace {

namespace fs = std::filesystem;

enum class TargetKind { Empty, Root, RootNoDelimiter, Folder, MissingFolder, AbsentDrive, Relative, Share };
enum class SourceKind { Files, Empty, Missing, Relative, NoText };

int env(const char* name, int def) {
    const char* v = std::getenv(name);
    return v ? std::atoi(v) : def;
}

class SafetyTest : public RunTest {
protected:
    std::mt19937 rng{static_cast<unsigned>(env("ZB_SAFETY_SEED", 20261207))};
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    bool chance(int percent) { return pick(100) < percent; }

    // With `keep` the run keeps today's weekday folder (NurAenderungen=1).
    void runOne(int index, bool keep);

    // No call that writes or deletes reaches the file system without the
    // target's medium compared directly before it.
    static bool writes(const std::string& call) { return call != "identity" && call != "list" && call != "space"; }
    void expectEveryWriteChecked(const std::string& target) {
        const auto& c = shellFiles.calls;
        for (std::size_t i = 0; i < c.size(); ++i) {
            if (!writes(c[i].what)) continue;
            EXPECT_TRUE(i >= 2 && c[i - 1].what == "identity" && c[i - 1].path == target &&
                        c[i - 2].what == "identity" && c[i - 2].path == volumeRoot(target))
                << c[i].what << " " << c[i].path << " without the medium compared";
        }
    }
};

void SafetyTest::runOne(int index, bool keep) {
    // Links on the way come from a generator of their own: the situations
    // stay those of the seed.
    std::mt19937 links(static_cast<unsigned>(index) * 7919u + 1u);
    auto linkChance = [&](int percent) { return std::uniform_int_distribution<int>(0, 99)(links) < percent; };
    // So do the adversaries of the names and the media.
    std::mt19937 adversary(static_cast<unsigned>(index) * 104729u + 7u);
    auto foe = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(adversary); };
    shellFiles.windowsNames = foe(3) == 0;
    const std::string caseDir = makeFolder("case" + std::to_string(index));
    const fs::path root = host(caseDir);
    posix::clearDrives();
    posix::mapDrive('C', caseDir);
    fs::current_path(root);
    // Traps: folders that relative texts would find in the current directory.
    fs::create_directories(root / "Daten");
    fs::create_directories(root / "rel");
    writeBytes((root / "rel" / "x.txt").string(), "x");
    writeBytes((root / "Daten" / "wichtig.txt").string(), "w");

    // Per weekday folder: a link named as a source's folder, and whether it
    // stays; whether last week's datei1 has a second name in an archive.
    std::map<std::string, std::pair<std::string, bool>> linkIn;
    std::set<std::string> archived;
    std::mt19937 owners(static_cast<unsigned>(index) * 15485863u + 3u);
    std::set<std::string> foreign;  // weekday folders of another account
    // Targets 1..8 on the drive letters E..L.
    TargetKind kinds[9];
    for (int n = 1; n <= 8; ++n) {
        const char letter = static_cast<char>('D' + n);
        const std::string L(1, letter);
        TargetKind k = chance(30) ? TargetKind::Empty : static_cast<TargetKind>(1 + pick(7));
        kinds[n] = k;
        std::string text;
        fs::path folder;
        if (k == TargetKind::Root || k == TargetKind::RootNoDelimiter || k == TargetKind::Folder ||
            k == TargetKind::MissingFolder) {
            folder = root / ("drive" + L);
            fs::create_directories(folder);
            posix::mapDrive(letter, (folder).string());
        }
        switch (k) {
            case TargetKind::Empty: break;
            case TargetKind::Root: text = L + ":\\"; break;
            case TargetKind::RootNoDelimiter: text = L + ":"; break;
            case TargetKind::Folder:
                text = L + ":\\Sicherung" + (chance(50) ? "\\" : "");
                folder /= "Sicherung";
                fs::create_directories(folder);
                break;
            case TargetKind::MissingFolder: text = L + ":\\fehlt"; break;
            case TargetKind::AbsentDrive: text = "Q:\\"; break;
            case TargetKind::Relative: text = chance(50) ? "Daten" : "Daten\\"; break;
            case TargetKind::Share: text = "\\\\server\\freigabe"; break;
        }
        target(n, text);
        if (k == TargetKind::Root || k == TargetKind::RootNoDelimiter || k == TargetKind::Folder) {
            for (int d = 1; d <= 7; ++d) {
                const fs::path day = folder / std::to_string(d);
                if (!chance(40)) {
                    // A weekday folder that is a link into other data.
                    if (linkChance(10)) fs::create_directory_symlink(root / "Daten", day);
                    continue;
                }
                fs::create_directories(day / "P1");
                writeBytes((day / "P1" / "alt.txt").string(), "alt");
                if (chance(20)) shellFiles.undeletable.insert((day / "P1" / "alt.txt").string());
                if (linkChance(20)) fs::create_directory_symlink(root / "Daten", day / "P1" / "verweis");
                // A link spelled as a source's folder in any case, that may not
                // go; a stray folder that Windows would take for P1; last
                // week's copy of a file with a second name outside, and one
                // under another case of its name.
                if (foe(3) == 0) {
                    std::string name = "P" + std::to_string(1 + foe(5));
                    if (foe(2) || name == "P1") name[0] = 'p';  // beside the real P1
                    fs::create_directory_symlink(root / "Daten", day / name);
                    const bool stays = foe(3) == 0;
                    if (stays) shellFiles.undeletable.insert((day / name).string());
                    linkIn[day.string()] = {name, stays};
                }
                if (foe(4) == 0) writeBytes((day / (foe(2) ? "P1." : "P1 ") / "x.txt").string(), "x");
                if (foe(3) == 0) {
                    const fs::path kept = root / "Archiv" / (L + std::to_string(d));
                    fs::create_directories(kept.parent_path());
                    writeBytes(kept.string(), "archiviert");
                    fs::create_hard_link(kept, day / "P1" / "datei1");
                    archived.insert(day.string());
                }
                if (foe(3) == 0) writeBytes((day / "P1" / "έργο.txt").string(), "voriges");
                // Another account's backup of that weekday, by its record.
                if (std::uniform_int_distribution<int>(0, 9)(owners) == 0 && foreign.insert(day.lexically_normal().string()).second)
                    writeBytes((day / "Sicherungsangaben.txt").string(),
                               formatWeekdayRecord({"BUERO\\bernd", "S-1-5-21-9-9-9-1002", "BUERO", n, {2026, 12, 1}, RecordState::Complete}));
            }
        }
    }

    // Sources 1..5 on drive C: odd names, paths too long for the shell, a
    // file that cannot be copied (in use, or the target full), a source that
    // changes while the shell copies it.
    SourceKind sourceKinds[6];
    std::string failing[6];  // the relative path of the file that cannot be copied
    std::uint32_t failure[6] = {};
    bool changing[6] = {};
    std::string twin[6], twinOf[6];  // the twin that finds its name taken, and the other
    for (int k = 1; k <= 5; ++k) {
        const SourceKind s = static_cast<SourceKind>(pick(5));
        sourceKinds[k] = s;
        std::string text;
        const std::string name = "Quelle" + std::to_string(k);
        switch (s) {
            case SourceKind::Files:
                fs::create_directories(root / name / "unter");
                writeBytes((root / name / ("datei" + std::to_string(k))).string(), name);
                writeBytes((root / name / ".versteckt").string(), "h");
                writeBytes((root / name / "unter" / "tief.txt").string(), "t");
                if (chance(30)) {
                    const char* odd[] = {"Ελληνικά.txt", "日本語 テキスト.txt", "😀", "a b ; c = d'.txt"};
                    writeBytes((root / name / odd[pick(4)]).string(), "odd");
                }
                if (chance(20)) {
                    fs::path deep = root / name;
                    for (int i = 0; i < 10; ++i) deep /= std::string(30, static_cast<char>('a' + i));
                    fs::create_directories(deep);
                    writeBytes((deep / "ganz tief.txt").string(), "deep");
                }
                if (chance(20)) {
                    failing[k] = chance(50) ? "datei" + std::to_string(k) : "unter\\tief.txt";
                    failure[k] = chance(50) ? ERROR_SHARING_VIOLATION_ : ERROR_DISK_FULL_;
                    shellFiles.faults[host(caseDir + "\\" + name + "\\" + failing[k]).string()] = failure[k];
                }
                changing[k] = chance(20);
                if (shellFiles.windowsNames && failing[k].empty() && foe(2)) {
                    // Twins a Windows target cannot hold side by side; the
                    // one the shell copied first keeps the name.
                    static const char* twins[][2] = {{"ΩΜΈΓΑ.txt", "Ωμέγα.txt"}, {"Ґанок.txt", "ґанок.txt"},
                                                     {"ԱՇԽԱՐՀ.txt", "աշխարհ.txt"}, {"Ștrudel.txt", "ștrudel.txt"},
                                                     {"ＡＢＣ.txt", "ａｂｃ.txt"}, {"Ǉubav.txt", "ǉubav.txt"}};
                    const auto& t = twins[foe(6)];
                    writeBytes((root / name / t[0]).string(), "eins");
                    writeBytes((root / name / t[1]).string(), "zweites");
                    twin[k] = t[1], twinOf[k] = t[0];
                }
                if (k == 1) writeBytes((root / name / "ΈΡΓΟ.txt").string(), "umbenannt");
                text = "C:\\" + name + (chance(50) ? "\\" : "");
                break;
            case SourceKind::Empty: fs::create_directories(root / name); text = "C:\\" + name; break;
            case SourceKind::Missing: text = "C:\\fehlt" + std::to_string(k); break;
            case SourceKind::Relative: text = "rel"; break;
            case SourceKind::NoText: break;
        }
        source(k, text, chance(60));
    }

    const char* storedValues[] = {nullptr, "1", "2", "3", "4", "5", "6", "7", "8", "0", "9", "-1", "abc", "0x3"};
    const char* storedValue = storedValues[pick(14)];
    writeIni(std::string(keep || storedValue ? "[Backup]\r\n" : "") + (keep ? "NurAenderungen=1\r\n" : "") +
             (storedValue ? std::string("redundanz=") + storedValue + "\r\n" : ""));
    const int day = 7 + pick(7);  // 7.12.2026 is a Monday
    clock.set({2026, 12, day, 10, 0, 0, 0});
    window.setText(Ctl::mmo1, "");
    shellFiles.operations.clear();
    shellFiles.calls.clear();
    Tree before = snapshotOf(root);
    shellFiles.afterShellCopy = [&] {
        for (int k = 1; k <= 5; ++k) {
            const std::string name = "Quelle" + std::to_string(k);
            if (!changing[k] || fs::current_path() != root / name) continue;
            writeBytes((root / name / "neu.txt").string(), "neu");
            writeBytes((root / name / ".versteckt").string(), "h, geändert");
            before[name + "/neu.txt"] = "neu";
            before[name + "/.versteckt"] = "h, geändert";
        }
    };

    bool ticked[6] = {};
    for (int k = 1; k <= 5; ++k) ticked[k] = window.checked(cbPfad(k));
    // Between two steps (the pause after a source's copy): a box unticked,
    // a source folder replaced by another under its path, or the target's
    // letter given to another stick. The run must go on with what it started.
    const int meddle = foe(4), meddleAfter = 1 + foe(3);
    int copiesDone = 0, swappedSource = 0;
    std::string swappedTarget;
    window.onWait = [&](std::uint32_t ms) {
        clock.advance(ms);
        if (window.text(Ctl::pnTitle).rfind("Sichere ", 0) != 0 || ++copiesDone != meddleAfter) return;
        if (meddle == 1) {
            for (int k = 1; k <= 5; ++k) window.setCheckedState(cbPfad(k), false);
        } else if (meddle == 2) {
            for (int k = 5; k >= 1 && !swappedSource; --k)
                if (sourceKinds[k] == SourceKind::Files && !changing[k])
                    swappedSource = k;
            if (!swappedSource) return;
            const std::string name = "Quelle" + std::to_string(swappedSource);
            fs::rename(root / name, root / (name + "-erste"));
            fs::create_directories(root / name);
            writeBytes((root / name / "andere.txt").string(), "andere Karte");
        } else if (meddle == 3 && form.currentTargetNo() > 0) {
            const char letter = static_cast<char>('D' + form.currentTargetNo());
            swappedTarget = std::string(1, letter);
            const fs::path stick = root / "anderer-stick";
            fs::create_directories(stick / "3" / "P2");
            writeBytes((stick / "3" / "P2" / "alt.txt").string(), "alt");
            before["anderer-stick"] = "<dir>", before["anderer-stick/3"] = "<dir>",
            before["anderer-stick/3/P2"] = "<dir>", before["anderer-stick/3/P2/alt.txt"] = "alt";
            posix::mapDrive(letter, stick.string());
        }
    };

    form.miExecNowClick(Ctl::miExecNow);
    window.onWait = [this](std::uint32_t ms) { clock.advance(ms); };
    if (!swappedTarget.empty()) posix::mapDrive(swappedTarget[0], (root / ("drive" + swappedTarget)).string());
    if (swappedSource) {
        const std::string name = "Quelle" + std::to_string(swappedSource);
        fs::remove_all(root / name);
        fs::rename(root / (name + "-erste"), root / name);
    }
    for (int k = 1; k <= 5; ++k) window.setCheckedState(cbPfad(k), ticked[k]);

    // What the run should have done, worked out independently.
    auto present = [&](int n) {
        return kinds[n] == TargetKind::Root || kinds[n] == TargetKind::RootNoDelimiter || kinds[n] == TargetKind::Folder;
    };
    auto text = [&](int n) { return window.text(edTarget(n)); };
    int s = storedValue ? strToIntDef(storedValue, 1) : 1;
    if (s < 1 || s > 8) s = 1;  // a damaged number starts the rotation again
    const int start = s == 1 ? (text(2).empty() ? 1 : 2) : s == 2 ? (text(3).empty() ? 1 : 3) : s == 3 ? 1 : s;
    int chosen = 0;
    std::vector<int> order;
    for (int n = start; n >= 1; --n) order.push_back(n);
    for (int n = 8; n >= 2; --n) order.push_back(n);
    for (int n : order)
        if (!chosen && present(n)) chosen = n;
    std::vector<std::string> reports;
    bool ended = false;
    if (!chosen) {
        reports.push_back("Sicherungslaufwerke nicht gefunden");
        if (!isAbsolutePath(text(2))) ended = true;
        else chosen = 2;
    }
    const std::string wd = std::to_string(isoWeekday(2026, 12, day));
    const std::string W = ended ? "" : withTrailingDelimiter(text(chosen)) + wd;
    std::string hostW;
    bool anySource = false, locked = false;  // the old P1 holds a file that cannot be removed
    for (int k = 1; k <= 5; ++k) anySource = anySource || (ticked[k] && !window.text(edPfad(k)).empty());
    // The link in today's weekday folder, and whether it stays.
    std::string link;
    bool linkStays = false;
    // Where a meddling between two steps took effect: the sources after it.
    int meddledFrom = 6;
    for (int k = 1, seen = 0; k <= 5; ++k)
        if (ticked[k] && ++seen == meddleAfter) meddledFrom = k + 1;
    auto swappedTargetFor = [&](int k) { return meddle == 3 && k >= meddledFrom; };
    auto swappedSourceFor = [&](int k) { return meddle == 2 && k == swappedSource && k >= meddledFrom; };
    for (int k = 1; k <= 5 && !ended; ++k)
        if (!twin[k].empty() && fs::exists(host(W + "\\P" + std::to_string(k)) / twin[k])) std::swap(twin[k], twinOf[k]);
    auto blocked = [&](int k) { return linkStays && sameName(link, "P" + std::to_string(k)); };
    const bool refusedW = !ended && anySource && present(chosen) && foreign.count(host(W).lexically_normal().string());
    if (refusedW) {
        reports.push_back("Sicherung auf " + text(chosen) + " nicht ausgeführt: Der Ordner " + W +
                          " enthält die Sicherung des Kontos BUERO\\bernd auf dem Computer BUERO und wird weder "
                          "gelöscht noch beschrieben. Damit jedes Konto seine eigene Sicherung hat, bitte für jedes "
                          "Konto einen eigenen Ordner als Ziellaufwerk eintragen, zum Beispiel " +
                          withTrailingDelimiter(text(chosen)) + "anna");
    } else if (!ended && !anySource) {
        // Only a backup that is there is said to stay.
        const bool kept = present(chosen) && before.count(host(W).lexically_normal().lexically_relative(root).string());
        reports.push_back(kept ? "Kein Pfad zum Sichern angewählt: Nichts wurde gesichert, die vorige Sicherung " + W +
                                     " bleibt erhalten"
                               : std::string("Kein Pfad zum Sichern angewählt: Nichts wurde gesichert"));
    } else if (!ended) {
        hostW = host(W).string();
        for (const auto& u : shellFiles.undeletable) locked = locked || u.rfind(hostW + "/P1/alt.txt", 0) == 0;
        if (const auto it = linkIn.find(hostW); it != linkIn.end() && present(chosen))
            std::tie(link, linkStays) = it->second;
        if (present(chosen) && before.count(host(W).lexically_normal().lexically_relative(root).string())) {
            if ((locked || linkStays) && !keep)
                reports.push_back("Redundanzfehler 5, Fehlermeldung: Fehler beim Löschen: " + W + " [5]");
            // Kept: the strays that stay, in the order of their names.
            std::map<std::string, bool> strays;
            if (!ticked[1]) strays["P1"] = locked;
            if (!link.empty()) strays[link] = linkStays;
            for (const auto& [name, stays] : strays)
                if (keep && stays)
                    reports.push_back("Redundanzfehler 5, Fehlermeldung: Fehler beim Löschen: " + W + "\\" + name + " [5]");
        } else {
            reports.push_back("Sicherung vom " + wd + " nicht gelöscht");
        }
        for (int k = 1; k <= 5; ++k) {
            if (!ticked[k]) continue;
            const std::string src = window.text(edPfad(k));
            const std::string D = W + "\\P" + std::to_string(k) + "\\";
            const std::string S = src.empty() ? src : withTrailingDelimiter(src);
            if (!present(chosen)) {
                reports.push_back("Sicherung von " + src + " nach " + D + " fehlgeschlagen!");
            } else if (swappedTargetFor(k)) {
                reports.push_back("Sicherung von " + src + " nicht ausgeführt: Ziel " + text(chosen) +
                                  " während der Sicherung gewechselt, auf dem eingelegten Datenträger wird nichts "
                                  "geschrieben oder gelöscht");
            } else if ((sourceKinds[k] != SourceKind::Files && sourceKinds[k] != SourceKind::Empty) || blocked(k)) {
                reports.push_back("Datei kopieren von " + S + " nach " + D + " fehlgeschlagen.");
            } else if (swappedSourceFor(k)) {
                // Nothing of the kept copy goes for what another medium lacks.
                reports.push_back("Quelle " + S + " während der Sicherung gewechselt: Sicherung nach " + D + " unvollständig");
            } else if (!failing[k].empty() || !twin[k].empty() || (keep && k == 1 && locked)) {
                if (!failing[k].empty() || !twin[k].empty()) {
                    int files = 0;
                    for (const auto& f : fs::recursive_directory_iterator(root / ("Quelle" + std::to_string(k))))
                        files += f.is_regular_file() ? 1 : 0;
                    const std::string why = !twin[k].empty() ? "Name auf dem Ziellaufwerk nicht möglich"
                                            : failure[k] == ERROR_DISK_FULL_ ? "Ziellaufwerk ist voll"
                                                                             : "Datei wird von einem anderen Programm verwendet";
                    reports.push_back("Sicherung von " + S + " unvollständig: 1 von " + std::to_string(files) +
                                      (files == 1 ? " Datei" : " Dateien") + " fehlt: " + S +
                                      (twin[k].empty() ? failing[k] : twin[k]) + " (" + why + ")");
                }
                // A kept copy's leftover that cannot be removed is told as such.
                if (keep && k == 1 && locked)
                    reports.push_back("Redundanzfehler 5, Fehlermeldung: Fehler beim Löschen: " + D + "alt.txt [5]");
            }
        }
    }
    std::vector<std::string> expectedLines;
    for (const auto& r : reports) expectedLines.push_back(r + ": " + (day < 10 ? "0" : "") + std::to_string(day) + ".12.2026");

    SCOPED_TRACE("situation " + std::to_string(index) + ", stored " + (storedValue ? storedValue : "none") +
                 ", weekday " + wd + ", chosen " + std::to_string(chosen));
    EXPECT_EQ(logLines(), expectedLines);
    EXPECT_EQ(form.currentTargetNo(), ended ? 0 : chosen);
    EXPECT_EQ(profile->getString(iniPath(), "Backup", "redundanz", "<none>"),
              ended ? std::string(storedValue ? storedValue : "<none>") : std::to_string(chosen));
    EXPECT_FALSE(form.backupRunning());

    expectEveryWriteChecked(chosen ? withTrailingDelimiter(text(chosen)) : "");

    // Nothing changed outside the weekday folder of the chosen target.
    const Tree after = snapshotOf(root);
    const std::string relW = ended || !present(chosen) || !anySource || refusedW
                                 ? std::string("\x01")
                                 : host(W).lexically_normal().lexically_relative(root).string();
    auto inside = [&](const std::string& rel) { return rel == relW || rel.rfind(relW + "/", 0) == 0; };
    for (const auto& [path, content] : before)
        if (!inside(path)) {
            auto it = after.find(path);
            EXPECT_TRUE(it != after.end() && it->second == content) << "changed or deleted: " << path;
        }
    for (const auto& [path, content] : after)
        EXPECT_TRUE(inside(path) || before.count(path)) << "created: " << path;

    // Every enabled source that is there is copied completely.
    if (!ended && present(chosen) && anySource && !refusedW) {
        for (int k = 1; k <= 5; ++k) {
            if (!ticked[k] || sourceKinds[k] != SourceKind::Files || blocked(k) || swappedTargetFor(k) ||
                swappedSourceFor(k))
                continue;
            const fs::path from = root / ("Quelle" + std::to_string(k));
            const fs::path to = host(W + "\\P" + std::to_string(k));
            std::string left = twin[k].empty() ? failing[k] : twin[k];
            for (char& c : left)
                if (c == '\\') c = '/';
            const auto original = snapshotOf(from), copied = snapshotOf(to);
            for (const auto& [rel, content] : original) {
                if (!left.empty() && rel == left) continue;
                EXPECT_TRUE(copied.count(rel) && copied.at(rel) == content) << "missing in the backup: " << rel;
            }
            // A copy that could not replace last week's leaves it whole.
            if (keep && k == 1 && failing[k] == "datei1" && archived.count(hostW)) {
                EXPECT_EQ(readBytes((to / "datei1").string()), "archiviert");
            }
            // A kept copy ends as a fresh one would.
            for (const auto& [rel, content] : copied)
                EXPECT_TRUE(!keep || original.count(rel) || (k == 1 && locked && rel == "alt.txt")) << "left over: " << rel;
        }
        for (int k = 2; k <= 5 && keep; ++k)
            EXPECT_TRUE(ticked[k] || (linkStays && link == "P" + std::to_string(k)) ||
                        !fs::exists(host(W + "\\P" + std::to_string(k))))
                << k;
    }
}

TEST_F(SafetyTest, NothingButTheWeekdayFolderChanges) {
    const int runs = env("ZB_SAFETY_RUNS", 300);
    for (int i = 0; i < runs && !HasFailure(); ++i) {
        shellFiles.undeletable.clear();
        shellFiles.faults.clear();
        shellFiles.stopsAtFault = i % 2 == 1;  // the shell as on Windows, or as under Wine
        runOne(i, false);
    }
}

TEST_F(SafetyTest, NothingButTheWeekdayFolderChangesWhenItIsKept) {
    const int runs = env("ZB_SAFETY_RUNS", 300);
    for (int i = 0; i < runs && !HasFailure(); ++i) {
        shellFiles.undeletable.clear();
        shellFiles.faults.clear();
        runOne(i, true);
    }
}

// Another stick put in under the target's letter at any moment of the run:
// during the estimate of the room, before the deletion, between two files.
// Nothing on it is written or deleted, and the run says that the target
// was changed.
TEST_F(SafetyTest, AStickPutInUnderTheLetterIsNeverWritten) {
    for (const bool keep : {false, true}) {
        // From the moment the run took the medium as its target; the record's
        // last word is no part of the backup to tell of.
        std::size_t calls = 0, lastWrite = 0, taken = 0;
        for (std::size_t at = 0; at == 0 || at <= calls; at = at == 0 ? taken : at + 1) {
            SCOPED_TRACE((keep ? "kept, swapped at call " : "swapped at call ") + std::to_string(at));
            const fs::path root = host(makeFolder("swap" + std::to_string(keep) + "-" + std::to_string(at)));
            posix::clearDrives();
            posix::mapDrive('C', root.string());
            for (const char* stick : {"E", "anderer"}) {
                fs::create_directories(root / stick / "3" / "P1" / "unter");
                writeBytes((root / stick / "3" / "P1" / "alt.txt").string(), stick);
            }
            posix::mapDrive('E', (root / "E").string());
            fs::create_directories(root / "Quelle" / "unter");
            for (const char* f : {"a.txt", "b.txt", "unter/c.txt", "unter/d.txt"}) writeBytes((root / "Quelle" / f).string(), f);
            source(1, "C:\\Quelle"), target(1, "E:\\"), window.setText(Ctl::mmo1, "");
            writeIni(std::string("[Backup]\r\nredundanz=3\r\n") + (keep ? "NurAenderungen=1\r\n" : ""));
            const Tree other = snapshotOf(root / "anderer");
            shellFiles.calls.clear();
            // Between two calls: a swap inside a write, after its check, is one after the write.
            shellFiles.onCall = [&, swapped = false](const PosixShellFiles::Call& c) mutable {
                if (at == 0 || shellFiles.calls.size() < at || writes(c.what) || swapped) return;
                swapped = true;
                posix::mapDrive('E', (root / "anderer").string());
            };
            run();
            shellFiles.onCall = nullptr;
            const auto& c = shellFiles.calls;
            if (at == 0) {
                for (calls = c.size(); taken < calls && c[taken].path != "E:\\";) ++taken;
                taken += 3;
                for (std::size_t i = 0; i < calls; ++i) lastWrite = writes(c[i].what) && c[i].what != "write" ? i + 1 : lastWrite;
                EXPECT_EQ(snapshotOf(root / "E" / "3" / "P1").size(), 5u);
                continue;
            }
            EXPECT_EQ(snapshotOf(root / "anderer"), other);
            expectEveryWriteChecked("E:\\");
            if (at < lastWrite) EXPECT_NE(window.text(Ctl::mmo1).find("gewechselt"), std::string::npos);
            if (HasFailure()) return;
        }
    }
}

}  // namespace
}  // namespace zb::test
