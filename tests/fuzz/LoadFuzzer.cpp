// Any msg.dat, however it was written, loads to a text the editor can hold, and that text
// survives the editor's own save and load but for one known loss.
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string loaded = Loaded(std::string(reinterpret_cast<const char*>(data), size));
    FUZZ_REQUIRE(loaded.find('\0') == std::string::npos);

    // Saving stores each LF as CR LF, and loading drops a final LF unless a CR precedes it: so a
    // text ending in a bare LF, which only a file written elsewhere gives, loses that one LF in
    // each round. Everything else comes back byte for byte.
    const bool endsInBareLf =
        !loaded.empty() && loaded.back() == '\n' && (loaded.size() == 1 || loaded[loaded.size() - 2] != '\r');
    FUZZ_REQUIRE(Loaded(Saved(loaded)) == (endsInBareLf ? loaded.substr(0, loaded.size() - 1) : loaded));
    return 0;
}
