#pragma once
// Keeps the computer from sleeping for idle while its owner lives; released
// on every road out of the scope that holds it.
#include "platform/ports.h"

namespace zb {

class KeepAwake {
public:
    explicit KeepAwake(ISleepControl& sleep) : sleep_(sleep), on_(sleep.keepAwake(true)) {}
    ~KeepAwake() {
        if (on_) sleep_.keepAwake(false);
    }
    KeepAwake(const KeepAwake&) = delete;
    KeepAwake& operator=(const KeepAwake&) = delete;

private:
    ISleepControl& sleep_;
    bool on_;
};

}  // namespace zb
