// What the sleep port asks of Windows: the thread's execution state, and a
// wake timer that fires at its moment.
#include <gtest/gtest.h>

#include <ctime>

#include "win32/power_win32.h"

namespace zb {
namespace {

TEST(PowerWin32, KeepAwakeHoldsTheSystemButNotTheDisplayAndLetsGo) {
    Win32SleepControl sleep;
    // SetThreadExecutionState answers the state it replaces.
    ASSERT_TRUE(sleep.keepAwake(true));
    EXPECT_EQ(SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED), ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    EXPECT_TRUE(sleep.keepAwake(false) && SetThreadExecutionState(ES_CONTINUOUS) == ES_CONTINUOUS);
}

TEST(PowerWin32, TheWakeTimerFiresAtItsMomentInUtcAndNotAfterACancel) {
    Win32SleepControl sleep;
    ASSERT_NE(sleep.setWakeTimer(std::time(nullptr) + 3600), WakeTimer::NotSupported);
    EXPECT_EQ(WaitForSingleObject(sleep.timerHandle(), 1500), static_cast<DWORD>(WAIT_TIMEOUT));
    // Replaced by a moment two to three seconds ahead: it fires then, not before.
    ASSERT_NE(sleep.setWakeTimer(std::time(nullptr) + 3), WakeTimer::NotSupported);
    EXPECT_EQ(WaitForSingleObject(sleep.timerHandle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForSingleObject(sleep.timerHandle(), 4000), WAIT_OBJECT_0);
    ASSERT_NE(sleep.setWakeTimer(std::time(nullptr) + 1), WakeTimer::NotSupported);
    sleep.cancelWakeTimer();
    EXPECT_EQ(WaitForSingleObject(sleep.timerHandle(), 2500), static_cast<DWORD>(WAIT_TIMEOUT));
}

}  // namespace
}  // namespace zb
