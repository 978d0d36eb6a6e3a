// orvik-level on the sample level (clean) and on levels made to fail each check.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "data/PackageKey.h"
#include "tests/support/RawPackage.h"
#include "tests/support/TestSupport.h"
#include "tests/tools/SmallLevel.h"

namespace {

ChildRun Level(const TempDir& dir, const std::vector<std::string>& args) {
    return RunTool("tools/orvik-level/orvik-level", dir.Path(), args);
}

bool Has(const ChildRun& run, const std::string& text) { return run.output.find(text) != std::string::npos; }

ChildRun CheckLoose(const SmallLevel& level) {
    TempDir dir;
    level.WriteLoose(dir);
    return Level(dir, {"check", "."});
}

TEST(OrvikLevelTest, SampleLevelIsCleanAndDescribed) {
    TempDir dir;
    ChildOptions options;
    options.workDir = dir.Path();
    ASSERT_EQ(::system(("mkdir -p '" + dir.File("loose") + "'").c_str()), 0);
    ASSERT_EQ(RunChild({BuiltProgram("tools/orvik-sample/orvik-sample"), "--pack", "DATA.MBP", "--dir", "loose"},
                       options).exitCode, 0);
    for (const char* path : {"DATA.MBP", "loose", "."}) {
        ChildRun check = Level(dir, {"check", path});
        EXPECT_EQ(check.exitCode, 0) << path << "\n" << check.output;
        EXPECT_TRUE(Has(check, "no problems")) << check.output;
        EXPECT_TRUE(Has(check, "GRASS.DDS: dds DXT1 256 x 256, 9 stored levels; device DXT1 256 x 256, 9 levels"))
            << check.output;
        EXPECT_TRUE(Has(check, "TARGET.PNG: png P8 64 x 64; device A8R8G8B8 64 x 64, 7 levels")) << check.output;
        EXPECT_TRUE(Has(check, "camera path: 720 records and the end marker\nmusic: plays, 4.00 s")) << check.output;
    }
    ChildRun info = Level(dir, {"info", "DATA.MBP"});
    EXPECT_EQ(info.exitCode, 0) << info.output;
    for (const char* line : {"screen 800 x 600", "texture filter: linear", "fill mode: solid", "texturing: on",
                             "fog: on, exponential, density 0.006", "red 150, green 170, blue 200", "textures: 11",
                             "720 records, 721 frames, 12.02 s at 60 frames a second", "music: 4.00 s, 22050 Hz, mono"})
        EXPECT_TRUE(Has(info, line)) << line << "\n" << info.output;

    ChildRun json = Level(dir, {"info", "DATA.MBP", "--json"});
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_TRUE(Has(json, "\"records\": 720, \"endMarker\": true, \"frames\": 721")) << json.output;
    EXPECT_TRUE(Has(json, "\"errors\": 0,\n  \"warnings\": 0")) << json.output;
}

TEST(OrvikLevelTest, SmallLevelPackedOrLooseAndWithAnotherKey) {
    SmallLevel level;
    TempDir dir;
    level.WritePackage(dir);
    ChildRun check = Level(dir, {"check", "DATA.MBP"});
    EXPECT_EQ(check.exitCode, 0) << check.output;
    ChildRun info = Level(dir, {"info", "DATA.MBP"});
    EXPECT_TRUE(Has(info, "bounding box: (0, 0, 0) to (10, 10, 0), 10 x 10 x 0")) << info.output;
    EXPECT_TRUE(Has(info, "2 records, 3 frames, 0.05 s")) << info.output;
    EXPECT_TRUE(Has(info, "the eye travels 5.0 units")) << info.output;
    EXPECT_TRUE(Has(info, "0 WALL.PPM: ppm X8R8G8B8 8 x 8; device X8R8G8B8 8 x 8, 4 levels; 2 triangles"))
        << info.output;
    EXPECT_TRUE(Has(info, "music: 0.25 s, 8000 Hz, mono")) << info.output;
    EXPECT_EQ(CheckLoose(level).exitCode, 0);

    TempDir other;
    level.WritePackage(other, 0x11);
    EXPECT_EQ(Level(other, {"check", "DATA.MBP", "--key", "0x11"}).exitCode, 0);
    // Read with the wrong key the text members are garbage.
    EXPECT_EQ(Level(other, {"check", "DATA.MBP"}).exitCode, 2);
}

TEST(OrvikLevelTest, ConfigurationValuesAndKeywords) {
    SmallLevel level;
    level.config = std::string(kSmallConfig).replace(std::string(kSmallConfig).find("LINEAR"), 6, "linear");
    ChildRun run = CheckLoose(level);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_TRUE(Has(run, "warning: GAME.CFG line 3, token 3 (\"linear\"): texture filter matches none of"));
    EXPECT_TRUE(Has(run, "write \"LINEAR\"")) << run.output;
    EXPECT_TRUE(Has(run, "point sampling")) << run.output;

    level = SmallLevel();
    level.config = std::string(kSmallConfig).replace(std::string(kSmallConfig).find("ENABLE"), 6, "ON");
    run = CheckLoose(level);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "line 5, token 3 (\"ON\"): texturing matches none of")) << run.output;
    EXPECT_TRUE(Has(run, "drawn without its texture")) << run.output;

    // A number that does not read puts every later read out of step.
    level = SmallLevel();
    level.config = std::string(kSmallConfig).replace(std::string(kSmallConfig).find("120"), 3, "wide");
    run = CheckLoose(level);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "line 2, token 3 (\"wide\"): screen height: the value does not read")) << run.output;
    EXPECT_FALSE(Has(run, "matches none")) << run.output;

    level = SmallLevel();
    level.config = "a b 320\na b 200\na b POINT\n";
    run = CheckLoose(level);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "GAME.CFG line 4 (\"end of file\"): the file ends before setting 4 (fill mode)")) << run.output;

    level = SmallLevel();
    level.config = std::string(kSmallConfig) + "extra words\n";
    level.config.replace(level.config.find("r 10"), 4, "r 300");
    run = CheckLoose(level);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Has(run, "red 300 lies outside 0 to 255; only its low 8 bits count, giving 44")) << run.output;
    EXPECT_TRUE(Has(run, "line 13, token 1 (\"extra\"): the file goes on after its 36th token")) << run.output;
}

