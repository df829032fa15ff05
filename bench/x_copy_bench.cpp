// x_copy_bench.cpp -- what a full-screen present costs on the X server's side, apart from the program: the X server's
// copy of a shared-memory image of the picture's size full screen, writing that image alone, and both in turn (the
// shape of a present through SDL's window surface). Beside a memset of the 640 x 480 x 32-bit back buffer, in the
// column "memsets". Run it under xvfb-run (or on an X desktop); without a display each benchmark fails with the
// reason.
#include "memset_ratio_reporter.h"
#include "x_copy.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

void BM_Memset(benchmark::State& state) {
    std::vector<std::uint8_t> backBuffer(640 * 480 * 4, 1);
    for (auto _ : state) {
        std::memset(backBuffer.data(), 0, backBuffer.size());
        benchmark::DoNotOptimize(backBuffer.data());
    }
}

// The image, made once for all the benchmarks; null with the benchmark failed where it cannot be.
XCopy* Image(benchmark::State& state) {
    static const std::unique_ptr<XCopy> image = std::make_unique<XCopy>();
    if (!image->Failure().empty()) {
        state.SkipWithError(image->Failure().c_str());
        return nullptr;
    }
    state.SetLabel(std::to_string(image->Width()) + "x" + std::to_string(image->Height()));
    return image.get();
}

void BM_XServerCopy(benchmark::State& state) {
    if (XCopy* image = Image(state)) {
        for (auto _ : state) {
            image->PutAndWait();
        }
    }
}

void BM_WriteShared(benchmark::State& state) {
    if (XCopy* image = Image(state)) {
        std::uint8_t value = 0;
        for (auto _ : state) {
            image->Write(++value);
        }
    }
}

void BM_WriteSharedAndPut(benchmark::State& state) {
    if (XCopy* image = Image(state)) {
        std::uint8_t value = 0;
        for (auto _ : state) {
            image->Write(++value);
            image->PutAndWait();
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (const auto& [name, function] :
         {std::make_pair("BM_Memset", BM_Memset), std::make_pair("BM_XServerCopy", BM_XServerCopy),
          std::make_pair("BM_WriteShared", BM_WriteShared),
          std::make_pair("BM_WriteSharedAndPut", BM_WriteSharedAndPut)}) {
        benchmark::RegisterBenchmark(name, function)->Unit(benchmark::kMicrosecond)->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    MemsetRatioReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Defaults
                                                       : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
