#pragma once
// The system's ANSI code page of the stand-ins, and conversions to and from
// it as Windows makes them with WC_NO_BEST_FIT_CHARS: 1252 (Western, the
// default), 1253 (Greek) or 932 (Japanese), so that the rules of a settings
// file under each of them are tested natively.
#include <optional>
#include <string>
#include <string_view>

namespace zb {

unsigned ansiCodePage();
void setAnsiCodePage(unsigned cp);

// For one test: the code page it names, the previous one again at its end.
class ScopedAnsiCodePage {
public:
    explicit ScopedAnsiCodePage(unsigned cp) : previous_(ansiCodePage()) { setAnsiCodePage(cp); }
    ~ScopedAnsiCodePage() { setAnsiCodePage(previous_); }
    ScopedAnsiCodePage(const ScopedAnsiCodePage&) = delete;
    ScopedAnsiCodePage& operator=(const ScopedAnsiCodePage&) = delete;

private:
    unsigned previous_;
};

// Nothing when a character has no place of its own in the code page: never
// best fit, so "．．" does not become "..".
std::optional<std::string> utf8ToAnsi(std::string_view utf8, unsigned cp);
std::string ansiToUtf8(std::string_view bytes, unsigned cp);

std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

}  // namespace zb
