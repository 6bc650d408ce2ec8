#include "standin/codepage.h"

#include <cstdint>

#include "core/message.h"

namespace zb {

namespace {

// 0x80..0x9F of code page 1252; 0 where the code page has no character.
constexpr char32_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::string utf8ToCp1252(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        char32_t c;
        std::size_t len;
        if (b < 0x80) { c = b; len = 1; }
        else if ((b & 0xE0) == 0xC0) { c = b & 0x1F; len = 2; }
        else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; len = 3; }
        else if ((b & 0xF8) == 0xF0) { c = b & 0x07; len = 4; }
        else { out += '?'; ++i; continue; }
        if (i + len > s.size()) { out += '?'; break; }
        bool valid = true;
        for (std::size_t k = 1; k < len; ++k) {
            const auto cb = static_cast<unsigned char>(s[i + k]);
            if ((cb & 0xC0) != 0x80) { valid = false; break; }
            c = (c << 6) | (cb & 0x3F);
        }
        if (!valid) { out += '?'; ++i; continue; }
        i += len;
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) { out += static_cast<char>(c); continue; }
        char mapped = '?';
        for (int k = 0; k < 32; ++k)
            if (kHigh[k] == c && c != 0) mapped = static_cast<char>(0x80 + k);
        out += mapped;
    }
    return out;
}

std::string cp1252ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char ch : s) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b < 0xA0) appendUtf8(out, kHigh[b - 0x80] ? kHigh[b - 0x80] : b);
        else appendUtf8(out, b);
    }
    return out;
}

}  // namespace zb
