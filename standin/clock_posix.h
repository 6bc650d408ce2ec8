#pragma once
// A clock the tests move by hand: waits cost no real time.
#include <functional>

#include "platform/ports.h"

namespace zb {

class VirtualClock final : public IClock {
public:
    LocalDateTime now() override { return now_; }
    std::uint32_t tickCount() override { return tick_; }
    std::int32_t utcOffsetMinutes(std::int64_t utcSeconds) override { return zone ? zone(utcSeconds) : 0; }

    void set(const LocalDateTime& t) { now_ = t; }
    void setTick(std::uint32_t t) { tick_ = t; }
    // Moves both the local time and the tick counter on.
    void advance(std::uint32_t ms);
    // The time zone's offset by the UTC moment; UTC itself when empty.
    std::function<std::int32_t(std::int64_t)> zone;

private:
    LocalDateTime now_{2026, 12, 7, 10, 0, 0, 0};  // a Monday
    std::uint32_t tick_ = 1000;
};

}  // namespace zb
