// One program per user session, in the real program under Wine.
#include <gtest/gtest.h>

#include "driver.h"
#include "platform/ports.h"

namespace zb::e2e {
namespace {

class InstanceE2E : public ::testing::Test {
protected:
    void SetUp() override { sb.writeIni(schedule); }
    Sandbox sb;
    const std::string schedule = "[Backup]\r\nMon=1\r\nP1A=1\r\nP1P=" + toAnsi(sb.makeFolder("Quelle")) + "\r\n";
};

TEST_F(InstanceE2E, ASecondStartShowsTheWaitingProgramAndEnds) {
    App first(sb.appData());
    first.main();
    ASSERT_TRUE(first.waitMainVisible(false));
    ASSERT_TRUE(first.trayIconPresent());
    const std::string before = sb.readIni();

    App second(sb.appData());
    ASSERT_TRUE(second.waitExit(5s));
    EXPECT_EQ(second.exitCode(), 0u);
    EXPECT_TRUE(first.waitMainVisible(true));
    EXPECT_FALSE(IsIconic(first.main()));
    EXPECT_FALSE(first.trayIconPresent());
    EXPECT_EQ(countWindows("TfrmBackup"), 1);
    EXPECT_EQ(sb.readIni(), before);
    EXPECT_TRUE(first.running());
}

TEST_F(InstanceE2E, AStartDuringStartUpShowsTheWindowOnceStartUpIsDone) {
    sb.writeIni(schedule + "UNM=1\r\n");
    App first(sb.appData());
    auto warning = first.waitMessageBox();
    ASSERT_TRUE(warning);
    App second(sb.appData());
    ASSERT_TRUE(second.waitExit(5s));
    EXPECT_EQ(second.exitCode(), 0u);
    // "&Nein" keeps the option; the schedule is activated and would go to the tray.
    first.answer(*warning, "&Nein");
    EXPECT_TRUE(first.waitMainVisible(true));
    EXPECT_FALSE(first.trayIconPresent());
    EXPECT_EQ(countWindows("TfrmBackup"), 1);
}

TEST_F(InstanceE2E, TwoStartsAtOnceLeaveOneProgram) {
    App a(sb.appData(), false);
    App b(sb.appData(), false);
    ASSERT_TRUE(waitFor([&] { return !a.running() || !b.running(); }, 10s));
    App& ended = a.running() ? b : a;
    App& left = a.running() ? a : b;
    EXPECT_EQ(ended.exitCode(), 0u);
    left.main();
    EXPECT_FALSE(waitFor([&] { return !left.running() || countWindows("TfrmBackup") != 1; }, 1s));
}

}  // namespace
}  // namespace zb::e2e
