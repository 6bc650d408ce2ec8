#include "win32/power_win32.h"

namespace zb {

namespace {

// The power plan's "Allow wake timers" (sleep subgroup); GUIDs spelled out so
// that no translation unit needs INITGUID.
constexpr GUID kSleepSubgroup{0x238c9fa8, 0x0aad, 0x41ed, {0x83, 0xf4, 0x97, 0xbe, 0x24, 0x2c, 0x8f, 0x20}};
constexpr GUID kAllowWakeTimers{0xbd3b718a, 0x0680, 0x4d9d, {0x8a, 0xb2, 0xe1, 0xd2, 0xb4, 0xac, 0x80, 0x6d}};

// Whether the active plan, for the power source of the moment, lets a timer
// like ours wake the computer: 1 allows it; 0 forbids all, 2 only
// "important" ones of the system. Unknown (a system that cannot say) counts as allowed.
bool planAllowsWakeTimers() {
    // Loaded from System32 only, not imported: a planted powrprof.dll beside
    // a portable copy would be loaded with the program.
    struct Library {
        HMODULE h = LoadLibraryExW(L"powrprof.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        ~Library() {
            if (h) FreeLibrary(h);
        }
    } powrprof;
    if (!powrprof.h) return true;
    using GetScheme = DWORD(WINAPI*)(HKEY, GUID**);
    using ReadIndex = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, LPDWORD);
    const auto getScheme = reinterpret_cast<GetScheme>(
        reinterpret_cast<void*>(GetProcAddress(powrprof.h, "PowerGetActiveScheme")));
    SYSTEM_POWER_STATUS status{};
    const bool onBattery = GetSystemPowerStatus(&status) && status.ACLineStatus == 0;
    const auto read = reinterpret_cast<ReadIndex>(reinterpret_cast<void*>(
        GetProcAddress(powrprof.h, onBattery ? "PowerReadDCValueIndex" : "PowerReadACValueIndex")));
    GUID* scheme = nullptr;
    if (!getScheme || !read || getScheme(nullptr, &scheme) != ERROR_SUCCESS || !scheme) return true;
    DWORD value = 1;
    const DWORD result = read(nullptr, scheme, &kSleepSubgroup, &kAllowWakeTimers, &value);
    LocalFree(scheme);
    return result != ERROR_SUCCESS || value == 1;
}

}  // namespace

bool Win32SleepControl::keepAwake(bool on) {
    const EXECUTION_STATE state = on ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS;
    return SetThreadExecutionState(state) != 0;
}

WakeTimer Win32SleepControl::setWakeTimer(std::int64_t utcSeconds) {
    if (!timer_) timer_.reset(CreateWaitableTimerW(nullptr, TRUE, nullptr));
    if (!timer_) return WakeTimer::NotSupported;
    // A positive due time is absolute, in 100-ns units since 1601, UTC: a
    // change of the clock or the zone leaves the moment where it is.
    constexpr std::int64_t kFrom1601 = 11644473600LL;
    LARGE_INTEGER due{};
    due.QuadPart = (utcSeconds + kFrom1601) * 10000000LL;
    SetLastError(ERROR_SUCCESS);
    if (!SetWaitableTimer(timer_.get(), &due, 0, nullptr, nullptr, TRUE)) return WakeTimer::NotSupported;
    // Set, but without resume: the system cannot wake for it.
    if (GetLastError() == ERROR_NOT_SUPPORTED) return WakeTimer::NotSupported;
    return planAllowsWakeTimers() ? WakeTimer::Set : WakeTimer::PlanRefuses;
}

void Win32SleepControl::cancelWakeTimer() {
    if (timer_) CancelWaitableTimer(timer_.get());
}

std::unique_ptr<ISleepControl> makeSleepControl() { return std::make_unique<Win32SleepControl>(); }

}  // namespace zb
