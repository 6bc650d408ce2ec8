#pragma once
// The desktop shortcut and the autostart entry: routines of their own, used by
// the window's handlers and by the first start.
#include <string>

#include "platform/ports.h"

namespace zb {

// CLSID_ShellLink as the error texts name it.
inline constexpr const char* kClsidShellLink = "{00021401-0000-0000-C000-000000000046}";
inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kExplorerKey = "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer";

// Saves a shortcut "ZelkorBackup.lnk" on the user's desktop. Returns the
// file's full path, or an empty text when it could not be saved. Throws
// EZelkorError when the shell link object cannot be made or lacks an interface.
std::string CreateShellLink(IShellLinkFactory& links, IRegistry& registry, ISystem& system,
                            const std::string& target, const std::string& workingDirectory,
                            const std::string& arguments, const std::string& description);

// Writes `command` as the value `name` of the current user's Run key unless
// such a value exists already. Throws EZelkorError when it cannot be written.
void AddAutostartEntry(IRegistry& registry, const std::string& name, const std::string& command);

// Removes the value if there is one; a failure goes unreported.
void DeleteAutostartEntry(IRegistry& registry, const std::string& name);

}  // namespace zb
