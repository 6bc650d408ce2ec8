#include "standin/codepage.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>

#include "core/message.h"

namespace zb {

namespace {

std::atomic<unsigned> g_codePage{1252};

// A byte that the code page leaves undefined still round-trips, as on
// Windows: 0x80..0x9F as the control character of that number, above that
// as a character of the private use area.
constexpr char32_t kUndefined = 0;
char32_t undefinedByte(unsigned char b) { return b < 0xA0 ? char32_t{b} : 0xF700 + b; }

// 0x80..0x9F of code page 1252; 0xA0..0xFF are Latin-1.
constexpr char32_t k1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// 0x80..0xBF of code page 1253; from 0xC0 on the Greek letters follow in
// Unicode's order (0xD2 and 0xFF are undefined).
constexpr char32_t k1253[64] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0,      0x2030, 0,      0x2039, 0,
    0,      0,      0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0,      0x2122,
    0,      0x203A, 0,      0,      0,      0,      0x00A0, 0x0385, 0x0386, 0x00A3, 0x00A4, 0x00A5, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0,      0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x2015, 0x00B0, 0x00B1, 0x00B2, 0x00B3,
    0x0384, 0x00B5, 0x00B6, 0x00B7, 0x0388, 0x0389, 0x038A, 0x00BB, 0x038C, 0x00BD, 0x038E, 0x038F};

char32_t single(unsigned cp, unsigned char b) {
    if (b < 0x80) return b;
    if (cp == 1252) return b < 0xA0 ? k1252[b - 0x80] : b;
    if (cp == 1253) {
        if (b < 0xC0) return k1253[b - 0x80];
        return b == 0xD2 || b == 0xFF ? kUndefined : char32_t{0x2D0} + b;
    }
    if (b >= 0xA1 && b <= 0xDF) return 0xFF61 + (b - 0xA1);  // half-width katakana
    return kUndefined;
}

// Code page 932, double bytes: the rows of JIS X 0208 with punctuation,
// full-width Latin, kana, Greek and Cyrillic. A character outside them (the
// kanji) counts as not fitting, which only turns a file into UTF-16 sooner
// than Windows would.
struct Run {
    int row, cell;  // first cell, 1-based
    char32_t first;
    int count;
};
constexpr Run kRuns[] = {
    {1, 1, 0x3000, 3},    {1, 4, 0xFF0C, 1},   {1, 5, 0xFF0E, 1},   {1, 6, 0x30FB, 1},
    {1, 7, 0xFF1A, 2},    {1, 9, 0xFF1F, 1},   {1, 10, 0xFF01, 1},  {1, 31, 0xFF0F, 1},
    {1, 32, 0xFF3C, 1},   {3, 16, 0xFF10, 10}, {3, 33, 0xFF21, 26}, {3, 65, 0xFF41, 26},
    {4, 1, 0x3041, 83},   {5, 1, 0x30A1, 86},  {6, 1, 0x0391, 17},  {6, 18, 0x03A3, 7},
    {6, 33, 0x03B1, 17},  {6, 50, 0x03C3, 7},  {7, 1, 0x0410, 6},   {7, 7, 0x0401, 1},
    {7, 8, 0x0416, 26},   {7, 49, 0x0430, 6},  {7, 55, 0x0451, 1},  {7, 56, 0x0436, 26},
};

bool isLead932(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

std::uint16_t sjis(int row, int cell) {
    const int lead = (row - 1) / 2 + (row <= 62 ? 0x81 : 0xC1);
    const int trail = row % 2 ? cell + 0x3F + (cell >= 64 ? 1 : 0) : cell + 0x9E;
    return static_cast<std::uint16_t>(lead << 8 | trail);
}

// An unknown pair keeps its bytes in a private plane, so it round-trips.
constexpr char32_t kPairPlane = 0xF0000;

char32_t pair932(unsigned char lead, unsigned char trail) {
    const std::uint16_t code = static_cast<std::uint16_t>(lead << 8 | trail);
    for (const Run& r : kRuns)
        for (int k = 0; k < r.count; ++k)
            if (sjis(r.row, r.cell + k) == code) return r.first + static_cast<char32_t>(k);
    return kPairPlane + code;
}

std::optional<std::uint16_t> to932(char32_t c) {
    for (const Run& r : kRuns)
        if (c >= r.first && c < r.first + static_cast<char32_t>(r.count))
            return sjis(r.row, r.cell + static_cast<int>(c - r.first));
    if (c >= kPairPlane && c <= kPairPlane + 0xFFFF && isLead932(static_cast<unsigned char>((c - kPairPlane) >> 8)))
        return static_cast<std::uint16_t>(c - kPairPlane);
    return std::nullopt;
}

// The next code point of UTF-8; U+FFFD for a broken sequence.
char32_t next(std::string_view s, std::size_t& i) {
    const auto b = static_cast<unsigned char>(s[i]);
    const std::size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t c = len == 1 ? b : b & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k) {
        const auto cb = static_cast<unsigned char>(s[i + k]);
        if ((cb & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        c = (c << 6) | (cb & 0x3F);
    }
    i += len;
    return c;
}

}  // namespace

unsigned ansiCodePage() { return g_codePage; }
void setAnsiCodePage(unsigned cp) { g_codePage = cp; }

std::optional<std::string> utf8ToAnsi(std::string_view s, unsigned cp) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const char32_t c = next(s, i);
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        if (cp == 932) {
            if (c >= 0xFF61 && c <= 0xFF9F) {
                out += static_cast<char>(0xA1 + (c - 0xFF61));
                continue;
            }
            const auto code = to932(c);
            if (!code) return std::nullopt;
            out += static_cast<char>(*code >> 8);
            out += static_cast<char>(*code & 0xFF);
            continue;
        }
        bool found = false;
        for (unsigned b = 0x80; b <= 0xFF && !found; ++b) {
            const char32_t here = single(cp, static_cast<unsigned char>(b));
            found = here == c || (here == kUndefined && undefinedByte(static_cast<unsigned char>(b)) == c);
            if (found) out += static_cast<char>(b);
        }
        if (!found) return std::nullopt;
    }
    return out;
}

std::string ansiToUtf8(std::string_view s, unsigned cp) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (cp == 932 && isLead932(b) && i + 1 < s.size()) {
            appendUtf8(out, pair932(b, static_cast<unsigned char>(s[++i])));
            continue;
        }
        const char32_t c = single(cp, b);
        appendUtf8(out, c == kUndefined && b != 0 ? undefinedByte(b) : c);
    }
    return out;
}

std::u16string utf8ToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const char32_t c = next(s, i);
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        appendUtf8(out, c);
    }
    return out;
}

}  // namespace zb
