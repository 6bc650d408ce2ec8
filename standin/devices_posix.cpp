#include "standin/devices_posix.h"

#include <cstdio>

#include "core/backup_state.h"

namespace zb {

namespace {
std::string hex(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(v));
    return buf;
}
constexpr IVolume::Handle kVolumeHandle = 0x5A5A;
constexpr IPower::Handle kTokenHandle = 0x7070;
}  // namespace

std::uint32_t PosixVolume::getDriveType(const std::string& root) {
    calls.push_back("GetDriveType " + root);
    const auto it = driveTypes.find(root);
    return it == driveTypes.end() ? 1 : it->second;
}

IVolume::Handle PosixVolume::createFile(const std::string& path, std::uint32_t access, std::uint32_t share,
                                        std::uint32_t disposition, std::uint32_t flags) {
    calls.push_back("CreateFile " + path + " " + hex(access) + " " + std::to_string(share) + " " +
                    std::to_string(disposition) + " " + std::to_string(flags));
    if (createFails) return kInvalid;
    ++openHandles;
    return kVolumeHandle;
}

bool PosixVolume::deviceIoControl(Handle, std::uint32_t code, const std::vector<std::uint8_t>& input) {
    std::string line = "DeviceIoControl " + hex(code);
    if (!input.empty()) line += " in ";
    for (const std::uint8_t b : input) line += hex(b).substr(8);
    calls.push_back(line);
    if (ioResults.empty()) return true;
    const bool r = ioResults.front();
    ioResults.pop_front();
    return r;
}

void PosixVolume::sleep(std::uint32_t ms) {
    calls.push_back("Sleep " + std::to_string(ms));
    sleeps.push_back(ms);
}

bool PosixVolume::closeHandle(Handle h) {
    calls.push_back("CloseHandle");
    if (h != kVolumeHandle || openHandles == 0) return false;
    --openHandles;
    return true;
}

std::uint32_t PosixPower::versionPlatformId() {
    calls.push_back("GetVersionEx");
    return platformId;
}

bool PosixPower::openProcessToken(std::uint32_t access, Handle& token) {
    calls.push_back("OpenProcessToken " + hex(access));
    token = tokenOpens ? kTokenHandle : 0;
    return tokenOpens;
}

bool PosixPower::lookupPrivilegeValue(const std::string& name, std::uint64_t& luid) {
    calls.push_back("LookupPrivilegeValue " + name);
    luid = 19;
    return true;
}

bool PosixPower::adjustTokenPrivileges(Handle token, std::uint64_t luid, std::uint32_t attributes) {
    calls.push_back("AdjustTokenPrivileges " + hex(static_cast<std::uint32_t>(token)) + " " + std::to_string(luid) +
                    " " + std::to_string(attributes));
    return true;
}

bool PosixPower::closeHandle(Handle h) {
    calls.push_back("CloseHandle " + hex(static_cast<std::uint32_t>(h)));
    return true;
}

bool PosixPower::exitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
    calls.push_back("ExitWindowsEx " + std::to_string(flags) + " " + std::to_string(reason));
    return exitAccepted;
}

bool PosixSleepControl::keepAwake(bool on) {
    calls.push_back(on ? "awake on" : "awake off");
    if (awakeAccepted) awake = on;
    return awakeAccepted;
}

WakeTimer PosixSleepControl::setWakeTimer(std::int64_t utcSeconds) {
    const LocalDateTime t = fromSeconds(utcSeconds);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    calls.push_back(std::string("wake ") + text);
    if (wakeAnswer == WakeTimer::NotSupported) wakeAt.reset();
    else wakeAt = utcSeconds;
    return wakeAnswer;
}

void PosixSleepControl::cancelWakeTimer() {
    calls.push_back("wake cancel");
    wakeAt.reset();
}

std::unique_ptr<ISleepControl> makeSleepControl() { return std::make_unique<PosixSleepControl>(); }

}  // namespace zb
