// load_bench.cpp -- LoadImageA as the system calls it. BM_LoadImage: a 640 x 480 picture of 1, 4 or 8 bits a pixel,
// each load followed by one of the same picture at 24 bits, so that the column "over 24-bit" compares the two in the
// same iterations. BM_PeakMemory: the peak resident memory of a fresh process (load_once) loading one file ("peak
// MiB"), and how far the load raised it ("load MiB"): the intro, a 4096 x 4096 24-bit file (48 MiB of pixels) and a
// 60-byte file declaring a 16384 x 16384 RLE8 picture.
#include "bmp_variants.h"

#include <windows.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// The files the benchmarks load, in a folder of their own that is removed at exit.
class Files {
public:
    Files() : folder_(std::filesystem::temp_directory_path() / ("tamberlyn-load-bench-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(folder_);
    }
    ~Files() { std::filesystem::remove_all(folder_); }

    std::string Write(const std::string& name, const bmptest::BmpParts& parts) {
        const std::string path = (folder_ / name).string();
        const std::vector<std::uint8_t> bytes = bmptest::BuildBmp(parts);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }

private:
    std::filesystem::path folder_;
};

Files& TheFiles() {
    static Files files;
    return files;
}

// A 640 x 480 picture: diagonal bands through a colour table of 2^bitCount colours, or through colours at 24 bits.
std::string Picture(int bitCount) {
    bmptest::BmpParts parts;
    parts.width = kWidth;
    parts.height = kHeight;
    parts.bitCount = static_cast<std::uint16_t>(bitCount);
    const std::uint32_t values = bitCount <= 8 ? 1u << bitCount : 1u << 24;
    for (std::uint32_t i = 0; bitCount <= 8 && i < values; ++i) {
        parts.colors.push_back(i * 0x010305 & 0xFFFFFF);
    }
    std::vector<std::vector<std::uint32_t>> rows(kHeight, std::vector<std::uint32_t>(kWidth));
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            rows[y][x] = static_cast<std::uint32_t>((x + 3 * y) * 0x10101) % values;
        }
    }
    parts.pixels = bmptest::PackRows(rows, bitCount);
    return TheFiles().Write(std::to_string(bitCount) + "-bit.bmp", parts);
}

// 60 bytes: headers, a one-colour table and an RLE8 stream that is only its end-of-bitmap code.
std::string HugeRle8() {
    bmptest::BmpParts parts;
    parts.width = parts.height = 16384;
    parts.bitCount = 8;
    parts.compression = 1;  // BI_RLE8
    parts.colorsUsed = 1;
    parts.colors = {0x808080};
    parts.pixels = {0, 1};
    return TheFiles().Write("rle8-16384.bmp", parts);
}

// Seconds one LoadImageA (and its DeleteObject) takes, or a negative number when no bitmap came back.
double TimedLoad(const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    const HANDLE bitmap = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    if (bitmap == nullptr) {
        return -1;
    }
    DeleteObject(bitmap);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_LoadImage(benchmark::State& state) {
    const int bitCount = static_cast<int>(state.range(0));
    const std::string own = Picture(bitCount);
    const std::string trueColour = Picture(24);
    double ownSeconds = 0;
    double trueColourSeconds = 0;
    for (auto _ : state) {
        const double ownTime = TimedLoad(own);
        const double trueColourTime = TimedLoad(trueColour);
        if (ownTime < 0 || trueColourTime < 0) {
            state.SkipWithError("LoadImageA gave NULL for a 640 x 480 picture");
            return;
        }
        state.SetIterationTime(ownTime);
        ownSeconds += ownTime;
        trueColourSeconds += trueColourTime;
    }
    state.SetLabel(std::to_string(bitCount) + "-bit");
    state.counters["24-bit ms"] = benchmark::Counter(trueColourSeconds * 1e3 / double(state.iterations()));
    state.counters["over 24-bit"] = benchmark::Counter(ownSeconds / trueColourSeconds);
}

// The peak resident memory, in KiB, of a fresh process (load_once) before and after it loads `path`; false when it
// did not load it.
bool PeakKiB(const std::string& path, long& before, long& after) {
    const std::string command = std::string(TAMBERLYN_LOAD_ONCE) + " '" + path + "'";
    std::FILE* output = popen(command.c_str(), "r");
    if (output == nullptr) {
        return false;
    }
    const bool read = std::fscanf(output, "%ld %ld", &before, &after) == 2;
    return pclose(output) == 0 && read && before > 0;
}

void BM_PeakMemory(benchmark::State& state, std::string (*file)()) {
    const std::string path = file();
    long before = 0;
    long after = 0;
    for (auto _ : state) {
        if (!PeakKiB(path, before, after)) {
            state.SkipWithError("load_once did not start, or did not load its file");
            return;
        }
    }
    state.counters["peak MiB"] = benchmark::Counter(double(after) / 1024);
    state.counters["load MiB"] = benchmark::Counter(double(after - before) / 1024);
}

// 48 MiB of pixels, every one written: what a big uncompressed picture costs.
std::string Large24() {
    bmptest::BmpParts parts;
    parts.width = parts.height = 4096;
    parts.pixels.assign(std::size_t{4096} * 4096 * 3, 0x5A);
    return TheFiles().Write("24-bit-4096.bmp", parts);
}

std::string Intro() {
    return TAMBERLYN_INTRO_BMP;
}

BENCHMARK(BM_LoadImage)->Arg(1)->Arg(4)->Arg(8)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PeakMemory, intro_640x480_24bit, Intro)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PeakMemory, rgb24_4096x4096, Large24)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PeakMemory, rle8_16384x16384_60_bytes, HugeRle8)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // Loading needs no display: the platform runs headless, here and in load_once, which inherits the setting.
    setenv("TAMBERLYN_HEADLESS", "1", 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
