// load_image_file_test.cpp -- LoadImageA reads regular files only: a FIFO, a device or a folder named like the
// picture gives NULL at once instead of blocking start-up; a link to a file is read as the file.
#include "bmp_variants.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

TEST(LoadImageFile, OnlyRegularFilesAreRead) {
    const fs::path folder = fs::temp_directory_path() / ("tamberlyn-load-image-" + std::to_string(getpid()));
    fs::create_directories(folder / "folder.bmp");
    ASSERT_EQ(0, mkfifo((folder / "fifo.bmp").c_str(), 0600)) << "a FIFO without a writer: open would block";
    fs::create_symlink("/dev/zero", folder / "device.bmp");
    const std::vector<std::uint8_t> bytes = bmptest::BuildBmp(bmptest::Grid(24, bmptest::Rgb24, 1, 1));
    std::ofstream(folder / "picture.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    fs::create_symlink(folder / "picture.bmp", folder / "link.bmp");
    for (const char* name : {"fifo.bmp", "folder.bmp", "device.bmp", "link.bmp"}) {
        const HANDLE bitmap =
            LoadImageA(nullptr, (folder / name).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
        EXPECT_EQ(bitmap != nullptr, std::string(name) == "link.bmp") << name;
        DeleteObject(bitmap);
    }
    fs::remove_all(folder);
}

}  // namespace
