// Ejecting the target's volume: the exact requests, the lock retries, and the
// volume closed once on every path on which it was opened.
#include "core/drive/ufrDrive.h"
#include "form_fixture.h"

namespace zb::test {
namespace {

using Calls = std::vector<std::string>;
const std::string kLock = "DeviceIoControl 0x00090018", kDismount = "DeviceIoControl 0x00090020",
                  kAllow = "DeviceIoControl 0x002D4804 in 00000000", kEject = "DeviceIoControl 0x002D4808";
const Calls kRest{kLock, kDismount, kAllow, kEject, "CloseHandle"};

Calls opened(const std::string& access = "0xC0000000") {
    return {"GetDriveType E:\\", "CreateFile \\\\.\\E: " + access + " 3 3 0"};
}
Calls operator+(Calls a, const Calls& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class EjectTest : public FormTest {
protected:
    // A fresh stand-in on which E: is of `type` and the requests answer `io` in turn.
    void driveE(std::uint32_t type, std::deque<bool> io = {}) {
        volume = PosixVolume{};
        volume.driveTypes["E:\\"] = type;
        volume.ioResults = std::move(io);
        volume.lastError = 1117;
    }
    Calls unmount(const std::string& target, bool expected) {
        EXPECT_EQ(form.USBUnmount(target), expected) << target;
        EXPECT_EQ(volume.openHandles, 0);
        return volume.calls;
    }
    std::uint32_t raisedCode() {
        try {
            (void)EjectDrive(volume, 'E');
        } catch (const ESystemError& e) {
            return e.code();
        }
        return 0;
    }
};

TEST_F(EjectTest, RemovableFixedAndOpticalDrivesGoThroughTheWholeSequence) {
    driveE(2);
    EXPECT_EQ(unmount("E:\\", true), opened() + kRest);
    driveE(3);
    EXPECT_EQ(unmount("E:\\Sicherung", true), opened() + kRest);
    driveE(5);
    EXPECT_EQ(unmount("E:\\", true), opened("0x80000000") + kRest);
}

TEST_F(EjectTest, ABusyVolumeGetsTwentyLockAttemptsEachFollowedByHalfASecond) {
    Calls tries;
    for (int i = 0; i < 19; ++i) tries = tries + Calls{kLock, "Sleep 500"};
    driveE(2, std::deque<bool>(19, false));
    EXPECT_EQ(unmount("E:\\", true), opened() + tries + kRest);
    driveE(2, std::deque<bool>(20, false));
    EXPECT_EQ(unmount("E:\\", false), (opened() + tries + Calls{kLock, "Sleep 500", "CloseHandle"}));
}

TEST_F(EjectTest, AFailingRequestRaisesTheSystemErrorAfterTheVolumeIsClosed) {
    for (std::size_t failing = 1; failing <= 3; ++failing) {
        std::deque<bool> io(4, true);
        io[failing] = false;
        const Calls expected = opened() + Calls(kRest.begin(), kRest.begin() + failing + 1) + Calls{"CloseHandle"};
        driveE(2, io);
        EXPECT_EQ(unmount("E:\\", false), expected);
        driveE(2, io);
        EXPECT_EQ(raisedCode(), 1117u);
        EXPECT_EQ(volume.calls, expected);
    }
    driveE(2);
    volume.createFails = true;
    EXPECT_EQ(raisedCode(), 1117u);
    EXPECT_EQ(unmount("E:\\", false), opened() + opened());
}

TEST_F(EjectTest, NoVolumeIsOpenedForOtherDriveTypesOrPathsWithoutADriveLetter) {
    for (const std::uint32_t type : {0u, 1u, 4u, 6u}) {
        driveE(type);
        EXPECT_EQ(unmount("E:\\", false), Calls{"GetDriveType E:\\"}) << type;
    }
    driveE(2);
    volume.driveTypes["1:\\"] = volume.driveTypes["S:\\"] = 2;
    for (const char* path : {"", "E", "Sicherung", "\\\\server\\share", "1:\\", ":\\"}) unmount(path, false);
    EXPECT_EQ(volume.calls, Calls{});
}

}  // namespace
}  // namespace zb::test
