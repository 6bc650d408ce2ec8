#pragma once
// The one boundary between the program's UTF-8 texts and the ANSI calls.
#include <string>
#include <string_view>

namespace zb {

std::string toAnsi(std::string_view utf8);
std::string fromAnsi(std::string_view ansi);

}  // namespace zb
