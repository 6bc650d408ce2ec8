// Ejection through the real volume calls, on a drive letter that the test
// harness maps to a throwaway folder before Wine starts (Wine's mount manager
// only knows the letters that exist when it starts). Wine grants the open and
// the lock but refuses the dismount: the failure path of a real run. Without
// that letter the test does not run, so no real drive is ever ejected.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "core/drive/ufrDrive.h"
#include "win32/devices_win32.h"

namespace zb {
namespace {

TEST(Win32Volume, ARefusedDismountIsRaisedAtOnce) {
    const char* scratch = std::getenv("ZB_SCRATCH_DRIVE");
    if (!scratch || !*scratch) GTEST_SKIP() << "no throwaway drive letter from the harness";
    Win32Volume volume;
    ASSERT_EQ(volume.getDriveType(std::string(1, scratch[0]) + ":\\"), 3u);
    const ULONGLONG start = GetTickCount64();
    try {
        (void)EjectDrive(volume, scratch[0]);
        ADD_FAILURE() << "Wine was expected to refuse the dismount";
    } catch (const ESystemError& e) {
        EXPECT_EQ(e.code(), 50u);  // ERROR_NOT_SUPPORTED
    }
    // A lock that failed would have cost 10 seconds and no error.
    EXPECT_LT(GetTickCount64() - start, 5000u);
}

}  // namespace
}  // namespace zb
