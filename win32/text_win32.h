#pragma once
// The one boundary between the program's UTF-8 texts and the ANSI calls.
#include <string>
#include <string_view>

namespace zb {

std::string toAnsi(std::string_view utf8);
std::string fromAnsi(std::string_view ansi);
// The file work's boundary: names of any script go through UTF-16.
std::wstring toWide(std::string_view utf8);
std::string fromWide(std::wstring_view wide);

}  // namespace zb
