#pragma once
#include <string>
#include <string_view>

namespace zb {

// A path that names the same place whatever the process's current directory:
// a drive letter with a colon (E:, E:\x) or a UNC path (\\server\share).
// The folder copy changes the current directory during every run, so a
// relative path would point somewhere different each time.
bool isAbsolutePath(std::string_view path);

// The text with a trailing backslash, unless it already ends in one.
std::string withTrailingDelimiter(std::string path);

// The folder that holds `path`; empty above a drive root.
std::string parentOf(std::string path);

// A weekday folder's name: "1" (Monday) to "7".
bool isWeekdayFolder(const std::string& name);

}  // namespace zb