TEST(OrvikLevelTest, LevelFileLimits) {
    SmallLevel level;
    // 41 textures: the last is never loaded.
    level.map = "41\n";
    for (int i = 0; i < 41; ++i) level.map += "WALL.PPM\n";
    level.map += "41\n";
    for (int i = 0; i < 40; ++i) level.map += Triangle(i);
    level.map += Triangle(40);
    ChildRun run = CheckLoose(level);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "MAP.MBM line 1, token 1 (\"41\"): 41 textures named; the viewer loads only the first 40"));
    EXPECT_TRUE(Has(run, "line 42, token 1 (\"WALL.PPM\"): texture 40 is after the 40th")) << run.output;
    EXPECT_TRUE(Has(run, "line 84, token 10 (\"40\"): triangle 40 uses texture 40, outside 0 to 39")) << run.output;

    // Indices past the names, past 39 and below 0; a texture with no triangle.
    level = SmallLevel();
    level.extra.push_back({"SPARE.PPM", Ppm(4, 4)});
    level.map = "2\nWALL.PPM SPARE.PPM\n4\n" + Triangle(0) + Triangle(2) + Triangle(-1) + Triangle(39);
    run = CheckLoose(level);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "line 5, token 10 (\"2\"): triangle 1 uses texture 2 but the level names 2: it is stored and never drawn"))
        << run.output;
    EXPECT_TRUE(Has(run, "line 6, token 10 (\"-1\"): triangle 2 uses texture -1, outside 0 to 39")) << run.output;
    EXPECT_TRUE(Has(run, "line 7, token 10 (\"39\")")) << run.output;
    EXPECT_TRUE(Has(run, "warning: MAP.MBM line 2, token 2 (\"SPARE.PPM\"): texture 1 (SPARE.PPM) has no triangles"))
        << run.output;

    // 4001 triangles of one texture: one dropped, listed once with the later ones counted.
    level = SmallLevel();
    level.map = "1\nWALL.PPM\n4012\n";
    for (int i = 0; i < 4012; ++i) level.map += Triangle(0);
    run = CheckLoose(level);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "line 4004, token 10 (\"0\"): triangle 4000 is beyond 4000 triangles of texture 0")) << run.output;
    EXPECT_TRUE(Has(run, "... and 2 more: more than 4000 triangles for one texture")) << run.output;
    EXPECT_FALSE(Has(run, "triangle 4011 is beyond")) << run.output;

    // A value that does not read ends the level; text after the last triangle; no area.
    level = SmallLevel();
    level.map = "1\nWALL.PPM\n3\n" + Triangle(0) + "0 0 0 1 1 1 2 2 2 0 0 0 0 0 0 0\n0 0 0 10 0 0 0 10 zero 0 0 0 1 0 0 1\n";
    run = CheckLoose(level);
    EXPECT_TRUE(Has(run, "line 6, token 9 (\"zero\"): triangle 2: vertex 3 z does not read; the level ends there"))
        << run.output;
    EXPECT_TRUE(Has(run, "warning: MAP.MBM line 5, token 1 (\"0\"): triangle 1 has no area")) << run.output;
    level.map = "1\nWALL.PPM\n1\n" + Triangle(0) + Triangle(0);
    run = CheckLoose(level);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Has(run, "line 5, token 1 (\"0\"): the file goes on after the last triangle")) << run.output;
    level.map = "1\nWALL.PPM\n3\n" + Triangle(0);
    run = CheckLoose(level);
    EXPECT_TRUE(Has(run, "the file ends inside triangle 1 of 3")) << run.output;
}

