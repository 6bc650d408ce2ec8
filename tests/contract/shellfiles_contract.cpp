// The shell's copy and delete as the folder copy uses them: natively against
// the stand-in on real folders, under Wine against SHFileOperationA.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#ifdef _WIN32
#include <windows.h>

#include "win32/text_win32.h"
#endif

#include "contract_util.h"
#include "core/mirror.h"
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

// A path in the program's UTF-8, for the test's own file work.
fs::path utf8Path(const std::string& p) {
#ifdef _WIN32
    return fs::path(std::u8string(p.begin(), p.end()));
#else
    return test::host(p);
#endif
}

TEST_F(ShellFilesContract, NamesOfEveryScriptAreListedCopiedAndChecked) {
    const std::vector<std::string> names = {"Ελληνικά.txt", "日本語.txt", "😀.txt"};
    for (const auto& n : names) std::ofstream(utf8Path(src + "\\" + n), std::ios::binary) << n;
    ASSERT_TRUE(shell->setCurrentDirectory(src));
    const auto listed = entries();
    for (const auto& n : names) EXPECT_TRUE(std::count(listed.begin(), listed.end(), n)) << n;
    EXPECT_EQ(copy(names), 0);
    std::uint32_t error = 0;
    const auto copied = shell->listFolder(dst, error, {});
    ASSERT_TRUE(copied) << error;
    for (const auto& n : names) {
        const auto it = std::find_if(copied->begin(), copied->end(), [&](const FileEntry& e) { return e.name == n; });
        ASSERT_NE(it, copied->end()) << n;
        EXPECT_EQ(it->size, n.size());
        EXPECT_FALSE(it->folder);
    }
}

TEST_F(ShellFilesContract, TheCheckingCallsReachPathsOfAnyLengthAndKeepTimesAndAttributes) {
    std::string deep = dst;
    for (char c = 'a'; c < 'm'; ++c) {
        deep += std::string(30, c) + "\\";
        ASSERT_EQ(shell->createFolder(src + "\\sub", deep), 0u) << deep.size();
    }
    EXPECT_NE(shell->createFolder(src + "\\sub", deep), 0u);  // already there
    ASSERT_EQ(shell->copyFile(src + "\\versteckt.txt", deep + "v.txt", true, {}), 0u);
    test::writeBytes(src + "\\versteckt.txt", "hh");  // an older copy in the way is replaced
    ASSERT_EQ(shell->copyFile(src + "\\versteckt.txt", deep + "v.txt", true, {}), 0u);
    std::uint32_t error = 0;
    const auto original = shell->listFolder(src, error, {});
    const auto copied = shell->listFolder(deep, error, {});
    ASSERT_TRUE(original && copied) << error;
    ASSERT_EQ(copied->size(), 1u);
    const auto it = std::find_if(original->begin(), original->end(),
                                 [](const FileEntry& e) { return e.name == "versteckt.txt"; });
    ASSERT_NE(it, original->end());
    EXPECT_EQ((*copied)[0].name, "v.txt");
    EXPECT_EQ((*copied)[0].size, 2u);
    EXPECT_EQ((*copied)[0].lastWrite, it->lastWrite);
#ifdef _WIN32
    EXPECT_TRUE((*copied)[0].attributes & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(it->attributes & FILE_ATTRIBUTE_HIDDEN);
#endif
    EXPECT_EQ(shell->copyFile(src + "\\fehlt.txt", deep + "x.txt", true, {}), ERROR_FILE_NOT_FOUND_);
    EXPECT_FALSE(shell->listFolder(src + "\\fehlt", error, {}));
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND_);
}

