#pragma once
// A run that keeps today's weekday folder and brings it level with the
// sources instead of copying everything again: which copy of a file can
// stay, what of the weekday folder goes, and the removal itself, which never
// goes through a link.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/copycheck.h"
#include "platform/ports.h"

namespace zb {

// FAT and exFAT keep local times, which the change to and from summer time
// moves by an hour.
bool keepsLocalTimes(const std::string& fileSystem);
// The same for the file system that holds an existing path.
bool keepsLocalTimes(IShellFiles& files, const std::string& path);

// The copy of a file can stay when size and last-write time agree: exactly,
// or on a FAT or exFAT target to 2 seconds (its step) and also one hour
// apart (its local times).
bool unchangedCopy(const FileEntry& copy, const FileEntry& source, bool localTimes);

// What a fresh weekday folder would not hold: everything but the folders P1
// to P5 of the ticked sources, each in any case but one of them (a link
// named so is no such folder). `kept` gets the names of the folders that stay.
std::vector<const FileEntry*> strayInWeekdayFolder(const std::vector<FileEntry>& entries,
                                                   const std::array<bool, 5>& ticked,
                                                   std::array<std::string, 5>* kept = nullptr);

// What could not be removed: counted once per file or folder that stays.
struct RemovalFailures {
    int count = 0;
    std::string first;
    std::uint32_t error = 0;
};

// Removes entries of a copy with everything below them; a link is removed as
// the link, never what it points at.
class Remover {
public:
    Remover(IShellFiles& files, const std::function<void()>& keepAlive) : files_(files), keepAlive_(keepAlive) {}
    // 0 when the entry is gone, else why it stays.
    [[nodiscard]] std::uint32_t remove(const std::string& path, const FileEntry& entry);
    RemovalFailures failures;

private:
    void note(const std::string& path, std::uint32_t error);
    IShellFiles& files_;
    const std::function<void()>& keepAlive_;
};

// One source's folder of the weekday folder, kept and brought level.
class KeptFolder final : public KeptCopy {
public:
    KeptFolder(IShellFiles& files, bool localTimes, const std::function<void()>& keepAlive)
        : remover_(files, keepAlive), localTimes_(localTimes) {}
    bool unchanged(const FileEntry& copy, const FileEntry& source) override;
    std::uint32_t clear(const std::string& path, const FileEntry& entry) override;
    void leftovers(const std::string& folder, const std::vector<const FileEntry*>& entries) override;
    void checked(bool copied) override;
    void copying(int percent) override { copyingPercent = percent; }

    // What the source no longer has and could not be removed.
    const RemovalFailures& stays() const { return remover_.failures; }
    int checkedFiles = 0, copiedFiles = 0;
    int copyingPercent = -1;  // of the large file being copied, if any

private:
    Remover remover_;
    bool localTimes_;
};

}  // namespace zb
