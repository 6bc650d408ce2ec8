#include "core/message.h"

namespace zb {

std::string fill(std::string_view sentence, std::initializer_list<MessagePart> parts) {
    std::string out;
    out.reserve(sentence.size() + 64);
    for (std::size_t i = 0; i < sentence.size(); ++i) {
        if (sentence[i] == '%' && i + 1 < sentence.size() && sentence[i + 1] >= '1' && sentence[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(sentence[i + 1] - '1');
            if (n < parts.size()) {
                out += (parts.begin() + n)->text();
                ++i;
                continue;
            }
        }
        out += sentence[i];
    }
    return out;
}

std::string hex8(std::uint32_t code) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out(8, '0');
    for (int i = 7; i >= 0; --i, code >>= 4) out[static_cast<std::size_t>(i)] = kDigits[code & 0xF];
    return out;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace zb
