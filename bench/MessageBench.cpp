// Loading a large msg.dat, what every front end does once at start-up, beside the plain read of the
// same file that bounds it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "rules/MessageStore.h"

namespace {

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
