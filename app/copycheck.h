#pragma once
// The check after the shell's copy of a source: every folder and file of the
// source must be in the copy, each file with its size and last-write time.
// What the shell left out or left short is copied again, one entry at a
// time, with calls that handle any name and any path length.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/ports.h"

namespace zb {

struct CopyShortfall {
    int missing = 0;         // files (or unreadable folders) still not in the copy
    int files = 0;           // files of the source
    std::string first;       // the source path of the first of them
    std::uint32_t error = 0;  // why that one could not be copied
};

// `keepAlive` runs now and then, so that the window stays responsive during
// a long check. Writes nothing outside `dest`.
[[nodiscard]] CopyShortfall completeCopy(IShellFiles& files, const std::string& source, const std::string& dest,
                           const std::function<void()>& keepAlive);

// The report of a shortfall, on one line.
std::string shortfallText(IShellFiles& files, const std::string& source, const CopyShortfall& s);

}  // namespace zb
