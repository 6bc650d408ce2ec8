#include "core/drive/ufrDrive.h"

#include <string>
#include <vector>

namespace zb {

namespace {

constexpr std::uint32_t DRIVE_REMOVABLE_ = 2, DRIVE_FIXED_ = 3, DRIVE_CDROM_ = 5;
constexpr std::uint32_t GENERIC_READ_ = 0x80000000, GENERIC_WRITE_ = 0x40000000;
constexpr std::uint32_t FILE_SHARE_READ_ = 1, FILE_SHARE_WRITE_ = 2;
constexpr std::uint32_t OPEN_EXISTING_ = 3;

// A volume that another program keeps busy gets 20 tries, 10 seconds in all.
constexpr int kLockAttempts = 20;
constexpr std::uint32_t kLockRetryMs = 500;

[[noreturn]] void raiseLastError(IVolume& volume) { throw ESystemError(volume.getLastError()); }

bool request(IVolume& volume, IVolume::Handle h, std::uint32_t code, const std::vector<std::uint8_t>& input = {}) {
    if (!volume.deviceIoControl(h, code, input)) raiseLastError(volume);
    return true;
}

}  // namespace

ESystemError::ESystemError(std::uint32_t code)
    : std::runtime_error("Systemfehler. Code: " + std::to_string(code) + "."), code_(code) {}

unique_volume OpenDriveVolume(IVolume& volume, char letter) {
    std::uint32_t access = 0;
    switch (volume.getDriveType(std::string(1, letter) + ":\\")) {
    case DRIVE_REMOVABLE_:
    case DRIVE_FIXED_:
        access = GENERIC_READ_ | GENERIC_WRITE_;
        break;
    case DRIVE_CDROM_:
        // An optical drive refuses write access.
        access = GENERIC_READ_;
        break;
    default:
        return {};
    }
    const IVolume::Handle h = volume.createFile("\\\\.\\" + std::string(1, letter) + ":", access,
                                                FILE_SHARE_READ_ | FILE_SHARE_WRITE_, OPEN_EXISTING_, 0);
    if (h == IVolume::kInvalid) raiseLastError(volume);
    return unique_volume(volume, h);
}

bool LockDriveVolume(IVolume& volume, IVolume::Handle h) {
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        if (volume.deviceIoControl(h, FSCTL_LOCK_VOLUME_, {})) return true;
        volume.sleep(kLockRetryMs);
    }
    return false;
}

bool DismountDriveVolume(IVolume& volume, IVolume::Handle h) { return request(volume, h, FSCTL_DISMOUNT_VOLUME_); }

bool AllowMediaRemoval(IVolume& volume, IVolume::Handle h) {
    // A PREVENT_MEDIA_REMOVAL record saying FALSE: it lifts a prevention that
    // would make the eject fail.
    return request(volume, h, IOCTL_STORAGE_MEDIA_REMOVAL_, {0, 0, 0, 0});
}

bool EjectDriveMedia(IVolume& volume, IVolume::Handle h) { return request(volume, h, IOCTL_STORAGE_EJECT_MEDIA_); }

bool EjectDrive(IVolume& volume, char letter) {
    const unique_volume h = OpenDriveVolume(volume, letter);
    if (!h) return false;
    // Closing the handle also releases the lock, so every way out goes through h.
    if (!LockDriveVolume(volume, h.get())) return false;
    return DismountDriveVolume(volume, h.get()) && AllowMediaRemoval(volume, h.get()) &&
           EjectDriveMedia(volume, h.get());
}

}  // namespace zb
