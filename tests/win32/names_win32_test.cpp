// The run's one name rule is the target's own: for every character of the
// Basic Multilingual Plane, two characters are the same name exactly when
// CompareStringOrdinal with ignore-case says so.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/names.h"

namespace zb {
namespace {

TEST(NamesWin32, TheRuleIsCompareStringOrdinalWithIgnoreCase) {
    int differ = 0;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const wchar_t a = static_cast<wchar_t>(c), b = static_cast<wchar_t>(upperOfName(c));
        const bool windows = CompareStringOrdinal(&a, 1, &b, 1, TRUE) == CSTR_EQUAL;
        // And nothing that Windows takes for one name stays two: the upper
        // case Windows knows for it is ours too.
        wchar_t up = a;
        CharUpperBuffW(&up, 1);
        const bool also = up == b || CompareStringOrdinal(&a, 1, &up, 1, TRUE) != CSTR_EQUAL;
        if (!windows || !also) {
            if (++differ <= 10) ADD_FAILURE() << std::hex << "U+" << static_cast<unsigned>(c);
        }
    }
    EXPECT_EQ(differ, 0);
}

}  // namespace
}  // namespace zb