TEST(OrvikLevelTest, TextureNamesTheViewerWillNotLoad) {
    SmallLevel level;
    std::string longName(256, 'N');
    level.map = "6\nwall.ppm NOPE.PNG ../WALL.PPM DATA.MBP .orvik-extracted " + longName + "\n6\n" + Triangle(0) +
                Triangle(1) + Triangle(2) + Triangle(3) + Triangle(4) + Triangle(5);
    ChildRun run = CheckLoose(level);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "token 1 (\"wall.ppm\"): texture 0: the directory holds no file wall.ppm, only WALL.PPM (letter case counts)"))
        << run.output;
    EXPECT_TRUE(Has(run, "token 2 (\"NOPE.PNG\"): texture 1: the directory holds no file NOPE.PNG;")) << run.output;
    EXPECT_TRUE(Has(run, "texture 2 \"../WALL.PPM\": it is not a plain file name")) << run.output;
    EXPECT_TRUE(Has(run, "texture 3 \"DATA.MBP\": DATA.MBP is the package itself")) << run.output;
    EXPECT_TRUE(Has(run, "texture 4 \".orvik-extracted\": names starting with \".orvik-\"")) << run.output;
    EXPECT_TRUE(Has(run, "texture name 5 is longer than 255 characters")) << run.output;

    level.map = "1\n" + std::string(80, 'L') + "\n1\n" + Triangle(0);
    level.extra.push_back({std::string(80, 'L'), Ppm(4, 4)});
    run = CheckLoose(level);
    EXPECT_TRUE(Has(run, "longer than 79 characters")) << run.output;
}

TEST(OrvikLevelTest, TexturesNoReaderTakesOrTheDeviceChanges) {
    SmallLevel level;
    level.extra = {{"WALL.PPM", "not a picture at all"}, {"ODD.PPM", Ppm(12, 10)}};
    level.map = "2\nWALL.PPM ODD.PPM\n2\n" + Triangle(0) + Triangle(1);
    ChildRun run = CheckLoose(level);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "error: WALL.PPM: no image reader takes this file")) << run.output;
    EXPECT_TRUE(Has(run, "0 WALL.PPM: untextured (no reader takes it)")) << run.output;
    EXPECT_TRUE(Has(run, "1 ODD.PPM: ppm X8R8G8B8 12 x 10; device X8R8G8B8 12 x 10, 1 level")) << run.output;
    EXPECT_TRUE(Has(run, "warning: ODD.PPM: its size is not a power of two, so it gets no mip levels")) << run.output;
}

