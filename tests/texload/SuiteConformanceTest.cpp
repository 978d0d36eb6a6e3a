// The PNG and BMP test suites: every file decodes to its expected pixels or is rejected.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <filesystem>
#include <map>

#include "texload/ImageFormatName.h"
#include "tests/texload/TexloadTestSupport.h"

namespace {

namespace fs = std::filesystem;

struct Expected {
    int sampleBytes;
    std::vector<uint32_t> samples;
};

std::map<std::string, Expected> LoadPngSuiteExpected()
{
    std::map<std::string, Expected> out;
    const std::string path = std::string(ORVIK_TEST_DATA_DIR) + "/pngsuite/expected.bin.gz";
    gzFile in = gzopen(path.c_str(), "rb");
    if (!in) return out;
    std::vector<uint8_t> all;
    uint8_t chunk[65536];
    int got;
    while ((got = gzread(in, chunk, sizeof chunk)) > 0) all.insert(all.end(), chunk, chunk + got);
    gzclose(in);
    size_t at = 0;
    while (at < all.size()) {
        std::string name(reinterpret_cast<const char*>(all.data() + at));
        at += name.size() + 1;
        Expected e;
        e.sampleBytes = all[at++];
        const uint32_t count = all[at] | all[at + 1] << 8 | all[at + 2] << 16 | (uint32_t)all[at + 3] << 24;
        at += 4;
        for (uint32_t i = 0; i < count; ++i, at += e.sampleBytes) {
            e.samples.push_back(e.sampleBytes == 2 ? all[at] | all[at + 1] << 8 : all[at]);
        }
        out[name] = std::move(e);
    }
    return out;
}

// What the reader's gamma rule depends on: the colour type and the sRGB and gAMA chunks.
struct PngFacts {
    int colorType = 0;
    bool srgb = false;
    double gamma = 0.0;
};

PngFacts ReadPngFacts(const std::vector<uint8_t>& file)
{
    PngFacts facts;
    facts.colorType = file[25];
    for (size_t at = 8; at + 12 <= file.size();) {
        const uint32_t length = file[at] << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
        const std::string type(file.begin() + at + 4, file.begin() + at + 8);
        if (type == "sRGB") facts.srgb = true;
        if (type == "gAMA") {
            const uint8_t* v = file.data() + at + 8;
            facts.gamma = (v[0] << 24 | v[1] << 16 | v[2] << 8 | v[3]) / 100000.0;
        }
        at += 12 + (size_t)length;
    }
    return facts;
}

std::vector<std::string> FilesIn(const std::string& dir, const std::string& extension)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(std::string(ORVIK_TEST_DATA_DIR) + "/" + dir)) {
        if (entry.path().extension() == extension) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(PngSuite, EveryFileDecodesUnderTheGammaRuleOrIsRejected)
{
    const auto expected = LoadPngSuiteExpected();
    ASSERT_GE(expected.size(), 160u);
    const auto files = FilesIn("pngsuite/png", ".png");
    ASSERT_EQ(files.size(), 175u);
    int decoded = 0, rejected = 0;
    for (const std::string& file : files) {
        const std::string name = file.substr(0, file.size() - 4);
        const auto bytes = ReadTestFile("pngsuite/png/" + file);
        DecodedImage image;
        ImageReader reader;
        const HRESULT result = Decode(bytes, &image, &reader);
        if (name[0] == 'x') {  // corrupt files: libpng refuses them, and so does every other reader
            EXPECT_EQ(result, D3DXERR_INVALIDDATA) << name;
            ++rejected;
            continue;
        }
        ASSERT_EQ(result, S_OK) << name;
        EXPECT_EQ(reader, ImageReader::Png);
        const auto found = expected.find(name);
        ASSERT_NE(found, expected.end()) << name;
        const Expected& e = found->second;
        const auto rgba = Rgba(image);
        ASSERT_EQ(rgba.size(), e.samples.size()) << name;

        // sRGB files are taken as they are; gAMA alone corrects colour (not alpha) with
        // exponent 1 / (gamma x 2.2): exactly through the table for palettes, through
        // libpng's own arithmetic otherwise.
        const PngFacts facts = ReadPngFacts(bytes);
        const bool corrected = !facts.srgb && facts.gamma > 0.000001;
        const bool palette = facts.colorType == 3;
        const double maxValue = e.sampleBytes == 2 ? 65535.0 : 255.0;
        const int tolerance = !corrected || palette ? 0 : e.sampleBytes == 2 ? 2 : 1;
        int mismatches = 0;
        for (size_t i = 0; i < rgba.size(); ++i) {
            const uint32_t v = e.samples[i];
            int want = (int)(e.sampleBytes == 2 ? v >> 8 : v);
            if (corrected && i % 4 != 3) {
                want = (int)(std::pow(v / maxValue, 1.0 / (facts.gamma * 2.2)) * 255.0 + 0.5);
            }
            if (std::abs(rgba[i] - want) > tolerance && mismatches++ == 0) {
                ADD_FAILURE() << name << " sample " << i << ": got " << (int)rgba[i] << ", want " << want;
            }
        }
        EXPECT_EQ(mismatches, 0) << name;
        ++decoded;
    }
    EXPECT_EQ(decoded, 161);
    EXPECT_EQ(rejected, 14);
}

TEST(PngSuite, FormatsFollowColourTypeAndTransparency)
{
    const std::pair<const char*, D3DFORMAT> cases[] = {
        {"basn0g08", D3DFMT_L8},       {"basn0g01", D3DFMT_L8},       {"basn0g16", D3DFMT_L8},
        {"basn2c08", D3DFMT_X8R8G8B8}, {"basn3p04", D3DFMT_P8},       {"basn4a08", D3DFMT_A8L8},
        {"basn6a16", D3DFMT_A8R8G8B8}, {"tbrn2c08", D3DFMT_A8R8G8B8}, {"tbbn0g04", D3DFMT_A8L8},
        {"tp1n3p08", D3DFMT_P8},
    };
    for (const auto& [name, format] : cases) {
        DecodedImage image;
        ASSERT_EQ(Decode(ReadTestFile(std::string("pngsuite/png/") + name + ".png"), &image), S_OK) << name;
        EXPECT_EQ(image.format, format) << name << " is " << ImageFormatName(image.format);
    }
    // Palette transparency goes to the first entries' alpha; the rest stay opaque.
    DecodedImage image;
    ASSERT_EQ(Decode(ReadTestFile("pngsuite/png/tbbn3p08.png"), &image), S_OK);
    ASSERT_NE(image.palette, nullptr);
    EXPECT_EQ(image.palette->entries[0].flags, 0);
    EXPECT_EQ(image.palette->entries[255].flags, 255);
}

// How a bitmap suite file must come out: rejected, decoded, or decoded like a reference picture.
struct BmpCase {
    const char* file;
    const char* reference;  // html/ picture, "" for none
    bool decodes;
    bool matches = true;
};

const BmpCase BMP_CASES[] = {
    {"g/pal1.bmp", "pal1.png", true},          {"g/pal1wb.bmp", "pal1.png", true},
    {"g/pal1bg.bmp", "pal1bg.png", true},      {"g/pal4.bmp", "pal4.png", true},
    {"g/pal4gs.bmp", "pal4gs.png", true},      {"g/pal4rle.bmp", "pal4.png", true},
    {"g/pal8.bmp", "pal8.png", true},          {"g/pal8-0.bmp", "pal8.png", true},
    {"g/pal8gs.bmp", "pal8gs.png", true},      {"g/pal8rle.bmp", "pal8.png", true},
    {"g/pal8topdown.bmp", "pal8.png", true},   {"g/pal8v4.bmp", "pal8.png", true},
    {"g/pal8v5.bmp", "pal8.png", true},        {"g/pal8w124.bmp", "pal8w124.png", true},
    {"g/pal8w125.bmp", "pal8w125.png", true},  {"g/pal8w126.bmp", "pal8w126.png", true},
    {"g/pal8nonsquare.bmp", "pal8nonsquare-e.png", true},
    {"g/rgb16.bmp", "rgb16.png", true},        {"g/rgb24.bmp", "rgb24.png", true},
    {"g/rgb24pal.bmp", "rgb24.png", true},     {"g/rgb32.bmp", "rgb24.png", true},
    {"q/pal1p1.bmp", "pal1p1.png", true},
    // Pixels that run-length data skips come out as index 0.
    {"q/pal4rlecut.bmp", "pal4rlecut-0.png", true},   {"q/pal4rletrns.bmp", "pal4rletrns-0.png", true},
    {"q/pal8rlecut.bmp", "pal8rlecut-0.png", true},   {"q/pal8rletrns.bmp", "pal8rletrns-0.png", true},
    {"q/pal8os2v2.bmp", "pal8.png", true},     {"q/pal8os2v2-sz.bmp", "pal8.png", true},
    {"q/pal8os2v2-40sz.bmp", "pal8.png", true},
    {"q/pal8oversizepal.bmp", "pal8.png", true},
    // The pixel-offset field is not used: the unused bytes after the palette are read as pixels.
    {"q/pal8offs.bmp", "pal8.png", true, false},
    {"q/rgb16faketrns.bmp", "rgb16.png", true},       {"q/rgb24largepal.bmp", "rgb24.png", true},
    {"q/rgb24prof.bmp", "rgb24.png", true},           {"q/rgb24prof2.bmp", "rgb24.png", true, false},  // swaps red and green; colour profiles are not applied
    {"q/rgb24lprof.bmp", "rgb24.png", true},          {"q/rgb32fakealpha.bmp", "rgb24.png", true},
    {"q/rgba16-4444.bmp", "rgba16-4444.png", true},   {"q/rgba16-5551.bmp", "rgba16-5551.png", true},
    {"q/rgba32-1.bmp", "rgba32.png", true},
    // Bad files whose damage lies in fields this reader does not use.
    {"b/badbitssize.bmp", "", true},  {"b/baddens1.bmp", "", true},  {"b/baddens2.bmp", "", true},
    {"b/badheadersize.bmp", "", true}, {"b/pal8badindex.bmp", "", true},
};

TEST(BmpSuite, EveryFileIsDecodedAsItsReferenceOrRejected)
{
    std::map<std::string, const BmpCase*> cases;
    for (const BmpCase& c : BMP_CASES) cases[c.file] = &c;
    int decoded = 0, files = 0;
    for (const char* dir : {"g", "q", "b", "x"}) {
        for (const std::string& name : FilesIn(std::string("bmpsuite/") + dir, ".bmp")) {
            const std::string file = std::string(dir) + "/" + name;
            ++files;
            DecodedImage image;
            ImageReader reader;
            const auto bytes = ReadTestFile("bmpsuite/" + file);  // pictures may point into it
            const HRESULT result = Decode(bytes, &image, &reader);
            const auto found = cases.find(file);
            if (found == cases.end()) {
                EXPECT_EQ(result, D3DXERR_INVALIDDATA) << file;
                continue;
            }
            const BmpCase& c = *found->second;
            ASSERT_EQ(result, S_OK) << file;
            EXPECT_EQ(reader, ImageReader::BitmapFile) << file;
            ++decoded;
            if (!*c.reference) continue;
            DecodedImage reference;
            const auto referenceBytes = ReadTestFile(std::string("bmpsuite/html/") + c.reference);
            ASSERT_EQ(Decode(referenceBytes, &reference), S_OK);
            const auto got = Rgba(image), want = Rgba(reference);
            ASSERT_EQ(got.size(), want.size()) << file;
            int differing = 0;
            for (size_t i = 0; i < got.size(); ++i) {
                // The colour of a fully transparent pixel does not count.
                const size_t alpha = i - i % 4 + 3;
                if (i % 4 != 3 && got[alpha] == 0 && want[alpha] == 0) continue;
                // Tolerance 1: 5-bit channels widen by repeating bits, the references round.
                if (std::abs(got[i] - want[i]) > 1 && differing++ < 3 && c.matches) {
                    ADD_FAILURE() << file << " sample " << i << ": " << (int)got[i] << " vs " << (int)want[i];
                }
            }
            if (c.matches) {
                EXPECT_EQ(differing, 0) << file << " against " << c.reference;
            } else {
                EXPECT_GT(differing, 0) << file << " against " << c.reference;
            }
        }
    }
    EXPECT_EQ(decoded, (int)(sizeof BMP_CASES / sizeof BMP_CASES[0]));
    EXPECT_GT(files, 90);
}

}  // namespace
