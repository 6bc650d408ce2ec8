#include "win32/text_win32.h"

#include <windows.h>

namespace zb {

std::wstring toWide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

std::string fromWide(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
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
