// A message as the editor holds it comes back from msg.dat byte for byte.
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The editor's text has no zero byte, no Ctrl-Z (it would end the file early) and no LF without
    // a CR before it; the input is bent into that shape rather than rejected, so that every input
    // tests something.
    std::string message;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\0' || c == '\x1A') continue;
        if (c == '\n' && (message.empty() || message.back() != '\r')) message.push_back('\r');
        message.push_back(c);
    }
    FUZZ_REQUIRE(Loaded(Saved(message)) == message);
    return 0;
}
