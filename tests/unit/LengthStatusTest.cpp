#include <gtest/gtest.h>

#include <string>

#include "rules/LengthStatus.h"
#include "tests/unit/TestSupport.h"

namespace {

// "%d 바이트 남음" and "%d 바이트 초과", byte for byte in code page 949, with the number in front.
std::string Remaining(const char* number) { return number + Bytes("20 B9 D9 C0 CC C6 AE 20 B3 B2 C0 BD"); }
std::string Over(const char* number) { return number + Bytes("20 B9 D9 C0 CC C6 AE 20 C3 CA B0 FA"); }

}  // namespace

TEST(LengthStatus, CountsTheMessageWithoutCrAgainstTheLimit) {
    const struct {
        std::string message;
        std::string normalised;  // what the clipboard gets
        std::string status;
    } cases[] = {
        {"", "", Remaining("80")},
        {std::string(80, 'a'), std::string(80, 'a'), Remaining("0")},
        {std::string(81, 'a'), std::string(81, 'a'), Over("1")},
        {Bytes("61 0D 0A 62"), Bytes("61 0A 62"), Remaining("77")},
        {Bytes("0D 0D 0D 0A 0D"), Bytes("0A"), Remaining("79")},
        {Bytes("B0 A1 0D 0A C7 D1 0D"), Bytes("B0 A1 0A C7 D1"), Remaining("75")},
        {Bytes("01 1A 7F 80 FE FF"), Bytes("01 1A 7F 80 FE FF"), Remaining("74")},
        {std::string(1000000, 'x'), std::string(1000000, 'x'), Over("999920")},
    };
    for (const auto& c : cases) {
        const CString normalised = NormaliseMessage(c.message.c_str());
        EXPECT_EQ(Str(normalised), c.normalised);
        EXPECT_EQ(Str(ComputeLengthStatus(normalised)), c.status) << c.message.size() << " bytes";
    }
}
