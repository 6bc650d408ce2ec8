#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

namespace zb {

// An error that ends the handler in progress; the application's default
// handler shows its German text in an error box and the program runs on.
class EZelkorError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace zb
