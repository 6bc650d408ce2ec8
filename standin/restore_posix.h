#pragma once
// The restore's file calls on the Linux file system, with drive letters
// mapped as the other stand-ins map them; scriptable labels and failures.
#include <functional>
#include <map>
#include <string>

#include "platform/restore_port.h"

namespace zb {

class PosixRestoreFiles final : public IRestoreFiles {
public:
    std::string volumeLabel(const std::string& path) override;
    std::optional<std::string> readSmallFile(const std::string& path, std::size_t largest) override;
    std::uint32_t entryInfo(const std::string& path, FileEntry& entry) override;
    std::uint32_t copyNew(const std::string& from, const std::string& to, const CopyGoOn& goOn) override;
    std::uint32_t renameNew(const std::string& from, const std::string& to) override;
    std::uint32_t removeFile(const std::string& path) override;
    std::uint32_t makeFolders(const std::string& path) override;
    std::string databasePath(const std::string& path) override;

    // Scripting: labels by drive letter ('E'); host paths whose copy fails
    // with an error; a hook after each piece of a copy.
    std::map<char, std::string> labels;
    std::map<std::string, std::uint32_t> faults;
    std::function<void()> afterPiece;
};

}  // namespace zb
