// Ejection through the real volume calls, on a drive letter that the test
// harness maps to a throwaway folder before Wine starts (Wine's mount manager
// only knows the letters that exist when it starts). Wine grants the open and
// the lock but refuses the dismount, so this is the failure path of a real
// run; elsewhere the test does not run, so no real drive is ever ejected.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "drive/ufrDrive.h"
#include "platform/devices_win32.h"

namespace zb {
namespace {

// The real calls, counted: what was opened, which requests went out, what was closed.
class WatchedVolume final : public IVolume {
public:
    int opened = 0, closed = 0;
    std::vector<std::uint32_t> requests;

    std::uint32_t getDriveType(const std::string& root) override { return real_.getDriveType(root); }
    Handle createFile(const std::string& path, std::uint32_t access, std::uint32_t share, std::uint32_t disposition,
                      std::uint32_t flags) override {
        const Handle h = real_.createFile(path, access, share, disposition, flags);
        if (h != kInvalid) ++opened;
        return h;
    }
    bool deviceIoControl(Handle h, std::uint32_t code, const std::vector<std::uint8_t>& input) override {
        requests.push_back(code);
        return real_.deviceIoControl(h, code, input);
    }
    std::uint32_t getLastError() override { return real_.getLastError(); }
    void sleep(std::uint32_t ms) override { real_.sleep(ms); }
    bool closeHandle(Handle h) override {
        const bool ok = real_.closeHandle(h);
        if (ok) ++closed;
        return ok;
    }

private:
    Win32Volume real_;
};

TEST(Win32Volume, ARefusedDismountRaisesAtOnceAndClosesTheVolume) {
    const char* scratch = std::getenv("ZB_SCRATCH_DRIVE");
    if (!scratch || !*scratch) GTEST_SKIP() << "no throwaway drive letter from the harness";
    const char letter = scratch[0];

    WatchedVolume volume;
    ASSERT_EQ(volume.getDriveType(std::string(1, letter) + ":\\"), 3u);
    const ULONGLONG start = GetTickCount64();
    try {
        (void)EjectDrive(volume, letter);
        ADD_FAILURE() << "the dismount was expected to fail under Wine";
    } catch (const ESystemError& e) {
        EXPECT_EQ(e.code(), 50u);  // ERROR_NOT_SUPPORTED, Wine's answer
    }
    EXPECT_LT(GetTickCount64() - start, 5000u);
    EXPECT_EQ(volume.requests, (std::vector<std::uint32_t>{FSCTL_LOCK_VOLUME_, FSCTL_DISMOUNT_VOLUME_}));
    EXPECT_EQ(volume.opened, 1);
    EXPECT_EQ(volume.closed, 1);
}

}  // namespace
}  // namespace zb
