// orvik-sample: writes the demo level (textures in every file layout the viewer
// reads, geometry, camera path, configuration and music) and packs it.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "data/PackageKey.h"
#include "tools/orvik-pack/PackageWriter.h"
#include "tools/orvik-sample/ImageWriters.h"
#include "tools/orvik-sample/SampleDxt.h"
#include "tools/orvik-sample/SamplePath.h"
#include "tools/orvik-sample/SamplePictures.h"
#include "tools/orvik-sample/SampleScene.h"
#include "tools/orvik-sample/SampleSound.h"

namespace {

const char* const kUsage =
    "usage: orvik-sample [--pack OUT.MBP] [--dir DIR] [--records N]\n"
    "\n"
    "Writes the sample level: a walled courtyard with a tower, textured with images in\n"
    "every file layout the viewer reads, a camera path of N records (default 720) that\n"
    "ends with \"T\", GAME.CFG and a looping SOUND.WAV.\n"
    "--pack OUT.MBP  packs the level with this build's key\n"
    "--dir DIR       also writes the loose files into DIR\n";

const char* const kConfig =
    "ekran szerokosc 800\n"
    "ekran wysokosc 600\n"
    "filtr tekstur LINEAR\n"
    "tryb wypelnienia SOLID\n"
    "teksturowanie jest ENABLE\n"
    "mgla jest ENABLE\n"
    "kolor czerwony 150\n"
    "kolor zielony 170\n"
    "kolor niebieski 200\n"
    "gestosc mgly 0.006\n"
    "predkosc ruchu 1.5\n"
    "czulosc myszy 0.005\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "orvik-sample: %s\n", message.c_str());
    return 1;
}

std::vector<PackageInput> BuildMembers(int records) {
    std::vector<PackageInput> members;
    auto add = [&](const std::string& name, Bytes bytes) { members.push_back({name, std::move(bytes)}); };
    auto text = [](const std::string& s) { return Bytes(s.begin(), s.end()); };
    SampleScene scene = BuildSampleScene();
    add("GAME.CFG", text(kConfig));
    add("MAP.MBM", text(scene.MapText()));
    add("RC.DEM", text(BuildSamplePath(records)));
    add("SOUND.WAV", BuildSampleSound(22050, 16));
    add("GRASS.DDS", WriteDdsDxt1(PaintGrass(256), SampleDxt1Block));
    add("BRICKS.BMP", WriteBmp8(PaintBricks(128)));
    add("PLANKS.BMP", WriteBmp24(PaintPlanks(128)));
    add("STRIPES.PPM", WritePpmText(PaintStripes(32), 15));
    add("MARBLE.PPM", WritePpmBinary(PaintMarble(128)));
    add("STONE.JPG", WriteJpegColor(PaintStone(256), 85));
    add("GREYSTONE.JPG", WriteJpegGrey(PaintStone(128), 85));
    add("GRILLE.PNG", WritePngRgba(PaintGrille(64)));
    add("TARGET.PNG", WritePngPaletteTrns(PaintTarget(64)));
    add("ROOF.TGA", WriteTgaRle24(PaintRoof(64)));
    add("PANEL.DIB", WriteBareDib24(PaintPanel(64)));
    return members;
}

bool WriteLoose(const std::string& dir, const PackageInput& member) {
    std::string path = dir + "/" + member.name;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    bool ok = std::fwrite(member.bytes.data(), 1, member.bytes.size(), out) == member.bytes.size();
    return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    std::string pack, dir;
    int records = 720;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if ((arg == "--pack" || arg == "--dir" || arg == "--records") && i + 1 >= argc)
            return Fail(arg + " needs a value");
        if (arg == "--pack") pack = argv[++i];
        else if (arg == "--dir") dir = argv[++i];
        else if (arg == "--records") {
            char* end = nullptr;
            long n = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || n < 0 || n > 1000000) return Fail("--records needs a count from 0 to 1000000");
            records = static_cast<int>(n);
        } else
            return Fail("unknown argument '" + arg + "' (see --help)");
    }
    if (pack.empty() && dir.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::vector<PackageInput> members = BuildMembers(records);
    std::string error;
    if (!pack.empty() && !WritePackage(pack, members, PACKAGE_KEY, &error)) return Fail(error);
    if (!dir.empty())
        for (const PackageInput& member : members)
            if (!WriteLoose(dir, member)) return Fail("cannot write " + dir + "/" + member.name + ": " + std::strerror(errno));
    return 0;
}
