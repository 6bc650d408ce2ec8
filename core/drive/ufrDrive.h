#pragma once
// Ejection of the volume behind one drive letter: open, lock, dismount, allow
// media removal, eject, close.
#include <cstdint>
#include <stdexcept>

#include "platform/port_handles.h"
#include "platform/ports.h"

namespace zb {

// A volume call that failed, with what GetLastError said right after it.
class ESystemError : public std::runtime_error {
public:
    explicit ESystemError(std::uint32_t code);
    std::uint32_t code() const noexcept { return code_; }

private:
    std::uint32_t code_;
};

inline constexpr std::uint32_t FSCTL_LOCK_VOLUME_ = 0x00090018;
inline constexpr std::uint32_t FSCTL_DISMOUNT_VOLUME_ = 0x00090020;
inline constexpr std::uint32_t IOCTL_STORAGE_MEDIA_REMOVAL_ = 0x002D4804;
inline constexpr std::uint32_t IOCTL_STORAGE_EJECT_MEDIA_ = 0x002D4808;

// True when every request succeeded; false when the drive is of a kind that is
// not ejected or stays in use. Raises ESystemError when the volume cannot be
// opened or a later request fails, after the volume has been closed.
[[nodiscard]] bool EjectDrive(IVolume& volume, char letter);

// Nothing (an empty owner) for a drive of a kind that is not ejected.
[[nodiscard]] unique_volume OpenDriveVolume(IVolume& volume, char letter);
// Whether the lock was obtained; a busy volume costs about 10 seconds.
[[nodiscard]] bool LockDriveVolume(IVolume& volume, IVolume::Handle h);
// Each returns true or raises ESystemError.
bool DismountDriveVolume(IVolume& volume, IVolume::Handle h);
bool AllowMediaRemoval(IVolume& volume, IVolume::Handle h);
bool EjectDriveMedia(IVolume& volume, IVolume::Handle h);

}  // namespace zb
