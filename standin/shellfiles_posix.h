#pragma once
// The stand-in for the shell's file operations: copies and deletes real
// folders with the shell's semantics (names relative to the current
// directory, silent overwrite, whole trees, hidden entries included).
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace zb {

class PosixShellFiles final : public IShellFiles {
public:
    int shFileOperation(const ShFileOp& op, bool& anyAborted) override;
    bool setCurrentDirectory(const std::string& path) override;
    std::optional<std::vector<std::string>> findFiles(const std::string& mask, std::uint32_t attributes) override;
    std::optional<std::vector<FileEntry>> listFolder(const std::string& folder, std::uint32_t& error,
                                                     const std::function<void()>& progress) override;
    std::uint32_t copyFile(const std::string& from, const std::string& to, bool replace,
                           const CopyProgress& progress) override;
    std::uint32_t createFolder(const std::string& like, const std::string& path) override;
    // The owner alone may open it (mode 0700); the SID is kept for the test.
    std::uint32_t createPrivateFolder(const std::string& path, const std::string& sid) override;
    std::map<std::string, std::string> privateFolders;  // path -> SID
    std::string errorText(std::uint32_t error) override;
    std::uint32_t fileIdentity(const std::string& path, FileId& id) override;
    std::string fullPath(const std::string& path) override { return path; }
    std::uint32_t deleteFile(const std::string& path) override;
    std::uint32_t removeFolder(const std::string& path) override;
    std::uint32_t fileSystemName(const std::string& path, std::string& name) override;
    std::uint32_t diskSpace(const std::string& path, std::uint64_t& freeBytes, std::uint64_t& totalBytes,
                            std::uint32_t& clusterBytes) override;
    std::uint32_t readFile(const std::string& path, std::size_t largest, std::string& bytes) override;
    std::uint32_t writeFile(const std::string& path, const std::string& bytes) override;
    std::uint32_t moveEntry(const std::string& from, const std::string& to) override;
    std::uint32_t lockMedium(const std::string& key, std::uintptr_t& lock) override;
    std::uint32_t recycleBinBytes(const std::string&, std::uint64_t& bytes) override {
        if (!recycleBin) return 50;  // ERROR_NOT_SUPPORTED
        bytes = *recycleBin;
        return 0;
    }
    // A Recycle Bin on every drive: what a deletion with undo put into it.
    std::optional<std::uint64_t> recycleBin;
    void unlockMedium(std::uintptr_t lock) override;
    // Locks of media that other accounts' runs hold: taken tries until each
    // is given back (-1: never). And the keys this process holds now.
    std::map<std::string, int> othersHold;
    std::map<std::uintptr_t, std::string> held;
    std::uint32_t currentAccount(Account& account) override {
        account = this->account;
        return 0;
    }

    // The account the program runs as.
    Account account{"TESTPC\\anna", "S-1-5-21-1000-2000-3000-1001", "TESTPC"};

    // Scripting: host paths that cannot be deleted, as a file that another
    // program holds open; and a copy that the user cancels.
    std::set<std::string> undeletable;
    bool abortCopies = false;
    // Host paths of source files whose copy fails with this system error,
    // and of folders that cannot be created. The shell's copy fails as it does
    // under Wine, answering success all the same: a file in use is left out,
    // on a full target it is left with 0 bytes.
    std::map<std::string, std::uint32_t> faults;
    // The shell as on Windows instead: it stops at the first such file,
    // answers its error and marks the operation aborted.
    bool stopsAtFault = false;
    // Runs after each of the shell's copies: a source that changes meanwhile.
    std::function<void()> afterShellCopy;
    std::map<std::uint32_t, std::string> errorTexts;  // the system's texts
    // Names as a Windows target treats them: the shell's names and the
    // targets' last names lose trailing blanks and dots and are found
    // without regard to case.
    bool windowsNames = false;
    // Runs before each single-file copy: a target that goes away meanwhile.
    std::function<void()> beforeCopyFile;
    // The file system every path is on ("FAT32" for a target whose times
    // move with summer time); empty: the host's, by its kind.
    std::string fileSystem;
    // The room every volume reports instead of the host's (a small drive), or
    // the error of one that reports none.
    struct Space {
        std::uint64_t freeBytes = 0, totalBytes = 0;
        std::uint32_t clusterBytes = 4096;
        std::uint32_t error = 0;
    };
    std::optional<Space> space;
    // Record.
    std::vector<ShFileOp> operations;
    // The calls that reach the file system by a path, in order: "identity",
    // "copy" (its destination), "create", "delete", "remove", "shell" (the
    // first path it writes), "list"; and a hook at each, where a test may
    // swap a medium at exactly that moment.
    struct Call {
        std::string what, path;
    };
    std::vector<Call> calls;
    std::function<void(const Call&)> onCall;

private:
    void called(const char* what, const std::string& path);
};

// The host path with its last name resolved as Windows would.
std::string windowsName(const std::string& hostPath);

// Splits a double-NUL-terminated list.
std::vector<std::string> splitNulList(const std::string& list);

}  // namespace zb
