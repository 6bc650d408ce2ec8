// The first start's autostart entry and documentation page, the remote-support
// button and the desktop shortcut of the real program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "../win32/registry_util.h"
#include "driver.h"

namespace zb::e2e {
namespace {

const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

// The program beside this test, as its autostart command names it.
std::string programCommand() {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    const std::string exe = (std::filesystem::path(self).parent_path() / "ZelkorBackup.exe").string();
    return exe.find(' ') == std::string::npos ? exe : '"' + exe + '"';
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(LinksE2E, FirstStartAddsTheAutostartEntryAndOpensTheDocumentationSilently) {
    Sandbox sb;
    // Stands in for the browser: writes the address it is given into a file.
    const std::string opened = sb.path() + "\\geoeffnet.txt";
    test::ScopedRegValue browser(HKEY_LOCAL_MACHINE, "Software\\Classes\\http\\shell\\open\\command", "",
                                 "C:\\windows\\system32\\cmd.exe /c echo %1> \"" + opened + "\"");
    test::ScopedRegValue run(HKEY_CURRENT_USER, kRun, "ZELKOR Backup", std::nullopt);
    App app(sb.appData());
    ASSERT_TRUE(app.waitMainVisible(true));
    EXPECT_EQ(test::regString(HKEY_CURRENT_USER, kRun, "ZELKOR Backup"), toAnsi(programCommand()));
    EXPECT_TRUE(waitFor([&] { return readFile(opened).starts_with("http://doku.zelkor.de/wiki/index.php/ZELKOR_Backup"); },
                        10s))
        << readFile(opened);
    EXPECT_TRUE(app.noMessageBox());
}

TEST(LinksE2E, RemoteSupportWithoutItsProgramIsSilentAndTheShortcutIsConfirmedTwice) {
    Sandbox sb;
    const std::string desktop = sb.makeFolder("Schreibtisch");
    // The shell rewrites "Shell Folders" from "User Shell Folders": move both.
    test::ScopedRegValue userDesktop(HKEY_CURRENT_USER, kExplorer + "\\User Shell Folders", "Desktop", desktop);
    test::ScopedRegValue shownDesktop(HKEY_CURRENT_USER, kExplorer + "\\Shell Folders", "Desktop", desktop);
    test::ScopedRegValue run(HKEY_CURRENT_USER, kRun, "ZELKOR Backup", std::nullopt);
    App app(sb.appData());
    ASSERT_TRUE(app.waitMainVisible(true));
    ASSERT_FALSE(std::filesystem::exists(std::filesystem::path(programCommand()).parent_path() / "Fernwartung.exe"));
    app.click(Ctl::btnSupport);
    EXPECT_TRUE(app.noMessageBox());

    for (int i = 0; i < 2; ++i) {
        app.clickAsync(Ctl::btnAddDesktop);
        const auto box = app.waitMessageBox();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->caption, "Informationen");
        EXPECT_EQ(box->text, "Verknüpfung erzeugt.");
        EXPECT_EQ(box->buttons, std::vector<std::string>{"OK"});
        if (i == 0) app.screenshot(box->hwnd, "info-link-created");
        app.answer(*box, "OK");
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(desktop + "\\ZelkorBackup.lnk"));
    EXPECT_TRUE(app.noMessageBox());
}

}  // namespace
}  // namespace zb::e2e
