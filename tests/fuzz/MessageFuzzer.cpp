// msg.dat both ways, over any bytes: whatever wrote them, they load to a text the editor can hold,
// which survives the editor's own save and load but for one known loss; and bent into a text the
// editor holds, they come back from msg.dat, and from an LF editor that holds a CR, byte for byte.
#include <cstddef>
#include <cstdint>

#include "rules/LineBreaks.h"
#include "tests/unit/TestSupport.h"

// A trap rather than assert(): it stays in every build type, and libFuzzer keeps the input that
// sprang it, with the stack that shows which property failed.
static void Require(bool property) {
    if (!property) __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string loaded = Loaded(bytes);
    Require(loaded.find('\0') == std::string::npos);
    // Saving stores each LF as CR LF, and loading drops a final LF unless a CR precedes it: so a
    // text ending in a bare LF, which only a file written elsewhere gives, loses that one LF in
    // each round. Everything else comes back byte for byte.
    const bool endsInBareLf =
        !loaded.empty() && loaded.back() == '\n' && (loaded.size() == 1 || loaded[loaded.size() - 2] != '\r');
    Require(Loaded(Saved(loaded)) == (endsInBareLf ? loaded.substr(0, loaded.size() - 1) : loaded));

    // The editor's text has no zero byte, no Ctrl-Z (it would end the file early) and no LF without
    // a CR before it; the input is bent into that shape rather than rejected, so that every input
    // tests something.
    std::string message;
    for (const char c : bytes) {
        if (c == '\0' || c == '\x1A') continue;
        if (c == '\n' && (message.empty() || message.back() != '\r')) message.push_back('\r');
        message.push_back(c);
    }
    Require(Loaded(Saved(message)) == message);
    Require(Str(MessageFromLfEditorText(LfEditorText(Text(message), LfEditor::kHoldsCr))) == message);
    return 0;
}
