#pragma once
// A clock the tests move by hand: waits cost no real time.
#include "platform/ports.h"

namespace zb {

class VirtualClock final : public IClock {
public:
    LocalDateTime now() override { return now_; }
    std::uint32_t tickCount() override { return tick_; }

    void set(const LocalDateTime& t) { now_ = t; }
    void setTick(std::uint32_t t) { tick_ = t; }
    // Moves both the local time and the tick counter on.
    void advance(std::uint32_t ms);

private:
    LocalDateTime now_{2026, 12, 7, 10, 0, 0, 0};  // a Monday
    std::uint32_t tick_ = 1000;
};

}  // namespace zb
