#include "core/shell/links.h"

#include <cstdio>

#include "core/errors.h"
#include "core/paths.h"
#include "core/message.h"
#include "resources/texts.h"

namespace zb {

namespace {

// One open registry key, closed however the routine ends.
class OpenKey {
public:
    OpenKey(IRegistry& registry, const std::string& subKey)
        : registry_(registry), key_(registry.openOrCreate(subKey)) {}
    ~OpenKey() {
        if (key_) registry_.close(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    IRegistry::Key get() const { return key_; }

private:
    IRegistry& registry_;
    IRegistry::Key key_;
};

// The system's texts end in a full stop and a line break; the error text
// goes on after them.
std::string trimmed(std::string s) {
    while (!s.empty() && (static_cast<unsigned char>(s.back()) <= ' ' || s.back() == '.')) s.pop_back();
    return s;
}

std::string createError(IShellLinkFactory& links, std::uint32_t hresult) {
    std::string reason = trimmed(links.messageText(hresult));
    if (reason.empty()) reason = fill(txt::ErrOle, {hex8(hresult)});
    return fill(txt::ErrCreateObject, {reason, kClsidShellLink});
}

std::string desktopFolder(IRegistry& registry, ISystem& system) {
    std::string folder;
    {
        OpenKey explorer(registry, kExplorerKey);
        folder = registry.queryString(explorer.get(), "Shell Folders", "Desktop").value_or("");
    }
    // Without a folder the shortcut would land in the root of the current drive.
    if (folder.empty()) folder = system.shellDesktopFolder();
    return folder;
}

}  // namespace

std::string CreateShellLink(IShellLinkFactory& links, IRegistry& registry, ISystem& system,
                            const std::string& target, const std::string& workingDirectory,
                            const std::string& arguments, const std::string& description) {
    std::uint32_t hresult = 0;
    const std::unique_ptr<IShellLinkObject> link = links.create(hresult);
    if (!link) throw EZelkorError(createError(links, hresult));
    if (!link->queryInterfaces()) throw EZelkorError(txt::ErrNoInterface);
    link->setPath(target);
    link->setArguments(arguments);
    link->setDescription(description);
    const std::string desktop = desktopFolder(registry, system);
    if (desktop.empty()) return {};
    const std::string path = withTrailingDelimiter(desktop) + txt::LinkFileName;
    link->setWorkingDirectory(workingDirectory);
    return link->save(path) ? path : std::string();
}

void AddAutostartEntry(IRegistry& registry, const std::string& name, const std::string& command) {
    OpenKey run(registry, kRunKey);
    // Whatever the user or an installer put there wins.
    if (registry.valueExists(run.get(), name)) return;
    if (!run.get() || !registry.setString(run.get(), name, command))
        throw EZelkorError(fill(txt::ErrRegistryWrite, {name}));
}

void DeleteAutostartEntry(IRegistry& registry, const std::string& name) {
    OpenKey run(registry, kRunKey);
    if (run.get() && registry.valueExists(run.get(), name)) (void)registry.deleteValue(run.get(), name);
}

// The executable's own folder: the current directory is no guide, since the
// folder copy changes it and a start from the shortcut or at logon sets it.
std::string ProgramPath(ISystem& system) {
    return withTrailingDelimiter(system.programFolder()) + txt::ProgramFileName;
}

// Windows splits an unquoted Run command at the first blank and would try
// to start "C:\Program" for "C:\Program Files\...".
std::string AutostartCommand(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : '"' + path + '"';
}

void RestoreAutostartEntry(IRegistry& registry, ISystem& system) {
    {
        // Read through the parent, which every account has, so that a start
        // without a mark leaves no key of ours behind.
        OpenKey software(registry, kProgramKeyParent);
        if (!software.get() || !registry.queryString(software.get(), kProgramKeyName, kAutostartMarkValue)) return;
    }
    AddAutostartEntry(registry, txt::AutostartValueName, AutostartCommand(ProgramPath(system)));
    OpenKey program(registry, std::string(kProgramKeyParent) + "\\" + kProgramKeyName);
    if (program.get()) (void)registry.deleteValue(program.get(), kAutostartMarkValue);
}

}  // namespace zb
