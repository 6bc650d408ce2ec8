// The judgement of a folder's rights that the setup and the uninstaller read back.
#include <gtest/gtest.h>

#include "win32/folder_rights.h"

namespace zb::setup {
namespace {

constexpr char kMe[] = "S-1-5-21-1-2-3-1001";
constexpr char kUsers[] = "S-1-5-32-545";
constexpr char kAuthenticated[] = "S-1-5-11";
const AccessEntry kSystemFull{true, 0x1F01FF, kSystem}, kAdminsFull{true, 0x1F01FF, kAdministrators},
    kUsersReadExecute{true, 0x1200A9, kUsers}, kUsersModifyBelow{true, 0x1301BF, kAuthenticated, true};

TEST(FolderRights, OnlyAdministratorsSystemAndTheOwnAccountMayChange) {
    const struct {
        const char* what;
        std::string owner;
        bool hasDacl;
        std::vector<AccessEntry> dacl;
        bool secure;
        std::string account = kMe;
    } cases[] = {
        {"Program Files' rights", kAdministrators, true, {kSystemFull, kAdminsFull, kUsersReadExecute}, true},
        {"owned by the own account", kMe, true, {kSystemFull, {true, 0x1F01FF, kMe}}, true},
        {"creator owner stands for an administrator", kAdministrators, true, {kAdminsFull, {true, 0x1F01FF, kCreatorOwner}}, true},
        {"users denied writing", kAdministrators, true, {kAdminsFull, {false, 0x1F01FF, kUsers}}, true},
        {"no list at all", kAdministrators, false, {}, false},
        {"owned by a user", kUsers, true, {kAdminsFull}, false},
        {"C:\\ below: authenticated users modify", kAdministrators, true, {kAdminsFull, {true, 0x1301BF, kAuthenticated}}, false},
        {"users may add files", kAdministrators, true, {kAdminsFull, {true, 0x1200AB, kUsers}}, false},
        {"users may change rights", kAdministrators, true, {kAdminsFull, {true, 0x40000, kUsers}}, false},
        {"users generic write", kAdministrators, true, {kAdminsFull, {true, 0x40000000, kUsers}}, false},
        {"an unknown own account is no one", kMe, true, {kAdminsFull}, false, ""},
        {"Program Files as Windows made it", kTrustedInstaller, true,
         {{true, 0x1F01FF, kTrustedInstaller}, {true, 0x1301BF, kSystem}, kUsersReadExecute, kUsersModifyBelow,
          {true, 0x10000000, kCreatorOwner, true}}, true},
        {"users may change only what is created below", kAdministrators, true, {kAdminsFull, kUsersModifyBelow}, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(onlyAdministratorsMayChange(c.owner, c.hasDacl, c.dacl, c.account), c.secure) << c.what;
        EXPECT_EQ(mayHoldInstallation(Place::Other, c.owner, c.hasDacl, c.dacl, c.account), c.secure) << c.what;
    }
}

// A drive's root cannot be renamed or replaced: others may add entries beside
// ours, but not remove, rename or re-point them, nor change its rights.
TEST(FolderRights, ADriveRootOnlyKeepsOthersFromWhatIsInIt) {
    const AccessEntry addFolder{true, 0x0004, kAuthenticated};
    const struct {
        const char* what;
        std::vector<AccessEntry> dacl;
        bool root;
    } cases[] = {
        {"C:\\ as Windows made it", {kSystemFull, kAdminsFull, kUsersReadExecute, addFolder, kUsersModifyBelow}, true},
        {"users may remove what is in it", {kAdminsFull, {true, 0x0040, kUsers}}, false},
        {"users may change its rights", {kAdminsFull, {true, 0x40000, kUsers}}, false},
        {"users full control", {kAdminsFull, {true, 0x10000000, kUsers}}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mayHoldInstallation(Place::DriveRoot, kAdministrators, true, c.dacl, kMe), c.root) << c.what;
        // Below the root the same rights let a user rename the folder itself.
        EXPECT_FALSE(mayHoldInstallation(Place::Other, kAdministrators, true, c.dacl, kMe)) << c.what;
    }
    EXPECT_FALSE(mayHoldInstallation(Place::DriveRoot, kUsers, true, {kAdminsFull}, kMe));
}

// %ProgramData% as Windows makes it, the preset's folder and file as
// Vorgabe.exe makes them; each of what a user could have made instead.
TEST(FolderRights, APresetIsTrustedForWhatItsHandlesAre) {
    const AccessEntry usersAddBelow{true, 0x0006, kUsers}, creatorBelow{true, 0x1F01FF, kCreatorOwner, true};
    const Seen programData{false, true, true, kSystem, true, {kSystemFull, kAdminsFull, kUsersReadExecute, usersAddBelow, creatorBelow}},
        folder{false, true, true, kAdministrators, true, {kSystemFull, kAdminsFull, kUsersReadExecute}},
        file{false, false, true, kAdministrators, true, {kSystemFull, kAdminsFull, kUsersReadExecute}};
    EXPECT_TRUE(presetIsTrusted(programData, folder, file, ""));
    const auto with = [](Seen s, auto change) {
        change(s);
        return s;
    };
    const struct {
        const char* what;
        Seen shared, folder, file;
    } refused[] = {
        {"a junction as the folder", programData, with(folder, [](Seen& s) { s.link = true; }), file},
        {"a link as the file", programData, folder, with(file, [](Seen& s) { s.link = true; })},
        {"%ProgramData% a link", with(programData, [](Seen& s) { s.link = true; }), folder, file},
        {"the folder a user made", programData, with(folder, [](Seen& s) { s.owner = kMe; }), file},
        {"the file users may write", programData, folder, with(file, [](Seen& s) { s.dacl.push_back({true, 0x0002, kUsers}); })},
        {"the folder users may add to", programData, with(folder, [&](Seen& s) { s.dacl.push_back(usersAddBelow); }), file},
        {"users may remove from %ProgramData%", with(programData, [](Seen& s) { s.dacl.push_back({true, 0x0040, kUsers}); }), folder, file},
        {"rights that cannot be read", programData, with(folder, [](Seen& s) { s.readable = false; }), file},
        {"a folder as the file", programData, folder, with(file, [](Seen& s) { s.folder = true; })},
        {"no list at all", programData, folder, with(file, [](Seen& s) { s.hasDacl = false; })},
    };
    for (const auto& c : refused) EXPECT_FALSE(presetIsTrusted(c.shared, c.folder, c.file, "")) << c.what;
    // Elevated, the own account is an administrator (and Wine's owner of everything).
    EXPECT_TRUE(presetIsTrusted(programData, with(folder, [](Seen& s) { s.owner = kMe; }), file, kMe));
}

TEST(FolderRights, OnlyFoldersOnADriveLetterAsWrittenAreInstallationPaths) {
    using Parts = std::vector<std::wstring>;
    EXPECT_EQ(installPathParts(L"C:\\Program Files\\ZELKOR Backup"), (Parts{L"C:\\", L"Program Files", L"ZELKOR Backup"}));
    EXPECT_EQ(installPathParts(L"d:\\Pfad"), (Parts{L"d:\\", L"Pfad"}));
    for (const wchar_t* refused : {L"\\\\server\\share\\Pfad", L"\\\\?\\UNC\\server\\share", L"\\\\?\\C:\\Pfad",
                                   L"\\\\.\\C:\\Pfad", L"C:Pfad", L"C:\\a\\\\b", L"C:\\a.\\b", L"C:\\a \\b",
                                   L"C:\\a\\..\\b", L"C:\\a:Strom", L"C:\\a/b", L"1:\\a"})
        EXPECT_TRUE(installPathParts(refused).empty()) << std::wstring(refused).size();
}

}  // namespace
}  // namespace zb::setup