TEST(OrvikLevelTest, CameraPathRecords) {
    SmallLevel level;
    level.path = "p 0 10 -20 0 0 0\n1 10 -20 0 0 0 0\n";
    ChildRun run = CheckLoose(level);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_TRUE(Has(run, "RC.DEM line 2, token 1 (\"1\"): record 2 starts with \"1\", which the viewer takes as its marker"))
        << run.output;
    EXPECT_TRUE(Has(run, "no end marker \"T\": after its last record the viewer holds that pose until the window is closed"))
        << run.output;

    level.path = "p 0 10 -20 0 0 0\np 1 2 x 4 5 6\np 0 0 0 1 1 1\nT\nmore\n";
    run = CheckLoose(level);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "RC.DEM line 2, token 4 (\"x\"): record 2: eye z does not read")) << run.output;
    EXPECT_TRUE(Has(run, "line 5, token 1 (\"more\"): text after the end marker \"T\" is never read")) << run.output;

    level.path = "p 0 10 -20 0 0 0\nt 1 1 1 0 0 0\nT";
    run = CheckLoose(level);
    EXPECT_TRUE(Has(run, "line 2, token 1 (\"t\"): record 2: a lower-case \"t\" is an ordinary marker")) << run.output;
    level.path = "p 0 10 -20 0 0 0\np 1 2";
    run = CheckLoose(level);
    EXPECT_TRUE(Has(run, "the file ends inside record 2 (2 of 6 numbers)")) << run.output;
}

TEST(OrvikLevelTest, MusicAndMissingMembers) {
    SmallLevel level;
    level.sound = "";
    ChildRun run = CheckLoose(level);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Has(run, "warning: SOUND.WAV: the level has no music: the viewer plays in silence")) << run.output;
    level.sound = "RIFF1234WAVEjunk";
    run = CheckLoose(level);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "error: SOUND.WAV: does not play")) << run.output;

    // A package without its path, with a member nothing uses and one never extracted.
    level = SmallLevel();
    TempDir dir;
    auto members = level.Members();
    members.erase(members.begin() + 2);
    members.push_back({"rc.dem", "T"});
    members.push_back({"..", "x"});
    ASSERT_TRUE(WriteFile(dir.File("DATA.MBP"), BuildPackage(members, PACKAGE_KEY)));
    run = Level(dir, {"check", dir.Path()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "error: DATA.MBP: the package has no member RC.DEM, only rc.dem (letter case counts); the viewer stops at start-up"))
        << run.output;
    EXPECT_TRUE(Has(run, "warning: DATA.MBP: member rc.dem is never used by the viewer")) << run.output;
    EXPECT_TRUE(Has(run, "error: DATA.MBP: member \"..\" is never extracted")) << run.output;
    ChildRun json = Level(dir, {"check", "DATA.MBP", "--json"});
    EXPECT_EQ(json.exitCode, 2);
    EXPECT_TRUE(Has(json, "{\"severity\": \"error\", \"file\": \"DATA.MBP\", \"line\": 0, \"token\": 0, \"text\": \"\", "
                          "\"message\": \"the package has no member RC.DEM"))
        << json.output;
}

TEST(OrvikLevelTest, DamagedPackagesAndBadCommandLines) {
    SmallLevel level;
    TempDir dir;
    std::string package = BuildPackage(level.Members(), PACKAGE_KEY);
    ASSERT_TRUE(WriteFile(dir.File("CUT.MBP"), package.substr(0, 100)));
    ChildRun run = Level(dir, {"check", "CUT.MBP"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "the package directory is cut short")) << run.output;
    ASSERT_TRUE(WriteFile(dir.File("SHORT.MBP"), package.substr(0, package.size() - 3)));
    run = Level(dir, {"check", "SHORT.MBP"});
    EXPECT_TRUE(Has(run, "member WALL.PPM is cut short: the package ends 3 bytes before its end")) << run.output;

    run = Level(dir, {"check", "nothing-here"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "cannot open the package nothing-here")) << run.output;
    run = Level(dir, {"check", "nothing-here", "--json"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "\"level\": null, \"errors\": 1")) << run.output;
    run = Level(dir, {"info", "."});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "holds neither DATA.MBP nor the loose files of a level")) << run.output;
    EXPECT_EQ(Level(dir, {"frobnicate", "."}).exitCode, 3);
    EXPECT_EQ(Level(dir, {"check"}).exitCode, 3);
    EXPECT_EQ(Level(dir, {"check", ".", "--key", "300"}).exitCode, 3);
    EXPECT_EQ(Level(dir, {"--help"}).exitCode, 0);
}

}  // namespace
