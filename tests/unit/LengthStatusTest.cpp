#include <gtest/gtest.h>

#include <string>

#include "rules/LengthStatus.h"
#include "tests/unit/TestSupport.h"

namespace {

// The two templates, byte for byte in code page 949, with the number in front.
std::string Remaining(const char* number) { return number + Bytes("20 B9 D9 C0 CC C6 AE 20 B3 B2 C0 BD"); }
std::string Over(const char* number) { return number + Bytes("20 B9 D9 C0 CC C6 AE 20 C3 CA B0 FA"); }

std::string Hangul(int syllables) {
    std::string text;
    for (int i = 0; i < syllables; ++i) text += Bytes("B0 A1");  // 가
    return text;
}

std::string Status(const std::string& message) { return Str(ComputeLengthStatus(NormaliseMessage(message.c_str()))); }

}  // namespace

TEST(LengthStatus, SaysBytesLeftUpToTheLimitAndBytesOverBeyondIt) {
    const struct {
        std::string message;
        std::string expected;
    } cases[] = {
        {"", Remaining("80")},
        {"a", Remaining("79")},
        {std::string(79, 'a'), Remaining("1")},
        {std::string(80, 'a'), Remaining("0")},
        {std::string(81, 'a'), Over("1")},
        {std::string(200, 'a'), Over("120")},
        {Hangul(40), Remaining("0")},
        {Hangul(41), Over("2")},
        {Hangul(39) + "a", Remaining("1")},
        {Bytes("61 0D 0A 62"), Remaining("77")},
        {std::string(70, 'a') + "\r\r\r\r\r\r\r\r\r\r\r", Remaining("10")},
        {std::string(10000, '\n'), Over("9920")},
    };
    for (const auto& c : cases) EXPECT_BYTES(c.expected, Status(c.message)) << c.message.size() << " bytes";
}

TEST(LengthStatus, TemplatesAreTheExactCodePage949Bytes) {
    // Pinned independently of how the source spells them: "%d 바이트 남음" / "%d 바이트 초과".
    EXPECT_BYTES(Bytes("38 30 20 B9 D9 C0 CC C6 AE 20 B3 B2 C0 BD"), Str(ComputeLengthStatus("")));
    EXPECT_BYTES(Bytes("31 32 30 20 B9 D9 C0 CC C6 AE 20 C3 CA B0 FA"),
                 Str(ComputeLengthStatus(std::string(200, 'x').c_str())));
}

TEST(LengthStatus, NumberHasNoSignPaddingOrGrouping) {
    EXPECT_BYTES(Over("999920"), Str(ComputeLengthStatus(std::string(1000000, 'x').c_str())));
    EXPECT_BYTES(Remaining("0"), Str(ComputeLengthStatus(std::string(80, 'x').c_str())));
}

TEST(NormaliseMessage, DropsEveryCrAndKeepsEveryOtherByteInOrder) {
    const struct {
        const char* message;
        const char* expected;
    } cases[] = {
        {"", ""},
        {"61 0D 0A 62", "61 0A 62"},
        {"0D", ""},
        {"0D 0D 0D 0A 0D", "0A"},
        {"0A 0A", "0A 0A"},
        {"B0 A1 0D 0A C7 D1 0D", "B0 A1 0A C7 D1"},
        {"41 0D B0 0D A1", "41 B0 A1"},
        {"01 1A 7F 80 FE FF", "01 1A 7F 80 FE FF"},
    };
    for (const auto& c : cases)
        EXPECT_BYTES(Bytes(c.expected), Str(NormaliseMessage(Bytes(c.message).c_str()))) << c.message;
}
