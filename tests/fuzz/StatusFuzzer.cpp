// The counted text and the caption, checked against a second, deliberately plain computation.
#include "rules/LengthStatus.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A window text ends at its first zero byte, so none can be inside it.
    std::string text;
    std::string withoutCr;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c != '\0') text.push_back(c);
        if (c != '\0' && c != '\r') withoutCr.push_back(c);
    }
    const CString normalised = NormaliseMessage(CString(text.data(), static_cast<int>(text.size())));
    FUZZ_REQUIRE(Str(normalised) == withoutCr);

    // "N 바이트 남음" or "N 바이트 초과" in code page 949.
    const int over = static_cast<int>(withoutCr.size()) - 80;
    const std::string expected = std::to_string(over <= 0 ? -over : over) + " \xB9\xD9\xC0\xCC\xC6\xAE " +
                                 (over <= 0 ? "\xB3\xB2\xC0\xBD" : "\xC3\xCA\xB0\xFA");
    FUZZ_REQUIRE(Str(ComputeLengthStatus(normalised)) == expected);
    return 0;
}
