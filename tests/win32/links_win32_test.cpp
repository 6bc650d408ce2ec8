// The autostart value and the desktop shortcut against the real registry and
// shell link object.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include "../contract/contract_util.h"
#include "win32/handles_win32.h"
#include "win32/shell_win32.h"
#include "win32/text_win32.h"
#include "registry_util.h"
#include "core/shell/links.h"

namespace zb {
namespace {

const std::string kFolders = std::string(kExplorerKey) + "\\Shell Folders";
// Where the shell keeps the user's folders; it rewrites "Shell Folders" from here.
const std::string kUserFolders = std::string(kExplorerKey) + "\\User Shell Folders";

std::optional<std::string> runValue() { return test::regString(HKEY_CURRENT_USER, kRunKey, "ZELKOR Backup"); }

TEST(Win32Autostart, ValueIsWrittenInCodePage1252KeptAndDeleted) {
    test::ScopedRegValue none(HKEY_CURRENT_USER, kRunKey, "ZELKOR Backup", std::nullopt);
    Win32Registry reg;
    AddAutostartEntry(reg, "ZELKOR Backup", "\"C:\\Zelkor Büro\\ZelkorBackup.exe\"");
    EXPECT_EQ(runValue(), "\"C:\\Zelkor B\xFCro\\ZelkorBackup.exe\"");
    AddAutostartEntry(reg, "ZELKOR Backup", "C:\\anders.exe");
    EXPECT_EQ(runValue(), "\"C:\\Zelkor B\xFCro\\ZelkorBackup.exe\"");
    DeleteAutostartEntry(reg, "ZELKOR Backup");
    EXPECT_FALSE(runValue());
    DeleteAutostartEntry(reg, "ZELKOR Backup");
}

TEST(Win32System, ProgramFolderIsTheExecutablesWhateverTheCurrentDirectory) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string expected = fromAnsi(self);
    expected.resize(expected.find_last_of('\\'));
    test::TempDir dir;
    char before[MAX_PATH];
    GetCurrentDirectoryA(sizeof before, before);
    SetCurrentDirectoryA(dir.path().c_str());
    EXPECT_EQ(makeSystem()->programFolder(), expected);
    SetCurrentDirectoryA(before);
    EXPECT_TRUE(makeSystem()->directoryExists(makeSystem()->shellDesktopFolder()));
}

class Win32ShellLink : public ::testing::Test {
protected:
    // The shortcut goes into a folder of the test's own, never the user's desktop.
    Win32ShellLink() { CreateDirectoryA(toAnsi(desktop).c_str(), nullptr); }

    ComApartment com;
    test::TempDir dir;
    std::string desktop = dir.path() + "\\Schreibtisch Ä";
    test::ScopedRegValue userDesktop{HKEY_CURRENT_USER, kUserFolders, "Desktop", toAnsi(desktop)};
    test::ScopedRegValue shownDesktop{HKEY_CURRENT_USER, kFolders, "Desktop", toAnsi(desktop)};
    Win32Registry reg;
    Win32ShellLinkFactory links;
    std::unique_ptr<ISystem> sys = makeSystem();
};

TEST_F(Win32ShellLink, SavedTwiceAndReadBack) {
    const std::string exe = sys->programFolder() + "\\contract_tests.exe";
    const std::string work = dir.path() + "\\Büro\\ZelkorBackup";
    const std::string lnk = desktop + "\\ZelkorBackup.lnk";
    EXPECT_EQ(CreateShellLink(links, reg, *sys, exe, work, "", "ZELKOR Backup"), lnk);
    EXPECT_EQ(CreateShellLink(links, reg, *sys, exe, work, "", "ZELKOR Backup"), lnk);

    ComPtr<IShellLinkA> link;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                              reinterpret_cast<void**>(link.put())));
    ComPtr<IPersistFile> file;
    ASSERT_HRESULT_SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put())));
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_UTF8, 0, lnk.c_str(), -1, wide, MAX_PATH);
    ASSERT_HRESULT_SUCCEEDED(file->Load(wide, STGM_READ));
    char buf[MAX_PATH] = {};
    link->GetPath(buf, sizeof buf, nullptr, SLGP_RAWPATH);
    EXPECT_EQ(fromAnsi(buf), exe);
    link->GetWorkingDirectory(buf, sizeof buf);
    EXPECT_EQ(fromAnsi(buf), work);
    link->GetDescription(buf, sizeof buf);
    EXPECT_STREQ(buf, "ZELKOR Backup");
    link->GetArguments(buf, sizeof buf);
    EXPECT_STREQ(buf, "");
}

}  // namespace
}  // namespace zb
