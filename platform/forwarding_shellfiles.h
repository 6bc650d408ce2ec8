#pragma once
// A wrapper around another file port that changes one or two calls (serves
// the window meanwhile, times them) and passes every other call on as it is.
// Not for anything that guards the target: a call added to the port later
// would pass such a guard unchecked, so the run's door names each call itself.
#include "platform/ports.h"

namespace zb {

class ForwardingShellFiles : public IShellFiles {
public:
    explicit ForwardingShellFiles(IShellFiles& inner) : inner_(inner) {}

    int shFileOperation(const ShFileOp& op, bool& anyAborted) override { return inner_.shFileOperation(op, anyAborted); }
    bool setCurrentDirectory(const std::string& path) override { return inner_.setCurrentDirectory(path); }
    std::optional<std::vector<std::string>> findFiles(const std::string& mask, std::uint32_t attributes) override {
        return inner_.findFiles(mask, attributes);
    }
    std::optional<std::vector<FileEntry>> listFolder(const std::string& folder, std::uint32_t& error,
                                                     const std::function<void()>& progress) override {
        return inner_.listFolder(folder, error, progress);
    }
    std::uint32_t copyFile(const std::string& from, const std::string& to, bool replace,
                           const CopyProgress& progress) override {
        return inner_.copyFile(from, to, replace, progress);
    }
    std::uint32_t createFolder(const std::string& like, const std::string& path) override {
        return inner_.createFolder(like, path);
    }
    std::uint32_t createPrivateFolder(const std::string& path, const std::string& sid) override {
        return inner_.createPrivateFolder(path, sid);
    }
    std::string errorText(std::uint32_t error) override { return inner_.errorText(error); }
    std::uint32_t fileIdentity(const std::string& path, FileId& id) override { return inner_.fileIdentity(path, id); }
    std::string fullPath(const std::string& path) override { return inner_.fullPath(path); }
    std::uint32_t deleteFile(const std::string& path) override { return inner_.deleteFile(path); }
    std::uint32_t removeFolder(const std::string& path) override { return inner_.removeFolder(path); }
    std::uint32_t fileSystemName(const std::string& path, std::string& name) override {
        return inner_.fileSystemName(path, name);
    }
    std::uint32_t diskSpace(const std::string& path, std::uint64_t& freeBytes, std::uint64_t& totalBytes,
                            std::uint32_t& clusterBytes) override {
        return inner_.diskSpace(path, freeBytes, totalBytes, clusterBytes);
    }
    std::uint32_t readFile(const std::string& path, std::size_t largest, std::string& bytes) override {
        return inner_.readFile(path, largest, bytes);
    }
    std::uint32_t writeFile(const std::string& path, const std::string& bytes) override {
        return inner_.writeFile(path, bytes);
    }
    std::uint32_t moveEntry(const std::string& from, const std::string& to) override {
        return inner_.moveEntry(from, to);
    }
    std::uint32_t recycleBinBytes(const std::string& path, std::uint64_t& bytes) override {
        return inner_.recycleBinBytes(path, bytes);
    }
    std::uint32_t lockMedium(const std::string& key, std::uintptr_t& lock) override {
        return inner_.lockMedium(key, lock);
    }
    void unlockMedium(std::uintptr_t lock) override { inner_.unlockMedium(lock); }
    std::uint32_t currentAccount(Account& account) override { return inner_.currentAccount(account); }

protected:
    IShellFiles& inner_;
};

}  // namespace zb
