#pragma once
#include "platform/ports.h"

namespace zb {

class Win32Window;

class Win32Volume final : public IVolume {
public:
    // The window whose messages are served while the ejection waits for the
    // volume; none: the wait sleeps.
    Win32Window* serve = nullptr;

    std::uint32_t getDriveType(const std::string& root) override;
    Handle createFile(const std::string& path, std::uint32_t access, std::uint32_t share, std::uint32_t disposition,
                      std::uint32_t flags) override;
    bool deviceIoControl(Handle h, std::uint32_t code, const std::vector<std::uint8_t>& input) override;
    std::uint32_t getLastError() override;
    void sleep(std::uint32_t ms) override;
    bool closeHandle(Handle h) override;
};

class Win32Power final : public IPower {
public:
    std::uint32_t versionPlatformId() override;
    bool openProcessToken(std::uint32_t access, Handle& token) override;
    bool lookupPrivilegeValue(const std::string& name, std::uint64_t& luid) override;
    bool adjustTokenPrivileges(Handle token, std::uint64_t luid, std::uint32_t attributes) override;
    bool closeHandle(Handle h) override;
    bool exitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;
};

}  // namespace zb
