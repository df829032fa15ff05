// load_once.cpp -- loads one BMP file with LoadImageA as the system does and prints the process's peak resident
// memory in KiB before and after the load: "BEFORE AFTER". Exit code 0 when a bitmap came back, 1 when none did,
// 2 when used wrongly. load_bench runs it in a fresh process for each file.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// VmHWM, the peak of this process's own memory. getrusage's ru_maxrss would not do: exec carries the peak of the
// process that started this one into it.
long PeakKiB() {
    long peak = -1;
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            if (std::strncmp(line, "VmHWM:", 6) == 0) {
                std::sscanf(line + 6, "%ld", &peak);
            }
        }
        std::fclose(status);
    }
    return peak;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE.bmp\n", argv[0]);
        return 2;
    }
    const long before = PeakKiB();
    const HANDLE bitmap = LoadImageA(nullptr, argv[1], IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    const long after = PeakKiB();
    std::printf("%ld %ld\n", before, after);
    if (bitmap == nullptr) {
        return 1;
    }
    DeleteObject(bitmap);
    return 0;
}
