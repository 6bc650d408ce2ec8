#pragma once
// The one boundary between the program's UTF-8 texts and Windows: every call
// takes UTF-16, so any name a user can type or choose survives.
#include <optional>
#include <string>
#include <string_view>

namespace zb {

std::wstring toWide(std::string_view utf8);
std::string fromWide(std::wstring_view wide);
// The text in the system's ANSI code page, or nothing when a character has no
// place of its own there. Never best fit: "．．" must not become "..", nor
// "Ł" an "L" (another folder).
std::optional<std::string> toAnsi(std::wstring_view wide);

}  // namespace zb
