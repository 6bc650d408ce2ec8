#pragma once
#include "platform/ports.h"

namespace zb {

// The Application log, source "ZELKOR Backup". The setup registers the
// source with the exe's message table; unregistered (the portable program)
// the events are written all the same, with the report as their text.
class Win32EventLog final : public IEventLog {
public:
    void report(EventType type, std::uint32_t id, const std::string& text) override;
};

}  // namespace zb
