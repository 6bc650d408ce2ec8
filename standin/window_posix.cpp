#include "standin/window_posix.h"

namespace zb {

PosixWindow::PosixWindow() {
    for (const CtlInfo& i : kControls) {
        ControlState& s = controls_[i.id];
        s.visible = (i.flags & F_VIS) != 0;
        s.enabled = (i.flags & F_DIS) == 0;
        if (i.kind != Kind::Edit && i.kind != Kind::Memo) s.text = std::string(i.caption);
    }
}

void PosixWindow::appendLine(Ctl c, const std::string& line) {
    controls_[c].text += line + "\r\n";
}

void PosixWindow::processMessages() {
    ++processMessagesCalls;
    if (onProcessMessages) onProcessMessages();
}

void PosixWindow::waitForMessages(std::uint32_t timeoutMs) {
    ++waits;
    if (onWait) onWait(timeoutMs);
}

MsgResult PosixWindow::messageBox(MsgKind kind, MsgButtons buttons, const std::string& text) {
    boxes.push_back({kind, buttons, text});
    if (onMessageBox) onMessageBox(boxes.back());
    if (answers.empty()) return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::None;
    const MsgResult r = answers.front();
    answers.pop_front();
    return r;
}

void PosixWindow::setTimerEnabled(bool on) {
    if (on) ++timerStarts;
    timer_ = on;
}

std::optional<std::string> PosixWindow::pickFolder() {
    if (pickedFolders.empty()) return std::nullopt;
    auto r = pickedFolders.front();
    pickedFolders.pop_front();
    return r;
}

bool PosixTray::notifyIcon(std::uint32_t message, const TrayIconData& data) {
    const auto key = std::make_pair(data.hWnd, data.uID);
    bool ok = false;
    if (!shellUp) ok = false;
    else if (message == NIM_ADD_) ok = icons.emplace(key, data).second;
    else if (message == NIM_DELETE_) ok = icons.erase(key) > 0;
    else if (auto it = icons.find(key); message == NIM_MODIFY_ && it != icons.end()) ok = (it->second = data, true);
    calls.push_back({message, data, ok});
    return ok;
}

}  // namespace zb
