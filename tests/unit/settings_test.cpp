#include <gtest/gtest.h>

#include "core/backup_state.h"
#include "core/errors.h"
#include "core/message.h"
#include "core/settings.h"
#include "resources/texts.h"

namespace zb {
namespace {

TEST(StrToIntDef, DecimalWithBlanksAndSign) {
    EXPECT_EQ(strToIntDef("42", 7), 42);
    EXPECT_EQ(strToIntDef("   -17", 7), -17);
    EXPECT_EQ(strToIntDef("+3", 7), 3);
    EXPECT_EQ(strToIntDef("2147483647", 7), 2147483647);
    EXPECT_EQ(strToIntDef("-2147483648", 7), -2147483647 - 1);
}

TEST(StrToIntDef, Hexadecimal) {
    EXPECT_EQ(strToIntDef("0x3", 1), 3);
    EXPECT_EQ(strToIntDef("0X1f", 1), 31);
    EXPECT_EQ(strToIntDef("$10", 1), 16);
    EXPECT_EQ(strToIntDef("$FFFFFFFF", 1), -1);
    EXPECT_EQ(strToIntDef("-$10", 1), -16);
}

TEST(StrToIntDef, AnythingElseGivesTheDefault) {
    for (const char* s : {"", " ", "abc", "true", "ja", "1 ", "1a", "0x", "$", "-", "2147483648",
                          "-2147483649", "0x100000000", "12345678901234567890", "1.5", "\t1"})
        EXPECT_EQ(strToIntDef(s, 9), 9) << '"' << s << '"';
}

TEST(ParseTime, HoursMinutesOptionalSeconds) {
    EXPECT_EQ(parseTime("01:00:00", ":", "", ""), (TimeOfDay{1, 0, 0}));
    EXPECT_EQ(parseTime("1:02", ":", "", ""), (TimeOfDay{1, 2, 0}));
    EXPECT_EQ(parseTime("23:59:59", ":", "", ""), (TimeOfDay{23, 59, 59}));
    EXPECT_EQ(parseTime(" 07:08:09 ", ":", "", ""), (TimeOfDay{7, 8, 9}));
    EXPECT_EQ(parseTime("07.08", ".", "", ""), (TimeOfDay{7, 8, 0}));
}

TEST(ParseTime, TwelveHourClock) {
    EXPECT_EQ(parseTime("7:08:09 AM", ":", "AM", "PM"), (TimeOfDay{7, 8, 9}));
    EXPECT_EQ(parseTime("7:08:09 PM", ":", "AM", "PM"), (TimeOfDay{19, 8, 9}));
    EXPECT_EQ(parseTime("12:00 AM", ":", "AM", "PM"), (TimeOfDay{0, 0, 0}));
    EXPECT_EQ(parseTime("12:30 pm", ":", "AM", "PM"), (TimeOfDay{12, 30, 0}));
    EXPECT_FALSE(parseTime("13:00 PM", ":", "AM", "PM"));
}

TEST(ParseTime, RejectsWhatIsNoTime) {
    for (const char* s : {"", "1", "24:00", "12:60", "12:00:60", "12-00", "ab:cd", "12:00:00:00", "12::00",
                          "123:00", "12:00x", ":00"})
        EXPECT_FALSE(parseTime(s, ":", "", "")) << '"' << s << '"';
}

// Every placeholder, in any order and more than once; a part that holds a
// placeholder itself is not filled again.
// As earlier versions left the word under code pages without "ä" (1253,
// 1251, 932: "?", best fit, or another letter), or read a file of 1252.
TEST(OutcomeWord, RecognisedAfterATripThroughAnyCodePage) {
    const struct {
        const char* stored;
        std::optional<Outcome> outcome;
    } cases[] = {{"vollständig", Outcome::Complete},   {"vollst?ndig", Outcome::Complete},
                 {"vollstandig", Outcome::Complete},   {"vollstδndig", Outcome::Complete},
                 {"vollstдndig", Outcome::Complete},   {"unvollst?ndig", Outcome::Incomplete},
                 {"unvollstandig", Outcome::Incomplete}, {"fehlgeschlagen", Outcome::Failed},
                 {"vollstndig", std::nullopt},         {"vollst??ndig", std::nullopt},
                 {"Vollständig", std::nullopt},        {"", std::nullopt}};
    for (const auto& c : cases) EXPECT_EQ(outcomeFromWord(c.stored), c.outcome) << c.stored;
}

TEST(Fill, FillsEveryPlaceholderOnce) {
    EXPECT_EQ(fill(txt::ErrCannotWrite, {"C:\\x\\Backup.ini"}), "In C:\\x\\Backup.ini kann nicht geschrieben werden");
    EXPECT_EQ(fill(txt::ErrInvalidTime, {""}), "'' ist keine gültige Uhrzeit");
    EXPECT_EQ(fill(txt::ErrDelete, {5, "E:\\3"}), "Redundanzfehler 5, Fehlermeldung: Fehler beim Löschen: E:\\3 [5]");
    EXPECT_EQ(fill(txt::ErrCopy, {"C:\\%2%1\\", "E:\\3\\P1\\"}),
              "Datei kopieren von C:\\%2%1\\ nach E:\\3\\P1\\ fehlgeschlagen.");
    EXPECT_EQ(fill(txt::ErrOle, {hex8(0x80040154u)}), "OLE-Fehler 80040154");
    EXPECT_EQ(fill(txt::ErrOle, {hex8(0x1Fu)}), "OLE-Fehler 0000001f");
}

}  // namespace
}  // namespace zb
