#include <windows.h>

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
};

}  // namespace

std::unique_ptr<IClock> makeClock() { return std::make_unique<Win32Clock>(); }

}  // namespace zb
