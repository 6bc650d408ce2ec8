// A backup run started from the tray menu of the real program, onto two
// targets on the drive letters M: and N: (folders of the test run).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "../contract/contract_util.h"
#include "core/space_rules.h"
#include "core/weekday_record.h"
#include "driver.h"
#include "platform/ports.h"

namespace zb::e2e {
namespace {

namespace fs = std::filesystem;

std::string shortDateToday() {
    char buf[64] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buf, sizeof buf);
    return buf;
}

int isoWeekdayToday() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return st.wDayOfWeek == 0 ? 7 : st.wDayOfWeek;
}

// Chooses "Backup durchführen", the second item of the tray menu.
void chooseBackupNow(App& app) {
    app.trayNotify(WM_RBUTTONDOWN_);
    HWND menu = app.waitPopupMenu();
    ASSERT_TRUE(menu);
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
}

TEST(RunE2E, BackupFromTheTrayMenuRotatesOverTwoDrives) {
    // The drive letters are folders that the test runner maps; elsewhere M:
    // could be a real drive.
    if (!std::getenv("ZB_TARGET_DRIVES")) GTEST_SKIP() << "no test drives M: and N:";
    ASSERT_TRUE(fs::is_directory("M:\\") && fs::is_directory("N:\\"));
    Sandbox sb;
    const std::string source = sb.makeFolder("Quelle");
    fs::create_directories(source + "\\unter");
    std::ofstream(source + "\\brief.txt") << "Hallo";
    std::ofstream(source + "\\unter\\tief.txt") << "tief";
    SetFileAttributesA((source + "\\brief.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    const std::string wd = std::to_string(isoWeekdayToday());
    fs::remove_all("M:\\" + wd);
    fs::create_directories("N:\\Sicherung\\" + wd + "\\P1\\alt");  // last week's backup on N:
    // A start time far from now, so that no scheduled run interferes.
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char start[16];
    std::snprintf(start, sizeof start, "%02d:00:00", (now.wHour + 12) % 24);
    sb.writeIni("[Backup]\r\nMon=1\r\nDie=1\r\nMit=1\r\nDon=1\r\nFre=1\r\nSam=1\r\nSon=1\r\nP1A=1\r\nP1P=" + source +
                "\r\nTAR1=M:\\\r\nTAR2=N:\\Sicherung\r\nZEI=" + std::string(start) + "\r\n");

    App app(sb.appData());
    app.main();
    ASSERT_TRUE(app.waitMainVisible(false));

    chooseBackupNow(app);
    ASSERT_TRUE(app.waitMainVisible(true));
    EXPECT_TRUE(app.waitText(Ctl::pnTitle, "Backup läuft... Bitte warten", 2s));
    EXPECT_FALSE(app.controlEnabled(Ctl::btnQuit));
    ASSERT_TRUE(app.waitMainVisible(false, 30s));  // back in the tray when done

    const std::string n = "N:\\Sicherung\\" + wd + "\\P1\\";
    EXPECT_FALSE(fs::exists(n + "alt"));
    EXPECT_TRUE(fs::exists(n + "brief.txt"));
    EXPECT_TRUE(GetFileAttributesA((n + "brief.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(fs::exists(n + "unter\\tief.txt"));
    std::string ini = sb.readIni();
    EXPECT_NE(ini.find("redundanz=2\r\n"), std::string::npos) << ini;
    EXPECT_TRUE(app.controlEnabled(Ctl::btnQuit));

    // The next run takes target 1, where today's folder does not exist yet.
    chooseBackupNow(app);
    ASSERT_TRUE(app.waitMainVisible(true));
    ASSERT_TRUE(app.waitMainVisible(false, 30s));
    EXPECT_TRUE(fs::exists("M:\\" + wd + "\\P1\\unter\\tief.txt"));
    ini = sb.readIni();
    EXPECT_NE(ini.find("redundanz=1\r\n"), std::string::npos) << ini;
    const std::string report = "Sicherung vom " + wd + " nicht gelöscht";
    EXPECT_NE(ini.find("[Errors]\r\n" + shortDateToday() + "=" + toAnsi(report) + "\r\n"), std::string::npos) << ini;
    EXPECT_EQ(withoutHeaders(app.text(Ctl::mmo1)), report + ": " + shortDateToday() + "\r\n");
}

// A run killed while it deletes last week's backup: the next start names
// the target and the weekday folder, in the balloon and in the pane.
TEST(RunE2E, ARunKilledDuringTheDeletionIsToldWithItsTargetAtTheNextStart) {
    if (!std::getenv("ZB_TARGET_DRIVES")) GTEST_SKIP() << "no test drive M:";
    Sandbox sb;
    const std::string source = sb.makeFolder("Quelle");
    std::ofstream(source + "\\brief.txt") << "Hallo";
    const std::string wd = std::to_string(isoWeekdayToday());
    fs::remove_all("M:\\" + wd);
    fs::create_directories("M:\\" + wd + "\\P1\\alt");
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char start[16];
    std::snprintf(start, sizeof start, "%02d:00:00", (now.wHour + 12) % 24);
    sb.writeIni("[Backup]\r\nMon=1\r\nDie=1\r\nMit=1\r\nDon=1\r\nFre=1\r\nSam=1\r\nSon=1\r\nP1A=1\r\nP1P=" + source +
                "\r\nTAR1=M:\\\r\nZEI=" + std::string(start) + "\r\n");
    {
        App app(sb.appData());
        app.main();
        ASSERT_TRUE(app.waitMainVisible(false));
        chooseBackupNow(app);
        ASSERT_TRUE(app.waitText(Ctl::pnTitle, "Lösche alte Sicherung...", 15s));
    }  // killed here, as a power loss would end it
    const std::string mark = sb.iniValue("Status", "Laeuft");
    ASSERT_GE(mark.size(), 19u) << sb.readIni();
    EXPECT_EQ(mark.substr(19), " 1 M:\\" + wd);
    const std::string started = mark.substr(0, 19);

    App again(sb.appData());
    auto balloon = waitBalloon();
    const std::string since = "vom " + shortDate(fromStamp(started)) + " " + started.substr(11, 5);
    ASSERT_TRUE(balloon);
    EXPECT_EQ(balloon->text, "Sicherung unvollständig: Die Sicherung " + since + " wurde nicht beendet. Der Ordner M:\\" +
                                 wd + " auf Ziellaufwerk 1 ist unvollständig oder fehlt. Einzelheiten im Protokoll.");
    again.screenshot(balloon->hwnd, "balloon-not-ended");
    EXPECT_EQ(again.text(Ctl::mmo1), "Meldungen der letzten Sicherung " + since + ":\r\nSicherung " + since +
                                         " nicht beendet: Computer oder Programm wurde während der Sicherung beendet. "
                                         "Der Ordner M:\\" + wd + " auf Ziellaufwerk 1 ist unvollständig oder fehlt: " +
                                         shortDateToday() + "\r\n");
    EXPECT_EQ(sb.iniValue("Status", "Ziel"), "1");
    EXPECT_EQ(sb.iniValue("Status", "Laeuft"), "");
}

// The file work of these tests goes through the wide calls with "\\?\":
// the names are of every script and the paths longer than 260 characters.
std::wstring wide(const std::string& utf8) {
    std::wstring w(utf8.size() + 1, L'\0');
    w.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), int(w.size()))));
    return L"\\\\?\\" + w;
}
void writeFile(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}
std::optional<std::string> readFile(const std::string& path) {
    HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes(1 << 20, '\0');
    DWORD got = 0;
    std::string all;
    while (ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got > 0) all.append(bytes, 0, got);
    CloseHandle(h);
    return all;
}

// A source folder for one run and a start time far from now, so that no
// scheduled run interferes; the run goes onto target 1 only.
void prepareRun(Sandbox& sb, const std::string& source, const std::string& target) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char start[16];
    std::snprintf(start, sizeof start, "%02d:00:00", (now.wHour + 12) % 24);
    sb.writeIni("[Backup]\r\nMon=1\r\nDie=1\r\nMit=1\r\nDon=1\r\nFre=1\r\nSam=1\r\nSon=1\r\nP1A=1\r\nP1P=" + source +
                "\r\nTAR1=" + target + "\r\nZEI=" + std::string(start) + "\r\n");
}

