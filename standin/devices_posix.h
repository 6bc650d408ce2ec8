#pragma once
// Recording stand-ins for the volume and power calls: nothing on this machine
// is ever ejected or switched off. Tests script the answers and check the
// exact sequence of calls.
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace zb {

class PosixVolume final : public IVolume {
public:
    // Scripting.
    std::map<std::string, std::uint32_t> driveTypes;  // root "E:\" -> type; 1 (no root) when absent
    bool createFails = false;
    std::uint32_t lastError = 0;
    std::deque<bool> ioResults;  // next DeviceIoControl results; true when empty
    // Record: one line per call, e.g. "DeviceIoControl 0x002D4804 in 00000000".
    std::vector<std::string> calls;
    std::vector<std::uint32_t> sleeps;
    int openHandles = 0;

    std::uint32_t getDriveType(const std::string& root) override;
    Handle createFile(const std::string& path, std::uint32_t access, std::uint32_t share, std::uint32_t disposition,
                      std::uint32_t flags) override;
    bool deviceIoControl(Handle h, std::uint32_t code, const std::vector<std::uint8_t>& input) override;
    std::uint32_t getLastError() override { return lastError; }
    void sleep(std::uint32_t ms) override;
    bool closeHandle(Handle h) override;
};

class PosixPower final : public IPower {
public:
    std::uint32_t platformId = 2;
    bool tokenOpens = true;  // false: OpenProcessToken fails and leaves the handle null
    bool exitAccepted = true;
    std::vector<std::string> calls;

    std::uint32_t versionPlatformId() override;
    bool openProcessToken(std::uint32_t access, Handle& token) override;
    bool lookupPrivilegeValue(const std::string& name, std::uint64_t& luid) override;
    bool adjustTokenPrivileges(Handle token, std::uint64_t luid, std::uint32_t attributes) override;
    bool closeHandle(Handle h) override;
    bool exitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;
};

// Keeps nothing awake and wakes nothing: records what the program asked for.
class PosixSleepControl final : public ISleepControl {
public:
    // Scripting.
    bool awakeAccepted = true;
    WakeTimer wakeAnswer = WakeTimer::Set;
    // Record: "awake on", "awake off", "wake 2026-12-08 00:59:00" (the
    // moment in UTC), "wake cancel".
    std::vector<std::string> calls;
    bool awake = false;
    std::optional<std::int64_t> wakeAt;  // the timer set now, UTC seconds

    bool keepAwake(bool on) override;
    WakeTimer setWakeTimer(std::int64_t utcSeconds) override;
    void cancelWakeTimer() override;
};

}  // namespace zb
