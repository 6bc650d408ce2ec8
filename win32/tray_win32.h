#pragma once
#include "platform/ports.h"

namespace zb {

class Win32Tray final : public ITray {
public:
    bool notifyIcon(std::uint32_t message, const TrayIconData& data) override;
    std::uintptr_t appIcon() override;
    std::uintptr_t warningIcon() override;
};

}  // namespace zb
