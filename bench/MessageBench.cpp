// What the composer does on every keystroke (read the window text, normalise it, caption it) and
// what it does once at start-up (load msg.dat), each beside the plain copy or read that bounds it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "rules/LengthStatus.h"
#include "rules/MessageFile.h"

namespace {

// An editor's text: Latin and Hangul (code page 949, two bytes a syllable) in lines of 21 to 35
// bytes, each ended by the edit control's CR LF, or joined by spaces into a single line.
std::string EditorText(std::size_t size, bool lineBreaks = true) {
    static const char* const kLines[] = {
        "See you at 7 \xB9\xD9\xC0\xCC\xC6\xAE",
        "\xB3\xB2\xC0\xBD \xC3\xCA\xB0\xFA ok, bring the 2 tickets",
        "Call me back: 010-1234-5678",
        "\xB9\xD9\xC0\xCC\xC6\xAE \xB3\xB2\xC0\xBD \xC3\xCA\xB0\xFA \xB9\xD9\xC0\xCC\xC6\xAE",
    };
    std::string text;
    for (std::size_t i = 0; text.size() < size; ++i)
        (text += kLines[i % std::size(kLines)]) += lineBreaks ? "\r\n" : "  ";
    text.resize(size);
    return text;
}

// The update step's core, as the composer runs it: the window text copied into a CString through
// its buffer, normalised, and captioned. The second argument is 0 for a text without line breaks,
// which separates the cost of each CR removed from the cost of the copies.
void BM_UpdateCore(benchmark::State& state) {
    const std::string windowText = EditorText(static_cast<std::size_t>(state.range(0)), state.range(1) != 0);
    const int length = static_cast<int>(windowText.size());
    for (auto _ : state) {
        CString text;
        std::memcpy(text.GetBuffer(length + 1), windowText.data(), windowText.size());
        text.ReleaseBuffer(length);
        text = NormaliseMessage(text);
        CString status = ComputeLengthStatus(text);
        benchmark::DoNotOptimize(text);
        benchmark::DoNotOptimize(status);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_UpdateCore)
    ->ArgNames({"bytes", "crlf"})
    ->ArgsProduct({{0, 80, 2 << 10, 32 << 10, 1 << 20}, {1}})
    ->Args({32 << 10, 0})
    ->Args({1 << 20, 0});

// The floor for the update step: copying the same bytes once.
void BM_Memcpy(benchmark::State& state) {
    const std::string windowText = EditorText(static_cast<std::size_t>(state.range(0)));
    std::vector<char> copy(windowText.size() + 1);
    for (auto _ : state) {
        std::memcpy(copy.data(), windowText.data(), windowText.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Memcpy)->Arg(0)->Arg(80)->Arg(2 << 10)->Arg(32 << 10)->Arg(1 << 20);

// msg.dat of the given size, as the editor saves it: short lines whose CR LF is stored CR CR LF.
void WriteMessageFile(std::size_t size) {
    std::string stored;
    for (int i = 0; stored.size() < size; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "line %014d\r\r\n", i);  // 20 bytes stored
        stored += line;
    }
    stored.resize(size);
    std::FILE* file = std::fopen(kMessageFileName, "wb");
    if (file == nullptr || std::fwrite(stored.data(), 1, stored.size(), file) != stored.size() ||
        std::fclose(file) != 0) {
        std::perror(kMessageFileName);
        std::exit(1);
    }
}

void BM_LoadMessageFile(benchmark::State& state) {
    WriteMessageFile(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::optional<CString> message = LoadMessageFile();
        if (!message) state.SkipWithError("msg.dat did not open");
        benchmark::DoNotOptimize(message);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadMessageFile)->RangeMultiplier(2)->Range(64 << 10, 4 << 20)->Complexity(benchmark::oN);

// The floor for loading: the same file read whole, untranslated.
void BM_ReadWholeFile(benchmark::State& state) {
    WriteMessageFile(static_cast<std::size_t>(state.range(0)));
    std::vector<char> buffer(static_cast<std::size_t>(state.range(0)) + 1);
    for (auto _ : state) {
        std::FILE* file = std::fopen(kMessageFileName, "rb");
        if (file == nullptr) {
            state.SkipWithError("msg.dat did not open");
            break;
        }
        benchmark::DoNotOptimize(std::fread(buffer.data(), 1, buffer.size(), file));
        std::fclose(file);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadWholeFile)->Arg(1 << 20);

}  // namespace

// msg.dat is resolved against the current directory, so the run moves into a scratch one.
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::string directory = (std::filesystem::temp_directory_path() / "quillet-bench-XXXXXX").string();
    if (mkdtemp(directory.data()) == nullptr || chdir(directory.c_str()) != 0) {
        std::perror(directory.c_str());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(directory);
    return 0;
}
