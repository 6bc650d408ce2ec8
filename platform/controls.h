#pragma once
// Identities of the window's controls and components, generated from the one
// control table. A handler's sender is one of these.
#include <array>
#include <cstddef>
#include <string_view>

namespace zb {

enum class Kind {
    Form, Panel, Group, Check, Edit, Label, Glyph, Button, TimePicker, Memo,
    Timer, PopupMenu, MenuItem, Separator, AppEvents, FolderDialog
};

enum CtlFlags : unsigned {
    F_VIS = 1u << 0,
    F_DIS = 1u << 1,
    F_TAB = 1u << 2,
    F_LEFT = 1u << 3,
    F_DEF = 1u << 4,
    F_CAN = 1u << 5,
};

enum class Ctl : int {
#define CTL(name, kind, parent, caption, l, t, w, h, flags) name,
#include "../resources/controls.def"
#undef CTL
};

struct CtlInfo {
    Ctl id;
    std::string_view name;
    Kind kind;
    Ctl parent;
    std::string_view caption;  // UTF-8
    int left, top, width, height;
    unsigned flags;
};

inline constexpr CtlInfo kControls[] = {
#define CTL(name, kind, parent, caption, l, t, w, h, flags) \
    {Ctl::name, #name, Kind::kind, Ctl::parent, caption, l, t, w, h, flags},
#include "../resources/controls.def"
#undef CTL
};

inline constexpr std::size_t kControlCount = std::size(kControls);

constexpr const CtlInfo& info(Ctl c) { return kControls[static_cast<std::size_t>(c)]; }

// Command identifier of a control or menu item in the Win32 window.
constexpr int controlId(Ctl c) { return 1000 + static_cast<int>(c); }

// Has a window of its own inside the main window.
constexpr bool isWindowControl(Kind k) {
    return k != Kind::Form && k != Kind::Timer && k != Kind::PopupMenu && k != Kind::MenuItem &&
           k != Kind::Separator && k != Kind::AppEvents && k != Kind::FolderDialog;
}

// Position inside the main window's client area.
struct Rect { int left, top, right, bottom; };
constexpr Rect clientRect(Ctl c) {
    const CtlInfo& i = info(c);
    Rect r{i.left, i.top, i.left + i.width, i.top + i.height};
    for (Ctl p = i.parent; p != Ctl::frmBackup; p = info(p).parent) {
        r.left += info(p).left; r.right += info(p).left;
        r.top += info(p).top; r.bottom += info(p).top;
    }
    return r;
}

// Numbered control families: index 1..N.
constexpr Ctl cbPfad(int k) { return Ctl(int(Ctl::cbPfad1) + k - 1); }
constexpr Ctl edPfad(int k) { return Ctl(int(Ctl::edPfad1) + k - 1); }
constexpr Ctl btnFind(int k) { return Ctl(int(Ctl::btnFind1) + k - 1); }
constexpr Ctl edTarget(int n) { return Ctl(int(Ctl::edTarget1) + n - 1); }
constexpr Ctl btnFindTarget(int n) { return Ctl(int(Ctl::btnFindTarget1) + n - 1); }

// Weekday boxes by ISO weekday number (1 Monday .. 7 Sunday).
constexpr Ctl weekdayBox(int isoDay) {
    constexpr Ctl boxes[] = {Ctl::cbMo, Ctl::cbDi, Ctl::cbMi, Ctl::cbDo, Ctl::cbFr, Ctl::cbSa, Ctl::cbSo};
    return boxes[isoDay - 1];
}

}  // namespace zb
