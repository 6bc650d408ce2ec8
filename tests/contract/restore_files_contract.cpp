// The restore's file calls: natively against the stand-in, under Wine
// against CopyFileExW, MoveFileExW and the volume and attribute calls.
#include <gtest/gtest.h>

#include "contract_util.h"
#ifdef _WIN32
#include "win32/restore_files_win32.h"
#else
#include "standin/restore_posix.h"
#endif

namespace zb {
namespace {

namespace fs = std::filesystem;

class RestoreFilesContract : public ::testing::Test {
protected:
#ifdef _WIN32
    Win32RestoreFiles files;
#else
    PosixRestoreFiles files;
#endif
    test::TempDir dir;
    std::string big = dir.path() + "\\gross.bin", small = dir.path() + "\\klein.txt";
    void SetUp() override {
        test::writeBytes(big, std::string(3 << 20, 'x'));
        test::writeBytes(small, "klein");
    }
};

TEST_F(RestoreFilesContract, NothingIsEverWrittenOverAndACancelLeavesNothing) {
    const std::string to = dir.path() + "\\Neu\\Tief\\kopie.bin";
    EXPECT_EQ(files.makeFolders(dir.path() + "\\Neu\\Tief"), 0u);
    EXPECT_EQ(files.makeFolders(dir.path() + "\\Neu\\Tief"), 0u);
    EXPECT_EQ(files.copyNew(big, to, [](std::uint64_t, std::uint64_t) { return false; }), ERROR_CANCELLED_);
    EXPECT_FALSE(fs::exists(test::host(to)));
    EXPECT_EQ(files.copyNew(big, to, {}), 0u);
    EXPECT_NE(files.copyNew(small, to, {}), 0u);
    EXPECT_NE(files.renameNew(small, to), 0u);
    EXPECT_EQ(fs::file_size(test::host(to)), 3u << 20);
    FileEntry a, b;
    ASSERT_EQ(files.entryInfo(big, a), 0u);
    ASSERT_EQ(files.entryInfo(to, b), 0u);
    EXPECT_EQ(a.lastWrite, b.lastWrite);  // the copy keeps the time
    EXPECT_FALSE(b.folder);
    EXPECT_EQ(files.renameNew(to, dir.path() + "\\Neu\\umbenannt.bin"), 0u);
    EXPECT_EQ(files.removeFile(dir.path() + "\\Neu\\umbenannt.bin"), 0u);
    EXPECT_NE(files.entryInfo(to, a), 0u);
}

TEST_F(RestoreFilesContract, ASmallFileIsReadWholeAndALargeOneNot) {
    EXPECT_EQ(files.readSmallFile(small, 5), std::optional<std::string>("klein"));
    EXPECT_FALSE(files.readSmallFile(small, 4));
    EXPECT_FALSE(files.readSmallFile(dir.path() + "\\fehlt.txt", 100));
}

}  // namespace
}  // namespace zb
