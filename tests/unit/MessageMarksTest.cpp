#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "rules/MessageMarks.h"
#include "tests/unit/TestSupport.h"

namespace {

std::string Times(int count, const std::string& text) { return count > 0 ? text + Times(count - 1, text) : ""; }

const std::string kHan = Bytes("C7 D1");    // 한, in KS X 1001
const std::string kDot = Bytes("A1 A4");    // ·, in KS X 1001
const std::string kTtom = Bytes("8C 63");   // 똠, trail byte below 0xA1
const std::string kHaeng = Bytes("C1 64");  // 햏
const std::string kBwelk = Bytes("94 EE");  // 뷁, lead byte below 0xA1

}  // namespace

TEST(MessageMarks, WhereTheLimitFallsAndWhatMayNotArrive) {
    const struct {
        std::string text;
        int pastLimit;
        std::vector<std::pair<int, int>> atRisk;
        std::string named;  // what the note names, before it says why
    } cases[] = {
        {"", -1, {}, ""},
        {std::string(80, 'a'), -1, {}, ""},
        {std::string(81, 'a'), 80, {}, ""},
        {std::string(78, 'a') + kHan, -1, {}, ""},
        {std::string(79, 'a') + kHan + "b", 79, {}, ""},  // its second byte is byte 81
        {Times(40, kHan) + kTtom, 40, {{40, 41}}, kTtom},
        // CRs do not count, but are characters: 39 lines of "a" CR LF hold 78 bytes in 117 characters.
        {Times(39, "a\r\n") + "bc\r", -1, {}, ""},
        {Times(39, "a\r\n") + "bc\rd", 120, {}, ""},
        // Each named once, in the order they come.
        {kTtom + kHaeng + kHaeng + kDot + kBwelk + kTtom, -1, {{0, 3}, {4, 6}}, kTtom + ", " + kHaeng + ", " + kBwelk},
        {Bytes("81 0D 8C 63 81 FF"), -1, {{2, 3}}, kTtom},  // a lead byte without a trail byte is a byte of its own
    };
    for (const auto& c : cases) {
        const AtRisk found = FindAtRisk(Text(c.text));
        const std::string note = Str(found.note);
        EXPECT_EQ(PastLimit(Text(c.text)), c.pastLimit) << c.text.size() << " bytes";
        EXPECT_EQ(found.runs, c.atRisk) << c.text.size() << " bytes";
        EXPECT_EQ(note.substr(0, note.find(": ")), c.named) << c.text.size() << " bytes";
        EXPECT_TRUE(note.empty() || note.ends_with(Bytes("B1 DB C0 DA"))) << note;  // ...글자
    }
}
