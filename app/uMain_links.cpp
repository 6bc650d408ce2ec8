// The desktop shortcut, the autostart entry, and the buttons that hand a page,
// a program or a folder to the shell.
#include "app/paths.h"
#include "app/uMain.h"
#include "resources/texts.h"
#include "shell/links.h"

namespace zb {

namespace {

// The executable's own folder: the current directory is no guide, since the
// folder copy changes it and a start from the shortcut or at logon sets it.
std::string programPath(ISystem& system) {
    return withTrailingDelimiter(system.programFolder()) + txt::ProgramFileName;
}

// Windows splits an unquoted Run command at the first blank and would try
// to start "C:\Program" for "C:\Program Files\...".
std::string autostartCommand(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : '"' + path + '"';
}

}  // namespace

void TfrmBackup::CreateSystemLinks(Ctl Sender) {
    if (Sender == Ctl::btnAddDesktop) {
        std::string workingDirectory = settingsFolder(system_);
        workingDirectory.pop_back();
        const std::string saved = CreateShellLink(shellLinks_, registry_, system_, programPath(system_),
                                                  workingDirectory, "", txt::LinkDescription);
        if (!saved.empty()) box(MsgKind::Information, txt::InfoLinkCreated);
    } else if (Sender == Ctl::btnbtnAddIconInStartup) {
        AddAutostartEntry(registry_, txt::AutostartValueName, autostartCommand(programPath(system_)));
    } else if (Sender == Ctl::btnDeleteIconInStartup) {
        DeleteAutostartEntry(registry_, txt::AutostartValueName);
    }
}

void TfrmBackup::btnOpenLocalClick(Ctl) {
    (void)launcher_.shellExecute(window_.handle(), "open", settingsFolder(system_), "", "", SW_SHOW_);
}

void TfrmBackup::btnHelpClick(Ctl) {
    (void)launcher_.shellExecute(window_.handle(), "open", txt::DocumentationUrl, "", "", SW_SHOW_);
}

void TfrmBackup::btnSupportClick(Ctl) {
    const std::string file = withTrailingDelimiter(system_.programFolder()) + txt::RemoteSupportFileName;
    (void)launcher_.shellExecute(window_.handle(), "open", file, "", "", SW_SHOW_);
}

}  // namespace zb
