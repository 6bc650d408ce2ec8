#pragma once
// File names compared as a Windows target compares them: each character
// mapped to its upper case by Unicode's simple mapping (one character for
// one), the way NTFS and CompareStringOrdinal with ignore-case treat names.
// One rule for the whole run: the check, twins, the kept copy, strays, the
// weekday and the source folders.
#include <string>
#include <string_view>

namespace zb {

// The upper-case form of one character of the Basic Multilingual Plane;
// every other character is its own (as Windows, which maps UTF-16 units).
char32_t upperOfName(char32_t c);

// A name's key: two names are the same name exactly when their keys are
// equal. Bytes that are no UTF-8 stand for themselves.
std::string nameKey(std::string_view utf8);

bool sameName(std::string_view a, std::string_view b);

}  // namespace zb
