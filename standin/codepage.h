#pragma once
// UTF-8 <-> Windows code page 1252, for the stand-ins that write the same
// bytes as the ANSI API does on a German or Western system.
#include <string>
#include <string_view>

namespace zb {

// Characters that code page 1252 cannot hold become '?'.
std::string utf8ToCp1252(std::string_view utf8);
std::string cp1252ToUtf8(std::string_view bytes);

}  // namespace zb
