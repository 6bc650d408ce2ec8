#include <windows.h>

#include <cstdint>

#include "platform/ports.h"

namespace zb {

namespace {

class Win32Clock final : public IClock {
public:
    LocalDateTime now() override {
        SYSTEMTIME st{};
        GetLocalTime(&st);
        return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
    }
    std::uint32_t tickCount() override { return GetTickCount(); }
    std::int32_t utcOffsetMinutes(std::int64_t utcSeconds) override {
        constexpr std::int64_t kUnixEpoch = 116444736000000000;  // 1970 in 100-ns units since 1601
        const std::uint64_t u = static_cast<std::uint64_t>(utcSeconds * 10000000 + kUnixEpoch);
        const FILETIME utcFt{static_cast<DWORD>(u), static_cast<DWORD>(u >> 32)};
        SYSTEMTIME utc{}, local{};
        FILETIME localFt{};
        if (!FileTimeToSystemTime(&utcFt, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) ||
            !SystemTimeToFileTime(&local, &localFt))
            return 0;
        const std::int64_t l = static_cast<std::int64_t>(std::uint64_t{localFt.dwHighDateTime} << 32 |
                                                         localFt.dwLowDateTime);
        return static_cast<std::int32_t>((l - static_cast<std::int64_t>(u)) / 600000000);
    }
};

}  // namespace

std::unique_ptr<IClock> makeClock() { return std::make_unique<Win32Clock>(); }

}  // namespace zb
