// The tests under Wine run with German regional settings; everything that
// checks texts in code page 1252 relies on that.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/ports.h"

namespace zb {
namespace {

TEST(Win32Locale, GermanSettingsUnderTest) {
    EXPECT_EQ(GetACP(), 1252u);
    auto loc = makeLocale();
    EXPECT_EQ(loc->formatLongTime({1, 0, 0}), "01:00:00");
    EXPECT_EQ(loc->formatLongTime({23, 59, 7}), "23:59:07");
    EXPECT_EQ(loc->timeSeparator(), ":");
}

}  // namespace
}  // namespace zb
