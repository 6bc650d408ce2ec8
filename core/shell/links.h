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
// The uninstaller's note to the next start, under HKEY_CURRENT_USER: it
// removed this user's autostart entry, which a reinstall should bring back.
inline constexpr const char* kProgramKeyParent = "Software";
inline constexpr const char* kProgramKeyName = "ZELKOR Backup";
inline constexpr const char* kAutostartMarkValue = "AutostartWiederherstellen";

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

// The running exe, and how the Run key must name it.
std::string ProgramPath(ISystem& system);
std::string AutostartCommand(const std::string& path);

// At start-up: when the uninstaller left its mark, writes this program's
// autostart entry (as AddAutostartEntry does) and then removes the mark.
// Throws EZelkorError when the entry cannot be written; the mark then stays
// for the next start.
void RestoreAutostartEntry(IRegistry& registry, ISystem& system);

}  // namespace zb
