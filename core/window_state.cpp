#include "core/window_state.h"

#include <utility>

namespace zb {

Act WindowState::on(Road road, Seen seen) {
    switch (road) {
        case Road::EntryMinimize:
        case Road::MainMinimize:
            return Act::Minimize;
        case Road::EntryRestore:
            // A restore of an entry that is neither iconic nor standing for a
            // hidden window is the system's own business.
            return seen.entryIconic || !shown_ ? Act::Restore : Act::PassOn;
        case Road::MainRestore:
            return seen.mainIconic ? Act::Restore : Act::PassOn;
        case Road::EntryMinimized:
            // The system hides the main window with its owner: never hidden
            // or iconic without the icon that brings it back.
            return Act::PostToTray;
        case Road::MainMinimized:
            // The program's own minimise is already on its way to the tray.
            return minimized_ ? Act::PassOn : Act::PostToTray;
        case Road::ToTray:
            // Something else sent the window to the tray meanwhile.
            return shown_ ? Act::Minimize : Act::Nothing;
        case Road::FromTray:
            return Act::Restore;
        case Road::HandOver:
            // The caller gets its answer at once; the window comes once it is
            // gone, and not before start-up has decided where the window goes.
            if (realized_) return Act::PostFromTray;
            handOverPending_ = true;
            return Act::Nothing;
    }
    return Act::PassOn;
}

Presentation WindowState::setShown(bool shown, Seen seen) {
    shown_ = shown;
    if (!realized_) return {};
    if (!shown) return {EntryShow::Hide, MainShow::Hide};
    return {EntryShow::Show,
            minimized_ ? MainShow::ShowMinimized : (seen.mainIconic ? MainShow::Restore : MainShow::Show)};
}

Presentation WindowState::setMinimized(bool minimized, Seen seen) {
    minimized_ = minimized;
    if (!realized_ || !seen.mainVisible) return {};
    if (minimized && !seen.mainIconic) return {EntryShow::Leave, MainShow::Minimize};
    if (!minimized && seen.mainIconic) return {EntryShow::Leave, MainShow::Restore};
    return {};
}

WindowState::Realized WindowState::realize() {
    realized_ = true;
    Presentation show;
    if (shown_) show = {EntryShow::Show, minimized_ ? MainShow::ShowMinimized : MainShow::ShowNormal};
    return {show, std::exchange(handOverPending_, false)};
}

Focus WindowState::onEntryActivated(Seen seen, bool entryStillActive, bool popupUsable) {
    if (!seen.mainVisible || seen.mainIconic || !entryStillActive) return Focus::None;
    return popupUsable ? Focus::Popup : Focus::Main;
}

}  // namespace zb
