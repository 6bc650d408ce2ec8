// Switching the machine off: the privilege steps on the NT family, closed
// before the request, and the request's own answer as the result.
#include "form_fixture.h"

namespace zb::test {
namespace {

using Calls = std::vector<std::string>;
using ShutdownTest = FormTest;

TEST_F(ShutdownTest, ExitWindowsEnablesTheShutdownPrivilegeOnNtOnly) {
    for (const bool accepted : {true, false}) {
        SCOPED_TRACE(accepted);
        power = PosixPower{};
        power.exitAccepted = accepted;
        EXPECT_EQ(form.ExitWindows(12), accepted);
        EXPECT_EQ(power.calls, (Calls{"GetVersionEx", "OpenProcessToken 0x00000020",
                                      "LookupPrivilegeValue SeShutdownPrivilege",
                                      "AdjustTokenPrivileges 0x00007070 19 2", "CloseHandle 0x00007070",
                                      "ExitWindowsEx 12 0"}));

        power = PosixPower{};
        power.platformId = 1;
        power.exitAccepted = accepted;
        EXPECT_EQ(form.ExitWindows(12), accepted);
        EXPECT_EQ(power.calls, (Calls{"GetVersionEx", "ExitWindowsEx 12 0"}));
    }
}

TEST_F(ShutdownTest, ExitWindowsStillAsksWhenNoTokenWasOpened) {
    power.tokenOpens = false;
    power.exitAccepted = false;
    EXPECT_FALSE(form.ExitWindows(12));
    EXPECT_EQ(power.calls, (Calls{"GetVersionEx", "OpenProcessToken 0x00000020",
                                  "LookupPrivilegeValue SeShutdownPrivilege", "AdjustTokenPrivileges 0x00000000 19 2",
                                  "ExitWindowsEx 12 0"}));
}

}  // namespace
}  // namespace zb::test
