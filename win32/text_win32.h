#pragma once
// The one boundary between the program's UTF-8 texts and Windows: every call
// takes UTF-16, so any name a user can type or choose survives.
#include <optional>
#include <string>
#include <string_view>

namespace zb {

// For texts that are shown: what is not UTF-8 shows as U+FFFD.
std::wstring toWide(std::string_view utf8);
// For names and paths: exactly the text, or nothing when it is not UTF-8.
std::optional<std::wstring> toWideExact(std::string_view utf8);
// A name with an unpaired surrogate (legal on NTFS) has no UTF-8 form: its
// surrogates are written as their three bytes, which no UTF-8 reader takes,
// so the name is shown with U+FFFD but never read back as another path.
std::string fromWide(std::wstring_view wide);
// The text in the system's ANSI code page, or nothing when a character has no
// place of its own there. Never best fit: "．．" must not become "..", nor
// "Ł" an "L" (another folder).
std::optional<std::string> toAnsi(std::wstring_view wide);

}  // namespace zb
