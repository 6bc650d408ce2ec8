#include "win32/text_win32.h"

#include <windows.h>

namespace zb {

namespace {
std::string convert(std::string_view s, UINT from, UINT to) {
    if (s.empty()) return {};
    const int wlen = MultiByteToWideChar(from, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(wlen), L'\0');
    MultiByteToWideChar(from, 0, s.data(), static_cast<int>(s.size()), w.data(), wlen);
    const int len = WideCharToMultiByte(to, 0, w.data(), wlen, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(len), '\0');
    WideCharToMultiByte(to, 0, w.data(), wlen, out.data(), len, nullptr, nullptr);
    return out;
}
}  // namespace

std::string toAnsi(std::string_view utf8) { return convert(utf8, CP_UTF8, CP_ACP); }
std::string fromAnsi(std::string_view ansi) { return convert(ansi, CP_ACP, CP_UTF8); }

std::wstring toWide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

std::string fromWide(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace zb
