// The bitmap reader against BMP Suite (tests/data/bmpsuite): every good file
// comes out as its reference picture, and no file, however damaged, makes the
// reader read outside its data.
#include <gtest/gtest.h>
#include <dirent.h>
#include <png.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/gdi/BitmapFile.h"

namespace {

const std::string SUITE = std::string(ORVIK_TEST_DATA_DIR) + "/bmpsuite/";

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir((SUITE + folder).c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name.size() > 4 && name.substr(name.size() - 4) == ".bmp") names.push_back(folder + "/" + name);
        }
        closedir(dir);
    }
    return names;
}

// The reference picture as 8-bit red, green, blue, with transparent pixels over black.
bool ReadReference(const std::string& name, std::vector<uint8_t>* rgb, int* width, int* height) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, (SUITE + "html/" + name).c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    rgb->resize(PNG_IMAGE_SIZE(image));
    png_color black = {0, 0, 0};
    if (!png_image_finish_read(&image, &black, rgb->data(), 0, nullptr)) return false;
    *width = int(image.width);
    *height = int(image.height);
    return true;
}

// References of the good files whose picture is named after another file.
const std::map<std::string, std::string> SAME_AS = {
    {"pal1wb", "pal1"},       {"pal4rle", "pal4"},   {"pal8-0", "pal8"},      {"pal8rle", "pal8"},
    {"pal8topdown", "pal8"},  {"pal8v4", "pal8"},    {"pal8v5", "pal8"},      {"pal8os2", "pal8"},
    {"pal8nonsquare", "pal8nonsquare-e"},            {"rgb16-565pal", "rgb16-565"},
    {"rgb16bfdef", "rgb16"},  {"rgb24pal", "rgb24"}, {"rgb32", "rgb24"},      {"rgb32bf", "rgb24"},
    {"rgb32bfdef", "rgb24"},
};

}  // namespace

TEST(BitmapSuite, GoodFilesComeOutAsTheirReferences) {
    std::vector<std::string> files = FilesIn("g");
    ASSERT_GE(files.size(), 20u);
    for (const std::string& file : files) {
        std::string stem = file.substr(2, file.size() - 6);
        auto alias = SAME_AS.find(stem);
        std::string reference = (alias != SAME_AS.end() ? alias->second : stem) + ".png";
        uint32_t error = 0;
        SDL_Surface* got = ReadBitmapPixels((SUITE + file).c_str(), &error);
        ASSERT_NE(got, nullptr) << file << " error " << error;
        std::vector<uint8_t> want;
        int width = 0, height = 0;
        ASSERT_TRUE(ReadReference(reference, &want, &width, &height)) << reference;
        ASSERT_EQ(got->w, width) << file;
        ASSERT_EQ(got->h, height) << file;
        int differing = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint32_t pixel = static_cast<uint32_t*>(got->pixels)[y * (got->pitch / 4) + x];
                const uint8_t* w = &want[size_t(y * width + x) * 3];
                int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
                // 5-bit channels widen by rounding, the references by repeating bits.
                differing += std::abs(r - w[0]) > 4 || std::abs(g - w[1]) > 4 || std::abs(b - w[2]) > 4;
            }
        EXPECT_EQ(differing, 0) << file << " against " << reference;
        SDL_FreeSurface(got);
    }
}

TEST(BitmapSuite, DamagedAndOddFilesAreReadSafely) {
    int files = 0, refused = 0;
    for (const char* folder : {"q", "b", "x"}) {
        for (const std::string& file : FilesIn(folder)) {
            ++files;
            uint32_t error = 0;
            SDL_Surface* got = ReadBitmapPixels((SUITE + file).c_str(), &error);
            if (got == nullptr) {
                ++refused;
                EXPECT_NE(error, 0u) << file;
            } else {
                EXPECT_GT(got->w, 0) << file;
                SDL_FreeSurface(got);
            }
        }
    }
    EXPECT_GT(files, 50);
    EXPECT_GT(refused, 10);
}
