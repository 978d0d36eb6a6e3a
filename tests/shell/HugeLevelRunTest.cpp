// A level far larger than memory: textures of 16384 x 16384 declared by run-length
// bitmaps of a few hundred bytes. Under a 4 GB address-space limit the viewer
// loads what fits in its texture budget, plays the path to its end and exits 0.
#include <gtest/gtest.h>

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "data/PackageKey.h"
#include "tests/support/RawPackage.h"
#include "tests/support/TestSupport.h"

namespace {

void Put16(std::string& out, unsigned v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// An 8-bit run-length bitmap of size x size: one row of runs, then the rest
// skipped with delta codes (skipped pixels are palette entry 0).
std::string HugeRleBitmap(uint32_t size, uint8_t red) {
    std::string rle;
    for (uint32_t x = 0; x + 200 <= 1000; x += 200) rle += std::string{char(200), char(1)};
    rle += std::string{0, 0};  // end of line
    for (uint32_t y = 1; y + 255 < size; y += 255) rle += std::string{0, 2, 0, char(255)};
    rle += std::string{0, 1};  // end of bitmap
    std::string file = "BM";
    uint32_t offset = 14 + 40 + 8;
    Put32(file, offset + static_cast<uint32_t>(rle.size()));
    Put32(file, 0);
    Put32(file, offset);
    Put32(file, 40);
    Put32(file, size);
    Put32(file, size);
    Put16(file, 1);
    Put16(file, 8);
    Put32(file, 1);  // BI_RLE8
    Put32(file, static_cast<uint32_t>(rle.size()));
    Put32(file, 2835);
    Put32(file, 2835);
    Put32(file, 2);  // two palette entries
    Put32(file, 0);
    file += std::string{40, 80, char(red), 0};
    file += std::string{char(255), char(255), char(255), 0};
    return file + rle;
}

// The captured frame as 8-bit RGB rows.
bool ReadFrame(const std::string& path, std::vector<uint8_t>* rgb, int* width, int* height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    rgb->resize(PNG_IMAGE_SIZE(image));
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    return png_image_finish_read(&image, nullptr, rgb->data(), 0, nullptr) != 0;
}

// How many of the four textures the default budget holds: half of physical
// memory, at most three quarters of the 4 GB limit. Each texture costs its
// chain of X8R8G8B8 levels twice while it loads (in memory and in GL) and once
// when the next one is made (its levels then live in GL alone).
int TexturesThatFit() {
    uint64_t physical = static_cast<uint64_t>(sysconf(_SC_PHYS_PAGES)) * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
    uint64_t budget = std::min<uint64_t>(physical / 2, (uint64_t{4194304} << 10) / 4 * 3);
    uint64_t chain = 0;
    for (uint64_t size = 16384; size >= 1; size /= 2) chain += size * size * 4;
    uint64_t fit = budget / chain;
    return static_cast<int>(std::min<uint64_t>(4, fit > 0 ? fit - 1 : 0));
}

TEST(HugeLevelRunTest, FourTexturesOf16384SquaredPlayUnderAFourGigabyteLimit) {
    TempDir root;
    std::string work = root.Path() + "/work";
    ASSERT_EQ(::mkdir(work.c_str(), 0700), 0);
    std::vector<std::pair<std::string, std::string>> members = {{"GAME.CFG", kSmallConfig}};
    std::string map = "4\n";
    for (int i = 0; i < 4; ++i) {
        std::string name = "HUGE" + std::to_string(i) + ".BMP";
        std::string bitmap = HugeRleBitmap(16384, static_cast<uint8_t>(60 * i));
        ASSERT_LT(bitmap.size(), 1024u);
        members.push_back({name, bitmap});
        map += name + "\n";
    }
    // Four triangles side by side, one for each texture.
    map += "4\n";
    for (int i = 0; i < 4; ++i) {
        int x = -24 + 16 * i;
        map += std::to_string(x - 6) + " -6 0  " + std::to_string(x + 6) + " -6 0  " + std::to_string(x) + " 6 0  " +
               std::to_string(i) + "  0 0  1 0  0 1\n";
    }
    members.push_back({"MAP.MBM", map});
    members.push_back({"RC.DEM", "x 0 0 -30 0 0 0\nx 0 0 -30 0 0 0\nx 0 0 -30 0 0 0\nT\n"});
    ASSERT_TRUE(WriteFile(work + "/DATA.MBP", BuildPackage(members, PACKAGE_KEY)));

    ChildOptions options;
    options.workDir = work;
    std::string frames = root.Path() + "/frames";
    ASSERT_EQ(::mkdir(frames.c_str(), 0700), 0);
    options.env = {{"SDL_VIDEODRIVER", "offscreen"}, {"SDL_AUDIODRIVER", "dummy"}, {"ORVIK_CAPTURE_DIR", frames}};
    options.timeoutSeconds = 240;
    ChildRun run = RunChild({"/bin/sh", "-c", "ulimit -v 4194304 && exec \"$0\"", BuiltProgram("shell/orvik")},
                            options);
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.signal, 0) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ListDir(work), std::vector<std::string>{"DATA.MBP"});

    // The textures that fit are drawn (mostly palette entry 0, a dark green);
    // the others leave their triangles untextured, white.
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
    ASSERT_TRUE(ReadFrame(frames + "/frame-000002.png", &rgb, &width, &height));
    int fit = TexturesThatFit();
    for (int i = 0; i < 4; ++i) {
        int brightest = 0, greenest = 0;
        for (int y = height / 3; y < 2 * height / 3; ++y)
            for (int x = i * width / 4; x < (i + 1) * width / 4; ++x) {
                const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
                brightest = std::max({brightest, int(p[0]) + p[1] + p[2]});
                greenest = std::max(greenest, int(p[1]) - std::max(p[0], p[2]));
            }
        if (i < fit) {
            EXPECT_LT(brightest, 600) << "texture " << i;
            EXPECT_GT(greenest, 20) << "texture " << i;
        } else {
            EXPECT_EQ(brightest, 3 * 255) << "texture " << i;
        }
    }
}

}  // namespace
