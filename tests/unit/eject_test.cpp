// Ejecting the target's volume: the exact requests, the lock retries, and the
// volume closed once on every path on which it was opened.
#include <algorithm>

#include "drive/ufrDrive.h"
#include "form_fixture.h"

namespace zb::test {
namespace {

using Calls = std::vector<std::string>;

const std::string kLock = "DeviceIoControl 0x00090018";
const std::string kDismount = "DeviceIoControl 0x00090020";
const std::string kAllowRemoval = "DeviceIoControl 0x002D4804 in 00000000";
const std::string kEject = "DeviceIoControl 0x002D4808";

Calls opening(const std::string& access) { return {"GetDriveType E:\\", "CreateFile \\\\.\\E: " + access + " 3 3 0"}; }

Calls operator+(Calls a, const Calls& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class EjectTest : public FormTest {
protected:
    void driveE(std::uint32_t type) {
        volume = PosixVolume{};
        volume.driveTypes["E:\\"] = type;
    }
};

TEST_F(EjectTest, RemovableFixedAndOpticalDrivesGoThroughTheWholeSequence) {
    const std::pair<std::uint32_t, const char*> drives[] = {{2, "0xC0000000"}, {3, "0xC0000000"}, {5, "0x80000000"}};
    for (const auto& [type, access] : drives) {
        SCOPED_TRACE(type);
        driveE(type);
        EXPECT_TRUE(form.USBUnmount("E:\\"));
        EXPECT_EQ(volume.calls, (opening(access) + Calls{kLock, kDismount, kAllowRemoval, kEject, "CloseHandle"}));
        EXPECT_EQ(volume.openHandles, 0);
    }
}

TEST_F(EjectTest, AFolderBelowTheRootEjectsItsDrive) {
    driveE(2);
    EXPECT_TRUE(form.USBUnmount("E:\\Sicherung"));
    EXPECT_EQ(Calls(volume.calls.begin(), volume.calls.begin() + 2), opening("0xC0000000"));
}

TEST_F(EjectTest, ABusyVolumeGetsTwentyLockAttemptsEachFollowedByHalfASecond) {
    driveE(2);
    volume.ioResults.assign(20, false);
    EXPECT_FALSE(form.USBUnmount("E:\\"));
    Calls expected = opening("0xC0000000");
    for (int i = 0; i < 20; ++i) expected = expected + Calls{kLock, "Sleep 500"};
    EXPECT_EQ(volume.calls, expected + Calls{"CloseHandle"});
    EXPECT_EQ(volume.openHandles, 0);

    // The twentieth attempt still counts.
    driveE(2);
    volume.ioResults.assign(19, false);
    EXPECT_TRUE(form.USBUnmount("E:\\"));
    EXPECT_EQ(volume.sleeps, std::vector<std::uint32_t>(19, 500));
    EXPECT_EQ(volume.calls.back(), "CloseHandle");
}

TEST_F(EjectTest, AFailingRequestRaisesItsErrorCodeAfterTheVolumeIsClosed) {
    const Calls steps{kDismount, kAllowRemoval, kEject};
    for (std::size_t failing = 0; failing < steps.size(); ++failing) {
        SCOPED_TRACE(steps[failing]);
        driveE(2);
        volume.ioResults = {true, true, true, true};
        volume.ioResults[failing + 1] = false;
        volume.lastError = 1117;
        const Calls expected = opening("0xC0000000") + Calls{kLock} +
                               Calls(steps.begin(), steps.begin() + failing + 1) + Calls{"CloseHandle"};
        try {
            (void)EjectDrive(volume, 'E');
            ADD_FAILURE() << "no error raised";
        } catch (const ESystemError& e) {
            EXPECT_EQ(e.code(), 1117u);
            EXPECT_EQ(volume.calls, expected);
        }

        driveE(2);
        volume.ioResults = {true, true, true, true};
        volume.ioResults[failing + 1] = false;
        EXPECT_FALSE(form.USBUnmount("E:\\"));
        EXPECT_EQ(volume.calls, expected);
        EXPECT_EQ(volume.openHandles, 0);
    }
}

TEST_F(EjectTest, AVolumeThatCannotBeOpenedIsNeitherUsedNorClosed) {
    driveE(2);
    volume.createFails = true;
    volume.lastError = 5;
    try {
        (void)EjectDrive(volume, 'E');
        ADD_FAILURE() << "no error raised";
    } catch (const ESystemError& e) {
        EXPECT_EQ(e.code(), 5u);
    }
    EXPECT_FALSE(form.USBUnmount("E:\\"));
    EXPECT_EQ(volume.calls, opening("0xC0000000") + opening("0xC0000000"));
}

TEST_F(EjectTest, NoVolumeIsOpenedForOtherDriveTypesOrPathsWithoutADriveLetter) {
    for (const std::uint32_t type : {0u, 1u, 4u, 6u}) {
        SCOPED_TRACE(type);
        driveE(type);
        EXPECT_FALSE(form.USBUnmount("E:\\"));
        EXPECT_EQ(volume.calls, Calls{"GetDriveType E:\\"});
    }
    driveE(2);
    volume.driveTypes["1:\\"] = 2;
    for (const char* path : {"", "E", "Sicherung", "\\\\server\\share", "1:\\", ":\\"}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(form.USBUnmount(path));
    }
    EXPECT_EQ(volume.calls, Calls{});
}

TEST(PortHandle, AMovedHandleIsClosedOnceByItsLastOwner) {
    PosixVolume volume;
    const IVolume::Handle h = volume.createFile("\\\\.\\E:", 0, 0, 0, 0);
    {
        unique_volume a(volume, h);
        unique_volume b(std::move(a));
        unique_volume c;
        c = std::move(b);
        EXPECT_FALSE(a);
        EXPECT_EQ(c.get(), h);
        EXPECT_EQ(volume.openHandles, 1);
    }
    EXPECT_EQ(volume.openHandles, 0);
    EXPECT_EQ(std::count(volume.calls.begin(), volume.calls.end(), "CloseHandle"), 1);
}

}  // namespace
}  // namespace zb::test
