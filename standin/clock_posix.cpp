#include "standin/clock_posix.h"

#include "core/calendar.h"

#include <chrono>
#include <ctime>
namespace zb {

namespace {

class RealClock final : public IClock {
public:
    LocalDateTime now() override {
        const auto t = std::chrono::system_clock::now();
        const std::time_t tt = std::chrono::system_clock::to_time_t(t);
        std::tm tm{};
        localtime_r(&tt, &tm);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count() % 1000;
        return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms)};
    }
    std::uint32_t tickCount() override {
        return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count());
    }
    std::int32_t utcOffsetMinutes(std::int64_t utcSeconds) override {
        const auto tt = static_cast<std::time_t>(utcSeconds);
        std::tm tm{};
        localtime_r(&tt, &tm);
        return static_cast<std::int32_t>(tm.tm_gmtoff / 60);
    }
};

}  // namespace

void VirtualClock::advance(std::uint32_t ms) {
    tick_ += ms;
    std::int64_t total = now_.millisecond + static_cast<std::int64_t>(ms);
    std::int64_t secs = now_.hour * 3600 + now_.minute * 60 + now_.second + total / 1000;
    now_.millisecond = static_cast<int>(total % 1000);
    std::int64_t days = daysFromCivil(now_.year, static_cast<unsigned>(now_.month), static_cast<unsigned>(now_.day)) +
                        secs / 86400;
    secs %= 86400;
    now_.hour = static_cast<int>(secs / 3600);
    now_.minute = static_cast<int>(secs / 60 % 60);
    now_.second = static_cast<int>(secs % 60);
    civilFromDays(days, now_.year, now_.month, now_.day);
}

std::unique_ptr<IClock> makeClock() { return std::make_unique<RealClock>(); }

}  // namespace zb
