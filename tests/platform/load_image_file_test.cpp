// load_image_file_test.cpp -- LoadImageA reads regular files only: a FIFO, a device or a folder named like the
// picture gives NULL at once instead of blocking start-up.
#include "bmp_builder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

HANDLE LoadAsTheSystemDoes(const fs::path& path) {
    return LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
}

class LoadImageFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("tamberlyn-load-image-" + std::to_string(getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path folder_;
};

// A FIFO with no writer would block a plain open for reading until one came; the test would then hang.
TEST_F(LoadImageFile, OnlyRegularFilesAreRead) {
    const fs::path fifo = folder_ / "fifo" / "intro.bmp";
    const fs::path folder = folder_ / "folder" / "intro.bmp";
    const fs::path device = folder_ / "device" / "intro.bmp";
    for (const fs::path& path : {fifo, folder, device}) {
        fs::create_directories(path.parent_path());
    }
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600)) << "mkfifo " << fifo;
    fs::create_directory(folder);
    fs::create_symlink("/dev/zero", device);
    for (const fs::path& path : {fifo, folder, device}) {
        EXPECT_EQ(nullptr, LoadAsTheSystemDoes(path)) << path.parent_path().filename() << " named intro.bmp";
    }

    // A link to a regular file is read as the file.
    bmptest::BmpParts parts;
    parts.pixels = {1, 2, 3, 0};
    const std::vector<std::uint8_t> bytes = bmptest::BuildBmp(parts);
    const fs::path file = folder_ / "picture.bmp";
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    const fs::path link = folder_ / "intro.bmp";
    fs::create_symlink(file, link);
    const HANDLE bitmap = LoadAsTheSystemDoes(link);
    EXPECT_NE(nullptr, bitmap) << "a link to a BMP file";
    DeleteObject(bitmap);
}

}  // namespace
