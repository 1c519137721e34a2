// The counted text and the caption, checked against a second, deliberately plain computation.
#include <cstddef>
#include <cstdint>
#include <string>

#include "rules/LengthStatus.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// " 바이트 남음" and " 바이트 초과" in code page 949.
const std::string kRemainingSuffix = "\x20\xB9\xD9\xC0\xCC\xC6\xAE\x20\xB3\xB2\xC0\xBD";
const std::string kOverSuffix = "\x20\xB9\xD9\xC0\xCC\xC6\xAE\x20\xC3\xCA\xB0\xFA";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A window text ends at its first zero byte, so none can be inside it.
    std::string text;
    std::string withoutCr;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\0') continue;
        text.push_back(c);
        if (c != '\r') withoutCr.push_back(c);
    }

    const CString normalised = NormaliseMessage(CString(text.data(), static_cast<int>(text.size())));
    FUZZ_REQUIRE(Str(normalised).find('\r') == std::string::npos);
    FUZZ_REQUIRE(Str(normalised) == withoutCr);

    const int length = static_cast<int>(withoutCr.size());
    const std::string expected =
        length <= 80 ? std::to_string(80 - length) + kRemainingSuffix : std::to_string(length - 80) + kOverSuffix;
    FUZZ_REQUIRE(Str(ComputeLengthStatus(normalised)) == expected);
    return 0;
}
