#pragma once
// What the catalog's rebuild and the restore need of the file system beyond
// the folder copy's calls: a volume's label, a small file read whole, one
// entry's metadata, and a copy and rename that never go over anything.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/ports.h"

namespace zb {

// How far a copy is; false cancels it.
using CopyGoOn = std::function<bool(std::uint64_t done, std::uint64_t total)>;

class IRestoreFiles {
public:
    virtual ~IRestoreFiles() = default;
    // The label of the volume that holds an existing path; empty when it has none.
    virtual std::string volumeLabel(const std::string& path) = 0;
    // A file read whole; nothing when it cannot be read or is larger than `largest`.
    virtual std::optional<std::string> readSmallFile(const std::string& path, std::size_t largest) = 0;
    // Name, size, last-write time and kind of an existing entry (links not
    // followed); 0 or the system's error code.
    [[nodiscard]] virtual std::uint32_t entryInfo(const std::string& path, FileEntry& entry) = 0;
    // Copies a file to a name that must not exist, keeping its times; a
    // cancel or failure leaves nothing at `to`. 0 or the system's error
    // code (ERROR_CANCELLED_ when `goOn` said no).
    [[nodiscard]] virtual std::uint32_t copyNew(const std::string& from, const std::string& to,
                                                const CopyGoOn& goOn) = 0;
    // Renames within a volume, never over an existing entry; 0 or the error.
    [[nodiscard]] virtual std::uint32_t renameNew(const std::string& from, const std::string& to) = 0;
    // Removes a file; 0 or the error.
    [[nodiscard]] virtual std::uint32_t removeFile(const std::string& path) = 0;
    // Creates a folder with every missing level; 0 or the error.
    [[nodiscard]] virtual std::uint32_t makeFolders(const std::string& path) = 0;
    // A path as SQLite's own file calls take it (UTF-8).
    virtual std::string databasePath(const std::string& path) = 0;
};

inline constexpr std::uint32_t ERROR_CANCELLED_ = 1223;

// The restore window, opened from the tray menu; one that is open comes to the front.
class IRestoreWindow {
public:
    virtual ~IRestoreWindow() = default;
    virtual void open() = 0;
};

}  // namespace zb
