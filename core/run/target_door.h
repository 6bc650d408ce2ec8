#pragma once
// The run's one way to its target. Every call that deletes, prunes, creates,
// writes or replaces anything there passes this door, which compares the
// medium with the one the run chose right before the call and refuses
// whatever lies outside the run's weekday folder. A step added later gets no
// other way in, so it cannot forget the check. Reads pass unchanged.
#include <optional>
#include <string>

#include "core/run_snapshot.h"
#include "platform/ports.h"

namespace zb {

class TargetDoor final : public IShellFiles {
public:
    // Only a snapshot whose target was chosen and found present makes one:
    // its medium and its weekday folder are what the door holds.
    static std::optional<TargetDoor> open(IShellFiles& files, const RunSnapshot& snapshot);

    // The folder "P1" to "P5" (as `name` spells it) in the weekday folder,
    // made with the weekday folder when missing; false when it cannot be.
    [[nodiscard]] bool makeSourceFolder(const std::string& name);
    // The weekday folder itself, made when missing.
    [[nodiscard]] bool makeWeekdayFolder();
    // The weekday folder, when the door makes it, opens only to this account
    // (by SID), the Administrators and SYSTEM.
    void keepPrivateTo(std::string sid) { privateTo_ = std::move(sid); }
    // The weekday folder and a name in it, in the full form every call takes.
    const std::string& weekdayFolder() const { return folder_; }
    std::string inWeekdayFolder(const std::string& name) const;
    // Whether a call met another medium; from then on nothing passes.
    bool swapped() const { return swapped_; }
    // Whether the medium is still the run's (checked now); sets `swapped`.
    bool sameMedium();

    int shFileOperation(const ShFileOp& op, bool& anyAborted) override;
    bool setCurrentDirectory(const std::string& path) override { return files_.setCurrentDirectory(path); }
    std::optional<std::vector<std::string>> findFiles(const std::string& mask, std::uint32_t attributes) override {
        return files_.findFiles(mask, attributes);
    }
    std::optional<std::vector<FileEntry>> listFolder(const std::string& folder, std::uint32_t& error,
                                                     const std::function<void()>& progress) override {
        return files_.listFolder(folder, error, progress);
    }
    std::uint32_t copyFile(const std::string& from, const std::string& to, bool replace,
                           const CopyProgress& progress) override;
    std::uint32_t createFolder(const std::string& like, const std::string& path) override;
    std::uint32_t createPrivateFolder(const std::string& path, const std::string& sid) override;
    std::string errorText(std::uint32_t error) override { return files_.errorText(error); }
    std::uint32_t fileIdentity(const std::string& path, FileId& id) override { return files_.fileIdentity(path, id); }
    std::string fullPath(const std::string& path) override { return files_.fullPath(path); }
    std::uint32_t deleteFile(const std::string& path) override;
    std::uint32_t removeFolder(const std::string& path) override;
    std::uint32_t fileSystemName(const std::string& path, std::string& name) override {
        return files_.fileSystemName(path, name);
    }
    std::uint32_t diskSpace(const std::string& path, std::uint64_t& freeBytes, std::uint64_t& totalBytes,
                            std::uint32_t& clusterBytes) override {
        return files_.diskSpace(path, freeBytes, totalBytes, clusterBytes);
    }
    std::uint32_t readFile(const std::string& path, std::size_t largest, std::string& bytes) override {
        return files_.readFile(path, largest, bytes);
    }
    std::uint32_t writeFile(const std::string& path, const std::string& bytes) override;
    std::uint32_t currentAccount(Account& account) override { return files_.currentAccount(account); }
    std::uint32_t recycleBinBytes(const std::string& path, std::uint64_t& bytes) override {
        return files_.recycleBinBytes(path, bytes);
    }
    std::uint32_t lockMedium(const std::string& key, std::uintptr_t& lock) override {
        return files_.lockMedium(key, lock);
    }
    void unlockMedium(std::uintptr_t lock) override { files_.unlockMedium(lock); }
    std::uint32_t moveEntry(const std::string& from, const std::string& to) override;

private:
    TargetDoor(IShellFiles& files, std::string root, std::string folder, MediumId medium)
        : files_(files), root_(std::move(root)), folder_(std::move(folder)), medium_(medium) {}
    // 0 when a destructive call on `path` may go ahead now, else the answer
    // the call gets instead.
    std::uint32_t admit(const std::string& path);
    bool inside(const std::string& path);
    // A folder `child` in `parent`, made when missing.
    bool makeFolder(const std::string& parent, const std::string& child, const std::string& privateTo = {});

    IShellFiles& files_;
    std::string root_;    // the target's folder as compared: "E:\" or "F:\Sicherung\"
    std::string folder_;  // the weekday folder, full form
    MediumId medium_;
    bool swapped_ = false;
    std::string privateTo_;
};

}  // namespace zb
