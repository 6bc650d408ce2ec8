// The shell's copy and delete as the folder copy uses them: natively against
// the stand-in on real folders, under Wine against SHFileOperationA.
#include <gtest/gtest.h>

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#endif

#include "contract_util.h"
#include "platform/ports.h"

namespace zb {
namespace {

namespace fs = std::filesystem;

class ShellFilesContract : public ::testing::Test {
protected:
    std::unique_ptr<IShellFiles> shell = makeShellFiles();
    test::TempDir dir;
    std::string src = dir.path() + "\\Quelle";
    std::string dst = dir.path() + "\\Ziel\\3\\P1\\";

    void SetUp() override {
        fs::create_directories(test::host(src + "\\sub\\tief"));
        test::writeBytes(src + "\\a.txt", "a");
        test::writeBytes(src + "\\sub\\tief\\c.txt", "c");
        test::writeBytes(src + "\\versteckt.txt", "h");
        test::writeBytes(src + "\\sub\\system.dat", "s");
#ifdef _WIN32
        SetFileAttributesA((src + "\\versteckt.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
        SetFileAttributesA((src + "\\sub\\system.dat").c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
#endif
        fs::create_directories(test::host(dst));
    }
    void TearDown() override { fs::current_path(fs::temp_directory_path()); }

    std::string nulList(const std::vector<std::string>& items) {
        std::string out;
        for (const auto& i : items) out += i + '\0';
        return out + '\0';
    }
    int copy(const std::vector<std::string>& names) {
        ShFileOp op;
        op.wFunc = FO_COPY_;
        op.pFrom = nulList(names);
        op.pTo = nulList({dst});
        op.fFlags = FOF_NOCONFIRMATION_ | FOF_NOERRORUI_;
        op.lpszProgressTitle = "Backup";
        bool aborted = false;
        return shell->shFileOperation(op, aborted);
    }
    int remove(const std::string& path) {
        ShFileOp op;
        op.wFunc = FO_DELETE_;
        op.pFrom = nulList({path});
        op.fFlags = FOF_NOCONFIRMATION_;  // without undo: no recycle bin involved
        bool aborted = false;
        return shell->shFileOperation(op, aborted);
    }
    std::vector<std::string> entries() {
        auto names = shell->findFiles("*.*", 0x3F);
        EXPECT_TRUE(names);
        std::vector<std::string> out;
        for (const auto& n : names.value_or(std::vector<std::string>{}))
            if (n != "." && n != "..") out.push_back(n);
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST_F(ShellFilesContract, CopiesNamesRelativeToTheCurrentDirectoryWithWholeTrees) {
    ASSERT_TRUE(shell->setCurrentDirectory(src + "\\"));
    const auto names = entries();
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "sub", "versteckt.txt"}));
    EXPECT_EQ(copy(names), 0);
    EXPECT_EQ(test::readBytes(dst + "a.txt"), "a");
    EXPECT_EQ(test::readBytes(dst + "versteckt.txt"), "h");
    EXPECT_EQ(test::readBytes(dst + "sub\\system.dat"), "s");
    EXPECT_EQ(test::readBytes(dst + "sub\\tief\\c.txt"), "c");
    EXPECT_FALSE(fs::exists(test::host(dst + "Quelle")));
#ifdef _WIN32
    EXPECT_TRUE(GetFileAttributesA((dst + "versteckt.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(GetFileAttributesA((dst + "sub\\system.dat").c_str()) & FILE_ATTRIBUTE_SYSTEM);
#endif
}

TEST_F(ShellFilesContract, OverwritesWithoutAskingAndKeepsOtherFiles) {
    test::writeBytes(dst + "a.txt", "alt");
    test::writeBytes(dst + "bleibt.txt", "b");
    ASSERT_TRUE(shell->setCurrentDirectory(src));
    EXPECT_EQ(copy({"a.txt"}), 0);
    EXPECT_EQ(test::readBytes(dst + "a.txt"), "a");
    EXPECT_EQ(test::readBytes(dst + "bleibt.txt"), "b");
}

TEST_F(ShellFilesContract, AMissingEntryFailsAndAnEmptyFolderListsNothing) {
    ASSERT_TRUE(shell->setCurrentDirectory(src));
    EXPECT_NE(copy({"fehlt.txt"}), 0);
    fs::create_directories(test::host(dir.path() + "\\Leer"));
    ASSERT_TRUE(shell->setCurrentDirectory(dir.path() + "\\Leer"));
    EXPECT_TRUE(entries().empty());
    EXPECT_FALSE(shell->setCurrentDirectory(dir.path() + "\\gibt-es-nicht"));
}

TEST_F(ShellFilesContract, DeletesAWholeTreeAndFailsOnAMissingOne) {
    EXPECT_EQ(remove(src), 0);
    EXPECT_FALSE(fs::exists(test::host(src)));
    EXPECT_NE(remove(src), 0);
}

}  // namespace
}  // namespace zb
