// Switching the machine off after a run.
#include "core/uMain.h"
#include "platform/port_handles.h"

namespace zb {

namespace {

constexpr std::uint32_t VER_PLATFORM_WIN32_NT_ = 2;
constexpr std::uint32_t TOKEN_ADJUST_PRIVILEGES_ = 0x20;
constexpr std::uint32_t SE_PRIVILEGE_ENABLED_ = 2;

}  // namespace

bool TfrmBackup::ExitWindows(std::uint32_t Flags) {
    // Only the NT family guards a shutdown with a privilege, and a process
    // has it, if at all, disabled.
    if (power_.versionPlatformId() == VER_PLATFORM_WIN32_NT_) {
        IPower::Handle raw = 0;
        // A failing step here shows in ExitWindowsEx's answer; nothing to check.
        (void)power_.openProcessToken(TOKEN_ADJUST_PRIVILEGES_, raw);
        const unique_token token(power_, raw);
        std::uint64_t luid = 0;
        (void)power_.lookupPrivilegeValue("SeShutdownPrivilege", luid);
        (void)power_.adjustTokenPrivileges(token.get(), luid, SE_PRIVILEGE_ENABLED_);
    }
    return power_.exitWindowsEx(Flags, 0);
}

}  // namespace zb
