// The private-profile rules that the settings file relies on. The same suite
// runs natively against the stand-in and under Wine against the real API.
#include <gtest/gtest.h>

#include "contract_util.h"
#include "platform/ports.h"

namespace zb {
namespace {

class ProfileContract : public ::testing::Test {
protected:
    std::unique_ptr<IProfile> profile = makeProfile();
    test::TempDir dir;
    std::string ini = dir.file("Backup.ini");

    std::string get(const std::string& sec, const std::string& key, const std::string& def = "<def>") {
        return profile->getString(ini, sec, key, def);
    }
    void put(const std::string& sec, const std::string& key, const std::string& value) {
        ASSERT_TRUE(profile->writeString(ini, sec, key, value));
    }
    // The file's lines with line ends normalised and blank lines dropped.
    std::string lines() {
        std::string out;
        for (char c : test::readBytes(ini))
            if (c != '\r') out += c;
        std::string squeezed;
        for (std::size_t i = 0; i < out.size(); ++i)
            if (!(out[i] == '\n' && (squeezed.empty() || squeezed.back() == '\n'))) squeezed += out[i];
        return squeezed;
    }
};

TEST_F(ProfileContract, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(get("Backup", "Mon"), "<def>");
    put("Backup", "Mon", "1");
    EXPECT_EQ(get("Backup", "Die"), "<def>");
    EXPECT_EQ(get("Errors", "Mon"), "<def>");
}

TEST_F(ProfileContract, WritesCreateTheFileAndAppendInOrder) {
    put("Backup", "Mon", "1");
    put("Backup", "Die", "0");
    put("Errors", "06.12.2026", "x");
    put("Backup", "redundanz", "2");
    EXPECT_EQ(lines(), "[Backup]\nMon=1\nDie=0\nredundanz=2\n[Errors]\n06.12.2026=x\n");
}

TEST_F(ProfileContract, ExistingKeyIsRewrittenInPlaceAndRemovedWithItsLine) {
    put("Backup", "Mon", "1");
    put("Backup", "Die", "1");
    put("Backup", "Mon", "0");
    EXPECT_EQ(lines(), "[Backup]\nMon=0\nDie=1\n");
    EXPECT_TRUE(profile->removeKey(ini, "BACKUP", "mon"));
    EXPECT_TRUE(profile->removeKey(ini, "Backup", "Fehlt"));
    EXPECT_EQ(lines(), "[Backup]\nDie=1\n");
}

TEST_F(ProfileContract, NamesMatchWithoutRegardToCase) {
    put("Backup", "Redundanz", "3");
    EXPECT_EQ(get("BACKUP", "redundanz"), "3");
    put("backup", "REDUNDANZ", "4");
    EXPECT_EQ(get("Backup", "Redundanz"), "4");
    EXPECT_EQ(lines(), "[Backup]\nRedundanz=4\n");
}

TEST_F(ProfileContract, ValuesWithSeparatorsRoundTrip) {
    put("Errors", "06.12.2026", "Datei kopieren von D:\\a=b\\ nach E:\\3\\P1\\ fehlgeschlagen.: x");
    EXPECT_EQ(get("Errors", "06.12.2026"), "Datei kopieren von D:\\a=b\\ nach E:\\3\\P1\\ fehlgeschlagen.: x");
    put("Backup", "P1P", "");
    EXPECT_EQ(get("Backup", "P1P"), "");
}

TEST_F(ProfileContract, ValueIsSeenCutTo2047Characters) {
    const std::string longValue(5000, 'v');
    put("Backup", "P1P", longValue);
    EXPECT_EQ(get("Backup", "P1P"), std::string(2047, 'v'));
}

TEST_F(ProfileContract, TextIsCodePage1252InTheFile) {
    put("Backup", "P1P", "C:\\Daten\\Abschluß Größe");
    EXPECT_EQ(lines(), "[Backup]\nP1P=C:\\Daten\\Abschlu\xDF Gr\xF6\xDF" "e\n");
    EXPECT_EQ(get("Backup", "P1P"), "C:\\Daten\\Abschluß Größe");
}

// Byte for byte in the system's code page while every text fits it exactly;
// a text that does not (never turned into another by best fit) makes the
// file UTF-16 LE, same content, same order, and it stays so.
TEST_F(ProfileContract, FileKeepsItsCodePageUntilATextDoesNotFit) {
    const struct {
        unsigned cp;
        std::string value;
        const char* ansi;  // the value's bytes, or none when it does not fit
    } cases[] = {
        {1252, "C:\\Daten\\Abschluß Größe", "C:\\Daten\\Abschlu\xDF Gr\xF6\xDF" "e"},
        {1252, "C:\\Daten\\Документы", nullptr},
        {1252, "C:\\Łódź\\Ελλάδα", nullptr},
        {1252, "M:\\x\\．．", nullptr},
        {1252, "M:\\x＼∕＂", nullptr},
        {1253, "C:\\Έγγραφα", "C:\\\xB8\xE3\xE3\xF1\xE1\xF6\xE1"},
        {1253, "vollständig", nullptr},
        {932, "C:\\Документы\\．", "C:\\\x84\x44\x84\x80\x84\x7B\x84\x85\x84\x7D\x84\x75\x84\x7E\x84\x84\x84\x8D\\\x81\x44"},
        {932, "vollständig", nullptr},
    };
    int ran = 0;
    for (const auto& c : cases) {
        test::AnsiCodePage codePage(c.cp);
        if (!codePage.active()) continue;
        SCOPED_TRACE(c.value);
        ++ran;
        test::writeBytes(ini, "[Backup]\r\nMon=1\r\n");
        put("Backup", "P1P", c.value);
        put("Backup", "TAR1", "E:\\");
        EXPECT_EQ(get("Backup", "P1P"), c.value);
        EXPECT_EQ(get("Backup", "Mon"), "1");
        const std::string head = "[Backup]\r\nMon=1\r\nP1P=", tail = "\r\nTAR1=E:\\\r\n";
        EXPECT_EQ(test::readBytes(ini), c.ansi ? head + c.ansi + tail : test::utf16File(head + c.value + tail));
    }
    EXPECT_GT(ran, 0);
}

TEST_F(ProfileContract, WriteIntoMissingFolderFails) {
    const std::string missing = dir.path() + "\\nicht-da\\Backup.ini";
    EXPECT_FALSE(profile->writeString(missing, "Backup", "Mon", "1"));
    EXPECT_EQ(profile->getString(missing, "Backup", "Mon", "d"), "d");
}

TEST_F(ProfileContract, ReadsHandWrittenFiles) {
    test::writeBytes(ini,
                     "[Backup]\nMon = 1 \r\n  Die=  2\nkein Gleichheitszeichen\n\n[Errors]\nMon=9\n[backup]\nMit=1\n");
    EXPECT_EQ(get("Backup", "Mon"), "1");
    EXPECT_EQ(get("Backup", "Die"), "2");
    EXPECT_EQ(get("Errors", "Mon"), "9");
}

TEST_F(ProfileContract, AHeaderWithoutBracketIsAnOrdinaryLine) {
    test::writeBytes(ini, "[Errors]\n[Backup\nMon=1\n");
    EXPECT_EQ(get("Backup", "Mon"), "<def>");
    EXPECT_EQ(get("Errors", "Mon"), "1");
}

TEST_F(ProfileContract, KeysBeforeAnySectionBelongToNone) {
    test::writeBytes(ini, "Mon=1\n[Backup]\nDie=1\n");
    EXPECT_EQ(get("Backup", "Mon"), "<def>");
    EXPECT_EQ(get("Backup", "Die"), "1");
}

TEST_F(ProfileContract, FirstOfDuplicateKeysCounts) {
    test::writeBytes(ini, "[Backup]\r\nMon=1\r\nMon=0\r\n");
    EXPECT_EQ(get("Backup", "Mon"), "1");
    put("Backup", "Mon", "5");
    EXPECT_EQ(lines(), "[Backup]\nMon=5\nMon=0\n");
}

TEST_F(ProfileContract, QuotesAroundAValueAreDropped) {
    test::writeBytes(ini, "[Backup]\r\nP1P=\"C:\\Daten\"\r\nP2P='x'\r\nP3P=\"a\r\n");
    EXPECT_EQ(get("Backup", "P1P"), "C:\\Daten");
    EXPECT_EQ(get("Backup", "P2P"), "x");
    EXPECT_EQ(get("Backup", "P3P"), "\"a");
}

TEST_F(ProfileContract, GarbledFileNeverBreaksReadingOrWriting) {
    std::string junk = "\x01\x02\xff\xfe[[[]]=\n=\n[\n]\n\x80\x81=\x9d\n";
    junk += std::string(3000, 'x') + "\n[Backup]\nSon=1\n";
    test::writeBytes(ini, junk);
    EXPECT_EQ(get("Backup", "Son"), "1");
    put("Backup", "Mon", "1");
    EXPECT_EQ(get("Backup", "Mon"), "1");
    EXPECT_EQ(get("Backup", "Son"), "1");
}

}  // namespace
}  // namespace zb