// What the check takes out of a copy goes for good, however deep the tree.
TEST_F(ShellFilesContract, RemovesAFileOrAWholeTreeOfAnyDepth) {
    std::string deep = dst;
    for (char c = 'a'; c < 'm'; ++c) ASSERT_EQ(shell->createFolder(src, deep += std::string(30, c) + "\\"), 0u);
    ASSERT_EQ(shell->copyFile(src + "\\a.txt", deep + "Łódź.txt", true, {}), 0u);
    ASSERT_EQ(shell->copyFile(src + "\\a.txt", dst + "b.txt", true, {}), 0u);
    const std::function<void()> nothing;
    Remover remover(*shell, nothing);
    FileEntry file, folder;
    folder.folder = true;
    EXPECT_EQ(remover.remove(dst + "b.txt", file), 0u);
    EXPECT_EQ(remover.remove(dst + std::string(30, 'a'), folder), 0u);
    std::uint32_t error = 0;
    const auto left = shell->listFolder(dst, error, {});
    ASSERT_TRUE(left) << error;
    EXPECT_TRUE(left->empty());
    EXPECT_NE(shell->deleteFile(dst + "b.txt"), 0u);
}

// One folder under several spellings is one identity; a name ending in a
// blank survives when joined to the full path; a copy that must not replace
// fails when the name is taken.
TEST_F(ShellFilesContract, IdentityFollowsTheFolderNotItsSpellingAndNamesStayAsListed) {
    FileId a, b, other;
    ASSERT_EQ(shell->fileIdentity(src, a), 0u);
    std::vector<std::string> spellings{dir.path() + "\\\\Quelle\\", src + "\\sub\\.."};
#ifdef _WIN32
    spellings.push_back(CharUpperA(std::string(src).data()));
#endif
    for (const std::string& same : spellings) {
        EXPECT_EQ(shell->fileIdentity(same, b), 0u) << same;
        EXPECT_TRUE(a == b) << same;
    }
    ASSERT_EQ(shell->fileIdentity(src + "\\sub", other), 0u);
    EXPECT_FALSE(a == other);
    EXPECT_NE(shell->fileIdentity(src + "\\fehlt", other), 0u);

    const std::string to = shell->fullPath(dst) + "Bericht ";
    EXPECT_EQ(shell->copyFile(shell->fullPath(src) + "\\a.txt", to, false, {}), 0u);
    EXPECT_EQ(shell->copyFile(shell->fullPath(src) + "\\a.txt", to, false, {}), ERROR_FILE_EXISTS_);
    std::uint32_t error = 0;
    const auto copied = shell->listFolder(dst, error, {});
    ASSERT_TRUE(copied);
    ASSERT_EQ(copied->size(), 1u);
    EXPECT_EQ((*copied)[0].name, "Bericht ");
#ifdef _WIN32
    fs::remove(fs::u8path(to));  // the library's own removal would normalise the name and never end
#endif
}

