// The image's load configuration. Its DependentLoadFlags make the system look
// for a DLL that is loaded on this program's behalf (a system component asking
// for a library by its bare name) in System32 only, never beside the program:
// a portable copy may sit in a folder that others can write to.
// MinGW's ld does not point the load configuration directory at this symbol;
// cmake/pe-load-config.sh does that after the link. Linked into
// ZelkorBackup.exe and Deinstallieren.exe; Visual Studio's linker sets the
// same flag with /DEPENDENTLOADFLAG instead.
#include <windows.h>

#include <cstddef>

// The layout Windows reads, through SEHandlerCount; this MinGW's winnt.h still
// calls DependentLoadFlags "Reserved1".
struct ZbLoadConfig64 {
    DWORD Size, TimeDateStamp;
    WORD MajorVersion, MinorVersion;
    DWORD GlobalFlagsClear, GlobalFlagsSet, CriticalSectionDefaultTimeout;
    ULONGLONG DeCommitFreeBlockThreshold, DeCommitTotalFreeThreshold, LockPrefixTable, MaximumAllocationSize,
        VirtualMemoryThreshold, ProcessAffinityMask;
    DWORD ProcessHeapFlags;
    WORD CSDVersion, DependentLoadFlags;
    ULONGLONG EditList, SecurityCookie, SEHandlerTable, SEHandlerCount;
};
static_assert(offsetof(ZbLoadConfig64, DependentLoadFlags) == 78 && sizeof(ZbLoadConfig64) == 112);

// No security cookie here: the MinGW runtime sets its own.
extern "C" __attribute__((used)) const ZbLoadConfig64 _load_config_used = {
    .Size = sizeof(ZbLoadConfig64), .DependentLoadFlags = LOAD_LIBRARY_SEARCH_SYSTEM32};
