// The native composer's code page tables, against the C library's converter they are made from.
#include <glibmm/convert.h>
#include <gtest/gtest.h>

#include <string>

#include "gtk/Cp949.h"
#include "tests/unit/TestSupport.h"

namespace {

TEST(GtkCp949, WhatTheCodePageLacksBecomesAQuestionMark) {
    EXPECT_EQ(Str(ToCp949("é가ก😀b\r\n")), Bytes("3F B0 A1 3F 3F 62 0D 0A"));
    // Bytes starting no character: a lead byte at the end, or before a byte that cannot trail it
    // (which stays itself), and bytes that lead nothing.
    EXPECT_EQ(FromCp949(Text(Bytes("61 B0"))).raw(), "a?");
    EXPECT_EQ(FromCp949(Text(Bytes("B0 20 80 FF 62"))).raw(), "? ??b");
}

// Every two-byte sequence decodes as the C library decodes it, and every character encodes as the
// first sequence giving it.
TEST(GtkCp949, WholeCodePageAsTheConverterHasIt) {
    int characters = 0;
    for (int lead = 0x81; lead <= 0xfe; ++lead) {
        for (int trail = 0x41; trail <= 0xfe; ++trail) {
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            // A sequence giving no character is its lead byte as "?" and its trail byte as itself.
            std::string expected;
            try {
                expected = Glib::convert(pair, "UTF-8", "CP949");
            } catch (const Glib::ConvertError&) {
            }
            if (expected.empty()) expected = "?" + FromCp949(Text(pair.substr(1))).raw();
            ASSERT_EQ(FromCp949(Text(pair)).raw(), expected) << std::hex << lead << ' ' << trail;
            if (expected[0] == '?') continue;
            ++characters;
            EXPECT_EQ(Str(ToCp949(expected)), Glib::convert(expected, "CP949", "UTF-8")) << expected;
        }
    }
    EXPECT_EQ(characters, 8224 + 2 + 8822);  // KS X 1001, its euro and registered signs of 1998, the extension
}

}  // namespace