// What a kept copy's source no longer has goes: a file also when marked
// read-only, a folder once empty, a link as the link and never what it
// points at. Every path's file system has a name.
TEST_F(ShellFilesContract, RemovesFilesEmptyFoldersAndLinksAsLinks) {
    const std::string d = shell->fullPath(dst);
    ASSERT_EQ(shell->copyFile(src + "\\a.txt", d + "a.txt", true, {}), 0u);
#ifdef _WIN32
    SetFileAttributesA((dst + "a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
#endif
    EXPECT_EQ(shell->deleteFile(d + "a.txt"), 0u);
    EXPECT_EQ(shell->deleteFile(d + "a.txt"), ERROR_FILE_NOT_FOUND_);
    EXPECT_EQ(shell->removeFolder(shell->fullPath(src + "\\sub")), ERROR_DIR_NOT_EMPTY_);
#ifndef _WIN32  // Wine 8 answers CreateSymbolicLinkW with success and makes nothing
    fs::create_directory_symlink(test::host(src), test::host(dst + "verweis"));
    EXPECT_EQ(shell->removeFolder(d + "verweis"), 0u);
    EXPECT_EQ(test::readBytes(src + "\\a.txt"), "a");
#endif
    EXPECT_EQ(shell->removeFolder(d), 0u);
    EXPECT_FALSE(fs::exists(test::host(dst)));
    std::string name;
    EXPECT_EQ(shell->fileSystemName(src, name), 0u);
    EXPECT_FALSE(name.empty());
    // The room of the volume, from a folder deep in it, in the long form too;
    // its cluster a power of two.
    std::uint64_t free = 0, total = 0, freeLong = 0, totalLong = 0;
    std::uint32_t cluster = 0, clusterLong = 0;
    EXPECT_EQ(shell->diskSpace(src + "\\sub\\tief", free, total, cluster), 0u);
    EXPECT_EQ(shell->diskSpace(shell->fullPath(src), freeLong, totalLong, clusterLong), 0u);
    EXPECT_TRUE(total > 0 && free <= total) << free << " " << total;
    EXPECT_EQ(std::pair(totalLong, clusterLong), std::pair(total, cluster));
    EXPECT_TRUE(cluster >= 512 && (cluster & (cluster - 1)) == 0) << cluster;
}

// A copy that replaces another is written beside it and renamed over it:
// a second name of the old one (an archive of older days) keeps the old
// bytes, a read-only mark does not stop it, and nothing of the way stays.
TEST_F(ShellFilesContract, AReplacedCopyIsNeverWrittenThrough) {
    const std::string d = shell->fullPath(dst);
    test::writeBytes(dst + "a.txt", "last week");
    fs::create_hard_link(test::host(dst + "a.txt"), test::host(src + "\\archiv.txt"));
#ifdef _WIN32
    SetFileAttributesA((dst + "a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
#endif
    EXPECT_EQ(shell->copyFile(src + "\\a.txt", d + "a.txt", false, {}), ERROR_FILE_EXISTS_);
    EXPECT_EQ(shell->copyFile(src + "\\a.txt", d + "a.txt", true, {}), 0u);
    EXPECT_EQ(test::readBytes(dst + "a.txt"), "a");
    EXPECT_EQ(test::readBytes(src + "\\archiv.txt"), "last week");
    std::uint32_t error = 0;
    const auto entries = shell->listFolder(d, error, {});
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ((*entries)[0].name, "a.txt");
    fs::remove(test::host(src + "\\archiv.txt"));
#ifndef _WIN32  // Wine 8 makes no links; a Unix one it follows
    fs::create_symlink(test::host(src + "\\versteckt.txt"), test::host(dst + "b.txt"));
    EXPECT_EQ(shell->copyFile(src + "\\a.txt", d + "b.txt", true, {}), 0u);
    EXPECT_EQ(test::readBytes(src + "\\versteckt.txt"), "h");
    EXPECT_FALSE(fs::is_symlink(test::host(dst + "b.txt")));
#endif
}

// A weekday folder's record: written whole over a second name without
// touching it, read back, refused beyond its size; an entry renamed only
// onto a free name; the account that writes it known by its SID.
TEST_F(ShellFilesContract, ARecordIsWrittenWholeAndAnEntryRenamedOntoAFreeName) {
    const std::string d = shell->fullPath(dst), text = "\xEF\xBB\xBFKonto=x\r\n";
    test::writeBytes(dst + "r.txt", "last week");
    fs::create_hard_link(test::host(dst + "r.txt"), test::host(src + "\\archiv.txt"));
    std::string read;
    EXPECT_EQ(shell->writeFile(d + "r.txt", text), 0u);
    EXPECT_EQ(shell->readFile(d + "r.txt", 100, read), 0u);
    EXPECT_EQ(read + test::readBytes(src + "\\archiv.txt"), text + "last week");
    EXPECT_EQ(shell->readFile(d + "r.txt", 5, read), ERROR_FILE_TOO_LARGE_);
    EXPECT_NE(shell->readFile(d + "fehlt.txt", 100, read), 0u);
    EXPECT_NE(shell->moveEntry(d + "r.txt", src + "\\a.txt"), 0u);
    EXPECT_EQ(shell->moveEntry(d + "r.txt", d + "neu"), 0u);
    EXPECT_EQ(test::readBytes(dst + "neu") + test::readBytes(src + "\\a.txt"), text + "a");
    Account me;
    EXPECT_EQ(shell->currentAccount(me), 0u);
    EXPECT_TRUE(me.sid.rfind("S-1-", 0) == 0 && !me.name.empty() && !me.computer.empty()) << me.sid;
    // A folder for this account alone; one already there is not taken over.
    EXPECT_EQ(shell->createPrivateFolder(d + "3", me.sid), 0u);
    EXPECT_TRUE(fs::is_directory(test::host(dst + "3")));
    EXPECT_EQ(shell->createPrivateFolder(d + "3", me.sid), ERROR_ALREADY_EXISTS_);
#ifdef _WIN32
    // The SID goes into a rights text; nothing else may.
    EXPECT_EQ(shell->createPrivateFolder(d + "4", "S-1-1-0)(A;OICI;FA;;;WD"), static_cast<std::uint32_t>(ERROR_INVALID_SID));
#endif
}

#ifdef _WIN32
// Another program's file held open without sharing: the copy names the reason.
TEST_F(ShellFilesContract, AFileInUseFailsWithASharingViolation) {
    HANDLE h = CreateFileA((src + "\\a.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(shell->copyFile(src + "\\a.txt", dst + "a.txt", true, {}), ERROR_SHARING_VIOLATION_);
    CloseHandle(h);
    EXPECT_EQ(shell->copyFile(src + "\\a.txt", dst + "a.txt", true, {}), 0u);
    EXPECT_FALSE(shell->errorText(ERROR_INVALID_PARAMETER).empty());
}

// NTFS takes a name with an unpaired surrogate; it has no UTF-8 form. It is
// listed, but never read back as another path, such as its U+FFFD twin.
TEST_F(ShellFilesContract, ANameWithNoUtf8FormIsNeverAnotherPath) {
    const std::wstring folder(src.begin(), src.end());  // the test folder's name is ASCII
    CloseHandle(CreateFileW((folder + L"\\b\xFFFD.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    const std::string lone = src + "\\" + fromWide(L"b\xD800.txt");
    EXPECT_EQ(lone, src + "\\b\xED\xA0\x80.txt");
    FileId id;
    std::uint32_t error = 0;
    EXPECT_EQ(shell->copyFile(lone, dst + "b.txt", true, {}), ERROR_INVALID_NAME_);
    EXPECT_EQ(shell->copyFile(src + "\\a.txt", lone, true, {}), ERROR_INVALID_NAME_);
    EXPECT_EQ(shell->fileIdentity(lone, id), ERROR_INVALID_NAME_);
    EXPECT_EQ(shell->deleteFile(lone), ERROR_INVALID_NAME_);
    EXPECT_EQ(shell->createFolder(src, lone), ERROR_INVALID_NAME_);
    EXPECT_EQ(shell->listFolder(lone, error, {}), std::nullopt);
    EXPECT_EQ(error, ERROR_INVALID_NAME_);
    EXPECT_EQ(remove(lone), static_cast<int>(ERROR_INVALID_NAME_));
    EXPECT_NE(GetFileAttributesW((folder + L"\\b\xFFFD.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    // Where the file system takes the name (Wine's does not), a listing names it so.
    HANDLE h = CreateFileW((folder + L"\\b\xD800.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    CloseHandle(h);
    const auto listed = shell->listFolder(src, error, {});
    ASSERT_TRUE(listed);
    EXPECT_TRUE(std::any_of(listed->begin(), listed->end(), [&](const FileEntry& e) { return src + "\\" + e.name == lone; }));
}
#endif

}  // namespace
}  // namespace zb
