// frame-levels: writes the levels whose frames the Windows viewer (under Wine's
// Direct3D 8) and the Linux viewer (on Orvik's layer) are compared on. Each
// level is OUT/NAME/DATA.MBP: one textured quad seen from one pose, held there
// by a camera path without its end marker. The texture is four colour quadrants,
// stored in every file layout the viewer reads; the other levels vary the
// filter, the fill mode and fog. The names go to standard output, one a line.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "data/PackageKey.h"
#include "tools/orvik-pack/PackageWriter.h"
#include "tools/orvik-sample/ImageWriters.h"
#include "tools/orvik-sample/SampleDxt.h"

namespace {

Picture Quadrants(int size) {
    Picture picture(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            bool right = x >= size / 2, bottom = y >= size / 2;
            if (!right && !bottom) picture.Set(x, y, 220, 40, 40);
            else if (right && !bottom) picture.Set(x, y, 40, 200, 60);
            else if (!right) picture.Set(x, y, 50, 60, 210);
            else picture.Set(x, y, 230, 230, 230);
        }
    return picture;
}

struct LevelCase {
    std::string name;
    std::string textureName;
    Bytes texture;
    const char* filter;
    const char* fill;
    bool fog;
};

std::string Config(const LevelCase& level) {
    return std::string("ekran szerokosc 800\nekran wysokosc 600\n") + "filtr tekstur " + level.filter +
           "\ntryb wypelnienia " + level.fill + "\nteksturowanie jest ENABLE\nmgla jest " +
           (level.fog ? "ENABLE" : "DISABLE") +
           "\nkolor czerwony 90\nkolor zielony 110\nkolor niebieski 140\ngestosc mgly 0.05\n"
           "predkosc ruchu 1\nczulosc myszy 0.005\n";
}

// A 10 x 10 quad in the z = 0 plane, its texture repeated three times each
// way, given in both windings so that culling keeps one.
std::string Map(const std::string& textureName) {
    std::string text = "1\n" + textureName + "\n4\n";
    const char* const triangles[] = {
        "-5 5 0 5 5 0 5 -5 0 0 0 0 3 0 3 3\n", "-5 5 0 5 -5 0 -5 -5 0 0 0 0 3 3 0 3\n",
        "-5 5 0 5 -5 0 5 5 0 0 0 0 3 3 3 0\n", "-5 5 0 -5 -5 0 5 -5 0 0 0 0 0 3 3 3\n"};
    for (const char* triangle : triangles) text += triangle;
    return text;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: frame-levels OUT\n", stderr);
        return 2;
    }
    Picture quadrants = Quadrants(64);
    std::vector<LevelCase> levels = {
        {"quad-bmp24", "QUAD.BMP", WriteBmp24(quadrants), "LINEAR", "SOLID", false},
        {"quad-bmp8", "QUAD.BMP", WriteBmp8(quadrants), "LINEAR", "SOLID", false},
        {"quad-dib", "QUAD.DIB", WriteBareDib24(quadrants), "LINEAR", "SOLID", false},
        {"quad-ppm-p3", "QUAD.PPM", WritePpmText(quadrants, 255), "LINEAR", "SOLID", false},
        {"quad-ppm-p6", "QUAD.PPM", WritePpmBinary(quadrants), "LINEAR", "SOLID", false},
        {"quad-tga", "QUAD.TGA", WriteTgaRle24(quadrants), "LINEAR", "SOLID", false},
        {"quad-png", "QUAD.PNG", WritePngRgba(quadrants), "LINEAR", "SOLID", false},
        {"quad-png-palette", "QUAD.PNG", WritePngPaletteTrns(quadrants), "LINEAR", "SOLID", false},
        {"quad-jpeg", "QUAD.JPG", WriteJpegColor(quadrants, 95), "LINEAR", "SOLID", false},
        {"quad-dds-dxt1", "QUAD.DDS", WriteDdsDxt1(quadrants, SampleDxt1Block), "LINEAR", "SOLID", false},
        {"quad-point", "QUAD.BMP", WriteBmp24(quadrants), "POINT", "SOLID", false},
        {"quad-anisotropic", "QUAD.BMP", WriteBmp24(quadrants), "ANISOTROPIC", "SOLID", false},
        {"quad-fog", "QUAD.BMP", WriteBmp24(quadrants), "LINEAR", "SOLID", true},
        {"quad-wireframe", "QUAD.BMP", WriteBmp24(quadrants), "LINEAR", "WIREFRAME", false},
        {"quad-points", "QUAD.BMP", WriteBmp24(quadrants), "LINEAR", "POINTS", false},
    };
    // Slightly from above and aside, so that the texture is seen at a slant. The
    // target is off the quad's centre: there a texel edge would fall exactly on
    // the middle pixel's centre, where point sampling picks either texel by a
    // rounding of the interpolation.
    const std::string pose = "p 3.000 4.000 -11.000 0.137 0.071 0.000\n";
    for (const LevelCase& level : levels) {
        std::filesystem::path dir = std::filesystem::path(argv[1]) / level.name;
        std::error_code failure;
        std::filesystem::create_directories(dir, failure);
        std::vector<PackageInput> members = {{"GAME.CFG", Text(Config(level))},
                                             {"MAP.MBM", Text(Map(level.textureName))},
                                             {"RC.DEM", Text(pose)},
                                             {level.textureName, level.texture}};
        std::string error;
        if (failure || !WritePackage((dir / "DATA.MBP").string(), members, PACKAGE_KEY, &error)) {
            std::fprintf(stderr, "frame-levels: cannot write %s: %s\n", dir.string().c_str(),
                         failure ? failure.message().c_str() : error.c_str());
            return 1;
        }
        std::printf("%s\n", level.name.c_str());
    }
    return 0;
}
