// The desktop shortcut, the autostart entry, and the buttons that hand a page,
// a program or a folder to the shell.
#include "core/paths.h"
#include "core/uMain.h"
#include "resources/texts.h"
#include "core/shell/links.h"

namespace zb {

void TfrmBackup::CreateSystemLinks(Ctl Sender) {
    if (Sender == Ctl::btnAddDesktop) {
        std::string workingDirectory = settingsFolder(system_);
        workingDirectory.pop_back();
        const std::string saved = CreateShellLink(shellLinks_, registry_, system_, ProgramPath(system_),
                                                  workingDirectory, "", txt::LinkDescription);
        if (!saved.empty()) box(MsgKind::Information, txt::InfoLinkCreated);
    } else if (Sender == Ctl::btnbtnAddIconInStartup) {
        AddAutostartEntry(registry_, txt::AutostartValueName, AutostartCommand(ProgramPath(system_)));
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
