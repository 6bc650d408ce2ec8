#pragma once
// Owners of the handles that a port hands out. The port that opened a handle
// closes it, once, on every path; `None` is the value the opening call gives
// for "nothing", so a volume (INVALID_HANDLE_VALUE) and a token (null) each
// keep their own and never close the other's.
#include <utility>

#include "platform/ports.h"

namespace zb {

template <class Port, typename Port::Handle None>
class PortHandle {
public:
    using Handle = typename Port::Handle;

    PortHandle() = default;
    PortHandle(Port& port, Handle h) noexcept : port_(&port), h_(h) {}
    ~PortHandle() { reset(); }

    PortHandle(PortHandle&& o) noexcept : port_(o.port_), h_(std::exchange(o.h_, None)) {}
    PortHandle& operator=(PortHandle&& o) noexcept {
        if (this != &o) {
            reset();
            port_ = o.port_;
            h_ = std::exchange(o.h_, None);
        }
        return *this;
    }
    PortHandle(const PortHandle&) = delete;
    PortHandle& operator=(const PortHandle&) = delete;

    Handle get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != None; }
    void reset() noexcept {
        // A failed close leaves nothing we could retry; the handle is gone either way.
        if (h_ != None) (void)port_->closeHandle(std::exchange(h_, None));
    }

private:
    Port* port_ = nullptr;
    Handle h_ = None;
};

using unique_volume = PortHandle<IVolume, IVolume::kInvalid>;
using unique_token = PortHandle<IPower, IPower::Handle{0}>;

}  // namespace zb
