#pragma once
// The restore's file calls with the wide API: CopyFileExW that never goes
// over a file and can be cancelled, MoveFileExW without replace.
#include "platform/restore_port.h"

namespace zb {

class Win32RestoreFiles final : public IRestoreFiles {
public:
    std::string volumeLabel(const std::string& path) override;
    std::optional<std::string> readSmallFile(const std::string& path, std::size_t largest) override;
    std::uint32_t entryInfo(const std::string& path, FileEntry& entry) override;
    std::uint32_t copyNew(const std::string& from, const std::string& to, const CopyGoOn& goOn) override;
    std::uint32_t renameNew(const std::string& from, const std::string& to) override;
    std::uint32_t removeFile(const std::string& path) override;
    std::uint32_t makeFolders(const std::string& path) override;
    std::string databasePath(const std::string& path) override { return path; }
};

}  // namespace zb
