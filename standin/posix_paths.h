#pragma once
// How the POSIX stand-ins find the Windows paths that the program forms on
// the Linux file system: drive letters are mapped to host folders (as Wine
// maps them in dosdevices), backslashes become slashes, a path beginning with
// '/' is a host path as it stands.
#include <optional>
#include <string>

namespace zb::posix {

void mapDrive(char letter, const std::string& hostDir);
void unmapDrive(char letter);
void clearDrives();
// The host path, or nothing when the path lies on a drive that is not mapped
// (also "\x", the root of the current drive, unless C: is mapped) or on a
// network share.
std::optional<std::string> hostPath(const std::string& winPath);

}  // namespace zb::posix