void runOnce(App& app) {
    app.main();
    ASSERT_TRUE(app.waitMainVisible(false));
    chooseBackupNow(app);
    ASSERT_TRUE(app.waitMainVisible(true));
    ASSERT_TRUE(app.waitMainVisible(false, 60s));
}

// NurAenderungen=1: last week's weekday folder is brought level with the
// changed source, and a file that did not change is not written again (its
// copy was given other bytes of the same size and time, which stay).
TEST(RunE2E, AKeptWeekdayFolderIsBroughtLevel) {
    if (!std::getenv("ZB_TARGET_DRIVES")) GTEST_SKIP() << "no test drives M: and N:";
    Sandbox sb;
    const std::string source = sb.makeFolder("Quelle");
    const std::string p1 = "M:\\Behalten\\" + std::to_string(isoWeekdayToday()) + "\\P1\\";
    fs::remove_all("M:\\Behalten");
    fs::create_directories(p1 + "weg");
    for (const char* f : {"gleich.txt", "neu.txt", "anders.txt"}) writeFile(source + "\\" + f, f);
    for (const char* f : {"gleich.txt", "anders.txt", "weg\\x.txt", "alt.txt"}) writeFile(p1 + f, "alt");
    writeFile(p1 + "gleich.txt", "GLEICH.TXT");
    {  // to the 100 ns, as a copy keeps it (the library's call keeps whole seconds)
        FILETIME t{};
        HANDLE from = CreateFileW(wide(source + "\\gleich.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        HANDLE to = CreateFileW(wide(p1 + "gleich.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                                nullptr);
        ASSERT_TRUE(GetFileTime(from, nullptr, nullptr, &t) && SetFileTime(to, nullptr, nullptr, &t));
        CloseHandle(from), CloseHandle(to);
    }
    prepareRun(sb, source, "M:\\Behalten");
    sb.writeIni(sb.readIni() + "NurAenderungen=1\r\n");

    App app(sb.appData());
    runOnce(app);
    EXPECT_EQ(readFile(p1 + "gleich.txt"), "GLEICH.TXT");
    EXPECT_EQ(readFile(p1 + "anders.txt"), "anders.txt");
    EXPECT_EQ(readFile(p1 + "neu.txt"), "neu.txt");
    EXPECT_FALSE(fs::exists(p1 + "weg") || fs::exists(p1 + "alt.txt"));
    EXPECT_EQ(withoutHeaders(app.text(Ctl::mmo1)), "");
    EXPECT_EQ(app.text(Ctl::pnTitle), "Sichere " + source + "... (3 Dateien geprüft, 2 kopiert)");
    const auto record = parseWeekdayRecord(
        readFile("M:\\Behalten\\" + std::to_string(isoWeekdayToday()) + "\\Sicherungsangaben.txt").value_or(""));
    EXPECT_TRUE(record && record->state == RecordState::Complete && record->sid.rfind("S-1-5-", 0) == 0);
}

// A weekday folder that another account's run wrote is neither deleted nor
// written, and the log says whose it is and what to do.
TEST(RunE2E, AnotherAccountsWeekdayFolderIsLeftAsItIs) {
    if (!std::getenv("ZB_TARGET_DRIVES")) GTEST_SKIP() << "no test drives M: and N:";
    Sandbox sb;
    const std::string source = sb.makeFolder("Quelle"), W = "M:\\Fremd\\" + std::to_string(isoWeekdayToday());
    writeFile(source + "\\neu.txt", "neu");
    fs::remove_all("M:\\Fremd");
    fs::create_directories(W + "\\P1");
    writeFile(W + "\\P1\\alt.txt", "alt");
    const std::string record = formatWeekdayRecord(
        {"BUERO\\bernd", "S-1-5-21-9-9-9-1002", "BUERO", 1, {2026, 12, 1, 22, 0, 0}, RecordState::Complete});
    writeFile(W + "\\Sicherungsangaben.txt", record);
    prepareRun(sb, source, "M:\\Fremd");
    char user[256] = {};
    DWORD size = sizeof user;
    ASSERT_TRUE(GetUserNameA(user, &size));

    App app(sb.appData());
    runOnce(app);
    EXPECT_EQ(readFile(W + "\\P1\\alt.txt"), "alt");
    EXPECT_EQ(readFile(W + "\\Sicherungsangaben.txt"), record);
    EXPECT_FALSE(fs::exists(W + "\\P1\\neu.txt"));
    EXPECT_EQ(withoutHeaders(app.text(Ctl::mmo1)),
              "Sicherung auf M:\\Fremd nicht ausgeführt: Der Ordner " + W + " enthält die Sicherung des Kontos "
              "BUERO\\bernd auf dem Computer BUERO und wird weder gelöscht noch beschrieben. Damit jedes Konto seine "
              "eigene Sicherung hat, bitte für jedes Konto einen eigenen Ordner als Ziellaufwerk eintragen, zum "
              "Beispiel M:\\Fremd\\" + std::string(user) + ": " + shortDateToday() + "\r\n");
}

// Names the shell's ANSI world cannot hold, a tree deeper than 260
// characters and a mailbox that another program holds open without sharing:
// everything is backed up but the mailbox, and the log names it.
TEST(RunE2E, OddNamesDeepPathsAndAFileInUse) {
    if (!std::getenv("ZB_TARGET_DRIVES")) GTEST_SKIP() << "no test drives M: and N:";
    Sandbox sb;
    const std::string source = sb.makeFolder("Quelle");
    std::vector<std::string> files = {"brief.txt", "Ελληνικά.txt", "日本語 メモ.txt", "😀 Notiz.txt"};
    std::string deep;
    for (char c = 'a'; c < 'k'; ++c) {
        deep += std::string(30, c) + "\\";
        ASSERT_TRUE(CreateDirectoryW(wide(source + "\\" + deep).c_str(), nullptr)) << deep;
    }
    files.push_back(deep + "tief.txt");
    for (const auto& f : files) writeFile(source + "\\" + f, "Inhalt von " + f);
    writeFile(source + "\\post.pst", "Post");
    // This test is the other program: it holds the mailbox open, sharing nothing.
    HANDLE mailbox = CreateFileW(wide(source + "\\post.pst").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(mailbox, INVALID_HANDLE_VALUE);
    const std::string wd = std::to_string(isoWeekdayToday());
    fs::remove_all("M:\\" + wd);
    prepareRun(sb, source, "M:\\");

    const std::string events = sb.path() + "\\stderr.txt";
    App app(sb.appData(), true, Launch{{"WINEDEBUG=-all,+eventlog"}, events});
    SYSTEMTIME before{}, after{};
    GetLocalTime(&before);
    runOnce(app);
    GetLocalTime(&after);
    auto balloon = waitBalloon();
    CloseHandle(mailbox);

    for (const auto& f : files) EXPECT_EQ(readFile("M:\\" + wd + "\\P1\\" + f), "Inhalt von " + f) << f;
    EXPECT_FALSE(readFile("M:\\" + wd + "\\P1\\post.pst"));
    const std::string report = "Sicherung von " + source + "\\ unvollständig: 1 von 6 Dateien fehlt: " + source +
                               "\\post.pst (Datei wird von einem anderen Programm verwendet)";
    EXPECT_EQ(withoutHeaders(app.text(Ctl::mmo1)), "Sicherung vom " + wd + " nicht gelöscht: " + shortDateToday() + "\r\n" + report +
                                       ": " + shortDateToday() + "\r\n");
    const std::string ini = sb.readIni();
    EXPECT_NE(ini.find(shortDateToday() + "=" + toAnsi(report) + "\r\n"), std::string::npos) << ini;

    // Outside the window: section Status, the tray's balloon and the event log.
    const std::string started = sb.iniValue("Status", "Letzte");
    ASSERT_EQ(started.size(), 19u) << sb.readIni();
    EXPECT_GE(started, stamp(before));
    EXPECT_LE(started, stamp(after));
    EXPECT_EQ(sb.iniValue("Status", "Ergebnis"), "unvollst\xE4ndig");
    EXPECT_EQ(sb.iniValue("Status", "Ziel"), "1");
    EXPECT_EQ(sb.iniValue("Status", "Fehlend"), "1");
    EXPECT_EQ(sb.iniValue("Status", "LetzteVollstaendige"), "");
    EXPECT_GE(sb.iniValue("Status", "Aktiv"), started);
    EXPECT_LE(sb.iniValue("Status", "Aktiv"), stamp(after));
    const std::string outcome = "Sicherung unvollständig am " + shortDate(fromStamp(started)) + " " +
                                started.substr(11, 5) + " auf Ziellaufwerk 1: 1 Datei fehlt. Einzelheiten im Protokoll.";
    ASSERT_TRUE(balloon);
    EXPECT_EQ(balloon->text, outcome);
    app.screenshot(balloon->hwnd, "balloon-incomplete");
    if (std::getenv("WINELOADER")) {  // Windows keeps its events in its own log
        const std::string event = "Sicherung unvollständig am " + shortDate(fromStamp(started)) + " " +
                                  started.substr(11, 5) + " auf Ziellaufwerk 1 (M:\\), fehlende Dateien: 1, nicht gesicherte Pfade: 0. Erste Meldung: " +
                                  report;
        const std::string on = "Sicherung an diesen Wochentagen um " + sb.iniValue("Backup", "ZEI").substr(0, 5) +
                               " Uhr: Montag, Dienstag, Mittwoch, Donnerstag, Freitag, Samstag, Sonntag";
        const std::string head = wineEvent("trace", on) + wineEvent("trace", "Sicherung vom " + wd + " nicht gelöscht") +
                                 wineEvent("warn", report);
        const std::string all = wineEvents(events), last = wineEvent("warn", event);
        // Wine cuts a long insertion string short.
        EXPECT_EQ(all.substr(0, head.size()), head);
        EXPECT_EQ(all.substr(head.size(), 200), last.substr(0, 200));
    }
}

// A stick pulled while the shell copies from it: what did not get across is
// not taken for files the user deleted, and the run is not complete.
TEST(RunE2E, ASourcePulledDuringTheCopyIsNotComplete) {
    const char* pulled = std::getenv("ZB_PULLED_DRIVE");
    if (!pulled || !std::getenv("ZB_TARGET_DRIVES")) GTEST_SKIP() << "no drive to pull: not run by the Wine test runner";
    Sandbox sb;
    const std::string source = std::string(pulled) + ":\\Stick";
    // Enough files that the shell is still at work when the drive goes.
    for (int f = 0; f < 2000; ++f) {
        fs::create_directories(source + "\\d" + std::to_string(10 + f / 100));
        writeFile(source + "\\d" + std::to_string(10 + f / 100) + "\\" + std::to_string(f) + ".txt", "Inhalt");
    }
    const std::string wd = std::to_string(isoWeekdayToday());
    const std::string target = "M:\\Abgezogen\\";
    fs::create_directories(target);
    prepareRun(sb, source, target);
    const std::string events = sb.path() + "\\stderr.txt";
    App app(sb.appData(), true, Launch{{"WINEDEBUG=-all,+eventlog"}, events});
    app.main();
    ASSERT_TRUE(app.waitMainVisible(false));
    chooseBackupNow(app);
    ASSERT_TRUE(waitFor([&] { return fs::exists(target + wd + "\\P1\\d11"); }, 60s));
    writeFile(std::string(std::getenv("ZB_SCRATCH_DRIVE")) + ":\\.abziehen", "");
    ASSERT_TRUE(waitFor([&] { return GetFileAttributesA((source + "\\").c_str()) == INVALID_FILE_ATTRIBUTES; }, 5s));
    ASSERT_TRUE(app.waitMainVisible(false, 120s));
    ASSERT_FALSE(fs::exists(target + wd + "\\P1\\d29\\1999.txt"));  // the drive went before the end

    const std::string report = "Quelle " + source + "\\ während der Sicherung nicht mehr erreichbar: Sicherung nach " +
                               target + wd + "\\P1\\ unvollständig";
    EXPECT_NE(app.text(Ctl::mmo1).find(report), std::string::npos) << app.text(Ctl::mmo1);
    EXPECT_EQ(sb.iniValue("Status", "Ergebnis"), "unvollst\xE4ndig");
    const auto balloon = waitBalloon();
    ASSERT_TRUE(balloon);
    EXPECT_EQ(balloon->text.rfind("Sicherung unvollständig am ", 0), 0u) << balloon->text;
    if (std::getenv("WINELOADER")) {
        const std::string line = wineEvent("warn", "Erste Meldung: " + report);  // as Wine escapes it
        const std::string inner = line.substr(line.find('"') + 1, line.size() - line.find('"') - 3);
        EXPECT_NE(wineEvents(events).find(inner + "\"\n"), std::string::npos) << wineEvents(events);
    }
}

// The target stick pulled during the first source's copy: the later source
// and the end of the log say why, and that last week's folder is gone.
TEST(RunE2E, APulledTargetIsToldInTrueWords) {
    const char* pulled = std::getenv("ZB_PULLED_DRIVE");
    if (!pulled || !std::getenv("ZB_TARGET_DRIVES")) GTEST_SKIP() << "no drive to pull: not run by the Wine test runner";
    const std::string scratch = std::string(std::getenv("ZB_SCRATCH_DRIVE")) + ":\\", drive = std::string(pulled) + ":\\";
    const std::string target = drive + "Sicherung", W = target + "\\" + std::to_string(isoWeekdayToday());
    writeFile(scratch + ".einlegen", "");
    ASSERT_TRUE(waitFor([&] { return GetFileAttributesA(drive.c_str()) != INVALID_FILE_ATTRIBUTES; }, 5s));
    fs::remove_all(target), fs::create_directories(W + "\\P1");
    Sandbox sb;
    const std::string source = sb.makeFolder("Viele"), second = sb.makeFolder("Zweite");
    for (int f = 0; f < 2000; ++f) {
        fs::create_directories(source + "\\d" + std::to_string(10 + f / 100));
        writeFile(source + "\\d" + std::to_string(10 + f / 100) + "\\" + std::to_string(f) + ".txt", "Inhalt");
    }
    prepareRun(sb, source, target);
    sb.writeIni(sb.readIni() + "P2A=1\r\nP2P=" + second + "\r\n");
    App app(sb.appData());
    app.main();
    ASSERT_TRUE(app.waitMainVisible(false));
    chooseBackupNow(app);
    ASSERT_TRUE(waitFor([&] { return fs::exists(W + "\\P1\\d11"); }, 60s));
    writeFile(scratch + ".abziehen", "");
    ASSERT_TRUE(app.waitMainVisible(false, 120s));
    const std::string log = app.text(Ctl::mmo1), gone = " nicht mehr erreichbar", end = ": " + shortDateToday() + "\r\n";
    for (const std::string& line : {"Sicherung von " + source + "\\ unvollständig: Ziel " + W + "\\P1\\" + gone + ", ",
                                    "Sicherung von " + second + " nicht ausgeführt: Ziellaufwerk " + target + gone + end,
                                    "Ziellaufwerk " + target + " während der Sicherung" + gone + ": Der Wochentagsordner " +
                                        W + " ist unvollständig, die vorige Sicherung dieses Wochentags wurde zu Beginn "
                                            "gelöscht" + end})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    writeFile(scratch + ".einlegen", "");
}

// Names outside the ANSI code page on a user's whole road: a Cyrillic folder
// typed, activated, kept over a restart and backed up onto a Greek one whose
// last name is two full-width dots (best fit would have made ".." of them);
// a file in it that cannot be copied is named as it is.
TEST(RunE2E, AFolderOfAnyScriptIsTypedKeptBackedUpAndItsFileNamed) {
    if (!std::getenv("ZB_TARGET_DRIVES")) GTEST_SKIP() << "no test drives M: and N:";
    Sandbox sb;
    const std::string source = sb.path() + "\\Документы Łódź", target = "N:\\Σίγουρα\\．．";
    const std::string wd = std::to_string(isoWeekdayToday());
    fs::remove_all(wide("N:\\Σίγουρα"));
    fs::remove_all("N:\\" + wd);
    for (const std::string& folder : {source, std::string("N:\\Σίγουρα"), target})
        ASSERT_TRUE(CreateDirectoryW(wide(folder).c_str(), nullptr)) << folder;
    writeFile(source + "\\Отчёт Größe ß.txt", "Inhalt");
    writeFile(source + "\\Заметка.pst", "Post");
    HANDLE held = CreateFileW(wide(source + "\\Заметка.pst").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    sb.writeIni("[Backup]\r\nZEI=" + std::to_string((now.wHour + 12) % 24) + ":00:00\r\n");  // no run of its own
    {
        App app(sb.appData());
        ASSERT_TRUE(app.waitMainVisible(true));
        app.click(Ctl::cbMo);
        app.click(Ctl::cbPfad1);
        app.setText(Ctl::edPfad1, source);
        app.setText(Ctl::edTarget1, target);
        EXPECT_EQ(app.text(Ctl::edPfad1), source);
        app.paintNow();
        app.screenshot(app.main(), "names-typed");
        app.click(Ctl::btnActive);
        ASSERT_TRUE(app.waitMainVisible(false));
    }
    const std::string unicode = test::utf16File("\r\nP1P=" + source + "\r\n").substr(2);
    EXPECT_EQ(sb.readIni().rfind("\xFF\xFE[", 0), 0u);
    EXPECT_NE(sb.readIni().find(unicode), std::string::npos);

    App app(sb.appData());
    EXPECT_EQ(app.text(Ctl::edPfad1), source);
    EXPECT_EQ(app.text(Ctl::edTarget1), target);
    runOnce(app);
    CloseHandle(held);
    EXPECT_EQ(readFile(target + "\\" + wd + "\\P1\\Отчёт Größe ß.txt"), "Inhalt");
    EXPECT_FALSE(fs::exists("N:\\" + wd));
    const std::string report = "Sicherung von " + source + "\\ unvollständig: 1 von 2 Dateien fehlt: " + source +
                               "\\Заметка.pst (Datei wird von einem anderen Programm verwendet)";
    EXPECT_EQ(withoutHeaders(app.text(Ctl::mmo1)), "Sicherung vom " + wd + " nicht gelöscht: " + shortDateToday() + "\r\n" + report +
                                       ": " + shortDateToday() + "\r\n");
    EXPECT_NE(sb.readIni().find(test::utf16File(shortDateToday() + "=" + report).substr(2)), std::string::npos);
    app.trayNotify(WM_LBUTTONDOWN_);
    ASSERT_TRUE(app.waitMainVisible(true));
    app.paintNow();
    app.screenshot(app.main(), "names-after-run");
}

const char* smallDrive() {
    const char *drive = std::getenv("ZB_FULL_DRIVE"), *why = std::getenv("ZB_FULL_DRIVE_SKIPPED");
    if (!drive) std::printf("no small drive: %s\n", why ? why : "not run by the Wine test runner");
    return drive;
}

// A backup that cannot fit on the 2 MB drive: last week's folder stays as it
// was, and the run says why it did not start.
TEST(RunE2E, ABackupThatCannotFitDeletesNothing) {
    const char* small = smallDrive();
    if (!small) GTEST_SKIP();
    const std::string drive = std::string(small) + ":\\", wd = std::to_string(isoWeekdayToday());
    fs::remove_all(drive + wd), fs::remove(drive + "Fremd.bin");
    fs::create_directories(drive + wd + "\\P1");
    writeFile(drive + wd + "\\P1\\alt.txt", std::string(100 * 1024, 'a'));
    Sandbox sb;
    const std::string source = sb.makeFolder("Gross");
    for (const char* n : {"a.bin", "b.bin", "c.bin", "d.bin"}) writeFile(source + "\\" + n, std::string(700 * 1024, n[0]));
    prepareRun(sb, source, drive);
    DiskSpace d;
    ASSERT_EQ(makeShellFiles()->diskSpace(drive, d.freeBytes, d.totalBytes, d.clusterBytes), 0u);
    const std::uint32_t c = d.clusterBytes;

    App app(sb.appData());
    runOnce(app);
    EXPECT_EQ(readFile(drive + wd + "\\P1\\alt.txt"), std::string(100 * 1024, 'a'));
    EXPECT_FALSE(fs::exists(drive + wd + "\\P1\\a.bin"));
    const std::uint64_t needed = 4 * allocated(700 * 1024, c) + allocated(1, c) + kSpaceReserve,
                        old = allocated(100 * 1024, c) + 2 * allocated(1, c);
    EXPECT_EQ(withoutHeaders(app.text(Ctl::mmo1)), "Sicherung passt nicht auf Ziellaufwerk " + drive + ": " + sizeText(needed, true) +
                                       " benötigt, " + sizeText(d.freeBytes + old, false) + " frei, davon " +
                                       sizeText(old, false) + " aus der vorigen Sicherung " + drive + wd +
                                       ". Nichts gesichert, die vorige Sicherung bleibt erhalten: " + shortDateToday() +
                                       "\r\n");
}

// A backup that fits by the estimate, but another program fills the drive
// while last week's folder is deleted: the room read again before the first
// copy tells, and nothing is copied into a drive that cannot hold it.
TEST(RunE2E, AFullTargetIsReported) {
    const char* small = smallDrive();
    if (!small) GTEST_SKIP();
    const std::string drive = std::string(small) + ":\\", wd = std::to_string(isoWeekdayToday());
    fs::remove_all(drive + wd), fs::remove(drive + "Fremd.bin");
    fs::create_directories(drive + wd + "\\P1");
    writeFile(drive + wd + "\\P1\\alt.bin", std::string(900 * 1024, 'a'));
    Sandbox sb;
    const std::string source = sb.makeFolder("Gross");
    const char* names[] = {"a.bin", "b.bin", "c.bin"};
    for (const char* n : names) writeFile(source + "\\" + n, std::string(256 * 1024, n[0]));  // 768 KB
    prepareRun(sb, source, drive);

    App app(sb.appData());
    app.main();
    ASSERT_TRUE(app.waitMainVisible(false));
    chooseBackupNow(app);
    ASSERT_TRUE(app.waitText(Ctl::pnTitle, "Lösche alte Sicherung...", 20s));
    ASSERT_TRUE(waitFor([&] { return !fs::exists(drive + wd); }, 4s));
    writeFile(drive + "Fremd.bin", std::string(1600 * 1024, 'f'));
    ASSERT_TRUE(app.waitMainVisible(false, 60s));

    // The room is read again before the first copy: nothing is copied, and
    // the report says how little is left and where last week's folder went.
    for (const char* n : names) EXPECT_FALSE(fs::exists(drive + wd + "\\P1\\" + n)) << n;
    const std::string log = app.text(Ctl::mmo1);
    const std::string pre = "Sicherung passt nicht auf Ziellaufwerk " + drive + ": ";
    const auto at = log.find(pre);
    EXPECT_NE(at, std::string::npos) << log;
    EXPECT_NE(log.find(" benötigt, nach dem Löschen der vorigen Sicherung nur ", at), std::string::npos) << log;
    EXPECT_NE(log.find(" frei. Nichts gesichert; die vorige Sicherung " + drive + wd + " ", at), std::string::npos) << log;
    EXPECT_EQ(sb.iniValue("Status", "Ergebnis"), "fehlgeschlagen");
}

// A camera card swapped under its letter while the run copies from it: the
// other card's photos are not taken for the first one's, nothing of it is
// called deleted, and the run is not complete.
TEST(RunE2E, ASourceCardSwappedDuringTheCopyIsNotComplete) {
    const char* scratch = std::getenv("ZB_SCRATCH_DRIVE");
    if (!scratch || !std::getenv("ZB_PULLED_DRIVE")) GTEST_SKIP() << "no card to swap: not run by the Wine test runner";
    writeFile(std::string(scratch) + ":\\.einlegen", "");  // the first card, also after a stick was pulled
    ASSERT_TRUE(waitFor([&] { return GetFileAttributesA("W:\\") != INVALID_FILE_ATTRIBUTES; }, 5s));
    Sandbox sb;
    const std::string source = "W:\\DCIM";
    for (int f = 0; f < 2000; ++f) {
        fs::create_directories(source + "\\d" + std::to_string(10 + f / 100));
        writeFile(source + "\\d" + std::to_string(10 + f / 100) + "\\" + std::to_string(f) + ".jpg", "Foto");
    }
    fs::create_directories("X:\\DCIM\\d10");  // the other card, at W: once swapped
    for (const char* f : {"fremd1.jpg", "fremd2.jpg", "d10\\fremd3.jpg"}) writeFile(std::string("X:\\DCIM\\") + f, "fremd");
    const std::string wd = std::to_string(isoWeekdayToday());
    const std::string target = "M:\\Karte\\";
    fs::create_directories(target);
    prepareRun(sb, source, target);
    App app(sb.appData());
    app.main();
    ASSERT_TRUE(app.waitMainVisible(false));
    chooseBackupNow(app);
    ASSERT_TRUE(waitFor([&] { return fs::exists(target + wd + "\\P1\\d11"); }, 60s));
    writeFile(std::string(scratch) + ":\\.wechseln", "");
    ASSERT_TRUE(waitFor([&] { return fs::exists("W:\\DCIM\\fremd1.jpg"); }, 5s));
    ASSERT_TRUE(app.waitMainVisible(false, 120s));

    EXPECT_EQ(withoutHeaders(app.text(Ctl::mmo1)), "Sicherung vom " + wd + " nicht gelöscht: " + shortDateToday() + "\r\nQuelle " +
                                       source + "\\ während der Sicherung gewechselt: Sicherung nach " + target + wd +
                                       "\\P1\\ unvollständig: " + shortDateToday() + "\r\n");
    EXPECT_EQ(sb.iniValue("Status", "Ergebnis"), "unvollst\xE4ndig");
    EXPECT_EQ(sb.iniValue("Status", "LetzteVollstaendige"), "");
    for (const char* f : {"fremd1.jpg", "d10\\fremd3.jpg"}) EXPECT_FALSE(fs::exists(target + wd + "\\P1\\" + f)) << f;
}

// Kept: a link spelled "p1" in today's weekday folder, which Wine cannot
// take away as the link: the run goes neither into the folder it points at
// nor writes a copy there, and says so.
TEST(RunE2E, AKeptRunNeverGoesThroughALinkSpelledAsItsFolder) {
    const char* scratch = std::getenv("ZB_SCRATCH_DRIVE");
    if (!scratch || !std::getenv("ZB_TARGET_DRIVES")) GTEST_SKIP() << "no link to make: not run by the Wine test runner";
    Sandbox sb;
    const std::string source = sb.makeFolder("Quelle");
    writeFile(source + "\\neu.txt", "neu");
    const std::string wd = std::to_string(isoWeekdayToday());
    fs::remove_all("M:\\Verweis");
    fs::remove_all("M:\\Fremd");
    fs::create_directories("M:\\Verweis\\" + wd);
    fs::create_directories("M:\\Fremd");
    writeFile("M:\\Fremd\\wichtig.txt", "wichtig");
    // Strays that Windows would take for others if their names were
    // normalised: each goes as itself.
    ASSERT_TRUE(CreateDirectoryW(wide("M:\\Verweis\\" + wd + "\\P1.").c_str(), nullptr));
    writeFile("M:\\Verweis\\" + wd + "\\P1.\\x.txt", "x");
    writeFile("M:\\Verweis\\" + wd + "\\Notizen.", "n");
    writeFile(std::string(scratch) + ":\\.verweis", "m/Verweis/" + wd + "/p1\nm/Fremd\n");
    ASSERT_TRUE(waitFor([&] { return fs::exists("M:\\Verweis\\" + wd + "\\p1\\wichtig.txt"); }, 5s));
    prepareRun(sb, source, "M:\\Verweis");
    sb.writeIni(sb.readIni() + "NurAenderungen=1\r\n");

    App app(sb.appData());
    runOnce(app);
    const std::string W = "M:\\Verweis\\" + wd;
    EXPECT_EQ(withoutHeaders(app.text(Ctl::mmo1)), "Redundanzfehler 5, Fehlermeldung: Fehler beim Löschen: " + W + "\\p1 [5]: " +
                                       shortDateToday() + "\r\nDatei kopieren von " + source + "\\ nach " + W +
                                       "\\P1\\ fehlgeschlagen.: " + shortDateToday() + "\r\n");
    EXPECT_EQ(readFile("M:\\Fremd\\wichtig.txt"), "wichtig");
    EXPECT_FALSE(fs::exists("M:\\Fremd\\neu.txt"));
    EXPECT_EQ(GetFileAttributesW(wide(W + "\\P1.").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(wide(W + "\\Notizen.").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(sb.iniValue("Status", "Ergebnis"), "fehlgeschlagen");
}

// Kept: last week's copies that are links (one dangling) are never written
// through: nothing appears or changes outside. Wine cannot take such a link
// away, so the file stays missing and the run is not complete.
TEST(RunE2E, AKeptCopyThatIsALinkIsNeverWrittenThrough) {
    const char* scratch = std::getenv("ZB_SCRATCH_DRIVE");
    if (!scratch || !std::getenv("ZB_TARGET_DRIVES")) GTEST_SKIP() << "no link to make: not run by the Wine test runner";
    Sandbox sb;
    const std::string source = sb.makeFolder("Quelle");
    for (const char* f : {"neu.txt", "alt.txt"}) writeFile(source + "\\" + f, "neu");
    const std::string wd = std::to_string(isoWeekdayToday()), p1 = "M:\\Faden\\" + wd + "\\P1\\";
    fs::remove_all("M:\\Faden");
    fs::remove_all("M:\\Draussen");
    fs::create_directories(p1);
    fs::create_directories("M:\\Draussen");
    writeFile("M:\\Draussen\\alt.txt", "draussen");
    for (const char* link : {"neu.txt\nm/Draussen/neu.txt\n", "alt.txt\nm/Draussen/alt.txt\n"}) {
        writeFile(std::string(scratch) + ":\\.verweis", "m/Faden/" + wd + "/P1/" + link);
        ASSERT_TRUE(waitFor([&] { return !fs::exists(std::string(scratch) + ":\\.verweis"); }, 5s));
    }
    prepareRun(sb, source, "M:\\Faden");
    sb.writeIni(sb.readIni() + "NurAenderungen=1\r\n");
    App app(sb.appData());
    runOnce(app);
    EXPECT_FALSE(fs::exists("M:\\Draussen\\neu.txt")) << app.text(Ctl::mmo1);
    EXPECT_EQ(readFile("M:\\Draussen\\alt.txt"), "draussen") << app.text(Ctl::mmo1);
    EXPECT_NE(sb.iniValue("Status", "Ergebnis"), "vollst\xE4ndig") << app.text(Ctl::mmo1);
}

}  // namespace
}  // namespace zb::e2e
