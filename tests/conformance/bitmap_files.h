// bitmap_files.h -- a fixture for tests that load BMP files: files written to the working directory under names of
// their own and removed afterwards, LoadImageA as the system calls it, memory DCs, all freed when the test ends.
#pragma once

#include "api_helpers.h"
#include "bmp_variants.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace apitest {

class BitmapFileTest : public ApiTest {
protected:
    void TearDown() override {
        for (HDC dc : dcs_) {
            DeleteDC(dc);
        }
        for (HBITMAP bitmap : bitmaps_) {
            DeleteObject(bitmap);
        }
        for (const std::string& path : files_) {
            std::remove(path.c_str());
        }
        ApiTest::TearDown();
    }

    // A file name in the working directory, named after the test and removed when it ends.
    std::string FilePath(const std::string& name) {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        files_.push_back(std::string("tamberlyn_") + test->test_suite_name() + "_" + test->name() + "_" + name);
        return files_.back();
    }

    std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = FilePath(name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }

    std::string WriteBmp(const std::string& name, const bmptest::BmpParts& parts) {
        return WriteFile(name, bmptest::BuildBmp(parts));
    }

    // LoadImageA(NULL, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION), as the system loads images.
    HBITMAP Load(const std::string& path) {
        const auto bitmap = static_cast<HBITMAP>(
            LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
        if (bitmap) {
            bitmaps_.push_back(bitmap);
        }
        return bitmap;
    }

    HDC MemoryDC(HBITMAP selected = nullptr) {
        const HDC dc = CreateCompatibleDC(nullptr);
        EXPECT_NE(nullptr, dc) << "CreateCompatibleDC(NULL)";
        dcs_.push_back(dc);
        if (selected) {
            EXPECT_NE(nullptr, SelectObject(dc, selected)) << "selecting a loaded bitmap";
        }
        return dc;
    }

private:
    std::vector<HDC> dcs_;
    std::vector<HBITMAP> bitmaps_;
    std::vector<std::string> files_;
};

}  // namespace apitest
