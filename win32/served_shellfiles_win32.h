#pragma once
// The shell's file operation on a worker thread, while the user-interface
// thread keeps serving the window's messages: the shell's copy serves none
// while it works, and a window silent for 5 s is "hung" to Windows, also
// when it asks whether the session may end.
#include <windows.h>

#include "platform/ports.h"

namespace zb {

class Win32Window;

class ServedShellFiles final : public IShellFiles {
public:
    ServedShellFiles(IShellFiles& real, Win32Window& window) : real_(real), window_(window) {}

    // False: the operation runs on the calling thread, as the shell's own
    // call would (the bench measures the difference).
    bool onWorker = true;

    int shFileOperation(const ShFileOp& op, bool& anyAborted) override;
    bool setCurrentDirectory(const std::string& path) override { return real_.setCurrentDirectory(path); }
    std::optional<std::vector<std::string>> findFiles(const std::string& mask, std::uint32_t attributes) override {
        return real_.findFiles(mask, attributes);
    }
    std::optional<std::vector<FileEntry>> listFolder(const std::string& folder, std::uint32_t& error,
                                                     const std::function<void()>& progress) override {
        return real_.listFolder(folder, error, progress);
    }
    std::uint32_t copyFile(const std::string& from, const std::string& to, bool replace,
                           const CopyProgress& progress) override {
        return real_.copyFile(from, to, replace, progress);
    }
    std::uint32_t createFolder(const std::string& like, const std::string& path) override {
        return real_.createFolder(like, path);
    }
    std::string errorText(std::uint32_t error) override { return real_.errorText(error); }
    std::uint32_t fileIdentity(const std::string& path, FileId& id) override { return real_.fileIdentity(path, id); }
    std::string fullPath(const std::string& path) override { return real_.fullPath(path); }
    std::uint32_t deleteFile(const std::string& path) override { return real_.deleteFile(path); }
    std::uint32_t removeFolder(const std::string& path) override { return real_.removeFolder(path); }
    std::uint32_t fileSystemName(const std::string& path, std::string& name) override {
        return real_.fileSystemName(path, name);
    }
    std::uint32_t diskSpace(const std::string& path, std::uint64_t& freeBytes, std::uint64_t& totalBytes,
                            std::uint32_t& clusterBytes) override {
        return real_.diskSpace(path, freeBytes, totalBytes, clusterBytes);
    }
    std::uint32_t readFile(const std::string& path, std::size_t largest, std::string& bytes) override {
        return real_.readFile(path, largest, bytes);
    }
    std::uint32_t writeFile(const std::string& path, const std::string& bytes) override {
        return real_.writeFile(path, bytes);
    }
    std::uint32_t currentAccount(Account& account) override { return real_.currentAccount(account); }
    std::uint32_t createPrivateFolder(const std::string& path, const std::string& sid) override {
        return real_.createPrivateFolder(path, sid);
    }
    std::uint32_t recycleBinBytes(const std::string& path, std::uint64_t& bytes) override {
        return real_.recycleBinBytes(path, bytes);
    }
    std::uint32_t lockMedium(const std::string& key, std::uintptr_t& lock) override {
        return real_.lockMedium(key, lock);
    }
    void unlockMedium(std::uintptr_t lock) override { real_.unlockMedium(lock); }
    std::uint32_t moveEntry(const std::string& from, const std::string& to) override {
        return real_.moveEntry(from, to);
    }

private:
    IShellFiles& real_;
    Win32Window& window_;
    bool busy_ = false;
};

}  // namespace zb
