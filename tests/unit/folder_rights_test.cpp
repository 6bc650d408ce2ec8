// The judgement of a folder's rights that the setup and the uninstaller read back.
#include <gtest/gtest.h>

#include "installer/front/folder_rights.h"

namespace zb::setup {
namespace {

constexpr char kMe[] = "S-1-5-21-1-2-3-1001";
constexpr char kUsers[] = "S-1-5-32-545";
constexpr char kAuthenticated[] = "S-1-5-11";
const AccessEntry kSystemFull{true, 0x1F01FF, kSystem}, kAdminsFull{true, 0x1F01FF, kAdministrators},
    kUsersReadExecute{true, 0x1200A9, kUsers};

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
    };
    for (const auto& c : cases)
        EXPECT_EQ(onlyAdministratorsMayChange(c.owner, c.hasDacl, c.dacl, c.account), c.secure) << c.what;
}

}  // namespace
}  // namespace zb::setup
