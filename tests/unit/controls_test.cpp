// The one control table from which the window is built.
#include <gtest/gtest.h>

#include <vector>

#include "platform/controls.h"

namespace zb {
namespace {

bool overlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
bool isContainer(Kind k) { return k == Kind::Group || k == Kind::Panel; }

TEST(ControlTable, EverythingFitsItsParentAndNothingOverlaps) {
    for (const CtlInfo& c : kControls) {
        if (!isWindowControl(c.kind)) continue;
        const Rect r = clientRect(c.id);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= 627 && r.bottom <= 511) << c.name;
        if (c.parent != Ctl::frmBackup) {
            const CtlInfo& p = info(c.parent);
            EXPECT_TRUE(c.left >= 0 && c.top >= 0 && c.left + c.width <= p.width && c.top + c.height <= p.height)
                << c.name << " leaves " << p.name;
        }
        for (const CtlInfo& o : kControls) {
            if (&o <= &c || !isWindowControl(o.kind) || o.parent != c.parent) continue;
            if (isContainer(c.kind) != isContainer(o.kind)) continue;
            EXPECT_FALSE(overlap(r, clientRect(o.id))) << c.name << " overlaps " << o.name;
        }
    }
}

TEST(ControlTable, TabOrderFollowsTheGroups) {
    std::vector<std::string_view> order;
    for (const CtlInfo& c : kControls)
        if (c.flags & F_TAB) order.push_back(c.name);
    const std::vector<std::string_view> expected = {
        "cbPfad1", "cbPfad2", "cbPfad3", "cbPfad4", "cbPfad5", "edPfad1", "edPfad2", "edPfad3", "edPfad4", "edPfad5",
        "edTarget1", "edTarget2", "edTarget3", "edTarget4", "edTarget5", "edTarget6", "edTarget7", "edTarget8",
        "cbUnmountUSB", "cbSD", "cbMo", "cbDi", "cbMi", "cbDo", "cbFr", "cbSa", "dtpTarget", "mmo1", "btnActive",
        "btnQuit"};
    EXPECT_EQ(order, expected);
}

TEST(ControlTable, RowsAreTwentyFivePixelsApart) {
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(info(cbPfad(i)).top, 23 + 25 * (i - 1));
    for (int i = 1; i <= 8; ++i) {
        EXPECT_EQ(info(edTarget(i)).top, 145 + 25 * (i - 1));
        EXPECT_EQ(info(btnFindTarget(i)).left, 270);
    }
    EXPECT_EQ(info(Ctl::cbSo).flags & (F_VIS | F_DIS), F_DIS);  // Sunday only through the settings file
    EXPECT_EQ(info(Ctl::grpNavi).caption, "Navigaion");
    EXPECT_EQ(info(Ctl::cbSD).caption, "Nach Abschluß PC herunterfahren");
}

}  // namespace
}  // namespace zb
