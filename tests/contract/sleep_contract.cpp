// The sleep port: the stand-in records, the Win32 side calls
// SetThreadExecutionState and a waitable timer with resume (Wine accepts
// both but cannot sleep; tests/win32/power_win32_test.cpp looks closer).
#include <gtest/gtest.h>

#include <ctime>

#include "platform/ports.h"

namespace zb {
namespace {

TEST(SleepContract, KeepAwakeComesAndGoesAndTheWakeTimerIsSetReplacedAndCancelled) {
    const auto sleep = makeSleepControl();
    EXPECT_TRUE(sleep->keepAwake(true) && sleep->keepAwake(true) && sleep->keepAwake(false));
    sleep->cancelWakeTimer();  // never set: no failure
    const std::int64_t inAnHour = std::time(nullptr) + 3600;
    const WakeTimer first = sleep->setWakeTimer(inAnHour);
    EXPECT_NE(first, WakeTimer::NotSupported);
    EXPECT_EQ(sleep->setWakeTimer(inAnHour + 86400), first);
    sleep->cancelWakeTimer();
}

}  // namespace
}  // namespace zb
