#include <gtest/gtest.h>

#include <string>

#include "rules/LengthStatus.h"
#include "rules/LineBreaks.h"
#include "tests/unit/TestSupport.h"

namespace {

// "%d 바이트 남음" and "%d 바이트 초과", byte for byte in code page 949, with the number in front.
std::string Remaining(const char* number) { return number + Bytes("20 B9 D9 C0 CC C6 AE 20 B3 B2 C0 BD"); }
std::string Over(const char* number) { return number + Bytes("20 B9 D9 C0 CC C6 AE 20 C3 CA B0 FA"); }

}  // namespace

// What is counted, and so what the clipboard gets and a text area shows: the message without its CRs. An
// editor of LF line breaks that holds a CR shows each CR LF as LF and gives the message back byte for byte.
TEST(LengthStatus, CountsTheMessageWithoutCrAsEveryEditorShowsIt) {
    const struct {
        std::string message;
        std::string normalised;
        std::string held;  // what an LF editor that holds a CR shows
        std::string status;
    } cases[] = {
        {"", "", "", Remaining("80")},
        {std::string(80, 'a'), std::string(80, 'a'), std::string(80, 'a'), Remaining("0")},
        {std::string(81, 'a'), std::string(81, 'a'), std::string(81, 'a'), Over("1")},
        {Bytes("61 0D 62 0D 0A 63"), Bytes("61 62 0A 63"), Bytes("61 0D 62 0A 63"), Remaining("76")},
        {Bytes("0D 0D 0D 0A 0D"), Bytes("0A"), Bytes("0D 0D 0A 0D"), Remaining("79")},
        {Bytes("B0 A1 0D 0A C7 D1 0D"), Bytes("B0 A1 0A C7 D1"), Bytes("B0 A1 0A C7 D1 0D"), Remaining("75")},
        {Bytes("01 1A 7F 80 FE FF"), Bytes("01 1A 7F 80 FE FF"), Bytes("01 1A 7F 80 FE FF"), Remaining("74")},
        {std::string(1000000, 'x'), std::string(1000000, 'x'), std::string(1000000, 'x'), Over("999920")},
    };
    for (const auto& c : cases) {
        const CString message = Text(c.message);
        const CString normalised = NormaliseMessage(message);
        EXPECT_EQ(Str(normalised), c.normalised);
        EXPECT_EQ(Str(ComputeLengthStatus(normalised)), c.status) << c.message.size() << " bytes";
        EXPECT_EQ(Str(LfEditorText(message, LfEditor::kLfOnly)), c.normalised);
        EXPECT_EQ(Str(LfEditorText(message, LfEditor::kHoldsCr)), c.held);
        EXPECT_EQ(Str(MessageFromLfEditorText(Text(c.held))), c.message);
    }
}
