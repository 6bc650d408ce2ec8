#pragma once
// Sleep and wake: the run's keep-awake and the one wake timer of the schedule.
#include <windows.h>

#include "platform/ports.h"
#include "win32/handles_win32.h"

namespace zb {

class Win32SleepControl final : public ISleepControl {
public:
    bool keepAwake(bool on) override;
    WakeTimer setWakeTimer(std::int64_t utcSeconds) override;
    void cancelWakeTimer() override;

    // The timer's handle, for a test that waits for it; null before the first set.
    HANDLE timerHandle() const { return timer_.get(); }

private:
    // Open for the life of the program: closing the handle cancels the wake.
    unique_handle timer_;
};

}  // namespace zb
