#include "win32/text_win32.h"

#include <windows.h>

#include <cstdint>

namespace zb {

namespace {

std::wstring convert(std::string_view utf8, DWORD flags) {
    const int n = MultiByteToWideChar(CP_UTF8, flags, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, flags, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

// Each code unit as UTF-8 would write it, an unpaired surrogate included.
std::string generalizedUtf8(std::wstring_view wide) {
    std::string out;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        std::uint32_t c = wide[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace

std::wstring toWide(std::string_view utf8) { return utf8.empty() ? std::wstring() : convert(utf8, 0); }

std::optional<std::wstring> toWideExact(std::string_view utf8) {
    if (utf8.empty()) return std::wstring();
    std::wstring w = convert(utf8, MB_ERR_INVALID_CHARS);
    if (w.empty()) return std::nullopt;
    return w;
}

std::string fromWide(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int len = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), len, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return generalizedUtf8(wide);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), len, out.data(), n, nullptr, nullptr);
    return out;
}

std::optional<std::string> toAnsi(std::wstring_view wide) {
    if (wide.empty()) return std::string();
    const int len = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), len, nullptr, 0, nullptr,
                                      &usedDefault);
    if (n <= 0 || usedDefault) return std::nullopt;
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), len, out.data(), n, nullptr, &usedDefault);
    // WC_NO_BEST_FIT_CHARS does not cover every code page; the way back tells.
    if (usedDefault) return std::nullopt;
    const int back = MultiByteToWideChar(CP_ACP, 0, out.data(), n, nullptr, 0);
    std::wstring round(static_cast<std::size_t>(back > 0 ? back : 0), L'\0');
    if (back > 0) MultiByteToWideChar(CP_ACP, 0, out.data(), n, round.data(), back);
    if (round != wide) return std::nullopt;
    return out;
}

}  // namespace zb
