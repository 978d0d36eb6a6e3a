// orvik-play: the viewer started in the package's directory from anywhere,
// paths with blanks, and plain words for paths that hold no level.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "tests/tools/SmallLevel.h"

namespace {

ChildRun Play(const std::string& workDir, const std::vector<std::string>& args) {
    std::vector<std::string> argv{BuiltProgram("tools/orvik-play/orvik-play")};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildOptions options;
    options.workDir = workDir;
    options.timeoutSeconds = 60;
    options.env["SDL_VIDEODRIVER"] = "offscreen";
    options.env["SDL_AUDIODRIVER"] = "dummy";
    options.env["ORVIK_CAPTURE_DIR"] = "shots/";  // relative: only found where the viewer runs
    return RunChild(argv, options);
}

bool Has(const ChildRun& run, const std::string& text) { return run.output.find(text) != std::string::npos; }

TEST(OrvikPlayTest, PlaysInThePackagesDirectoryFromAnywhere) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.File("my levels").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(dir.File("my levels/level one").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(dir.File("my levels/level one/shots").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(dir.File("elsewhere").c_str(), 0700), 0);
    TempDir levelDir;  // SmallLevel writes into a TempDir; move its package over
    SmallLevel level;
    level.WritePackage(levelDir);
    std::string package;
    ASSERT_TRUE(ReadFile(levelDir.File("DATA.MBP"), &package));
    std::string home = dir.File("my levels/level one");
    ASSERT_TRUE(WriteFile(home + "/DATA.MBP", package));

    // The package's own path, absolute, with blanks: two records and "T" are three frames.
    ChildRun run = Play(dir.File("elsewhere"), {home + "/DATA.MBP"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(FileExists(home + "/shots/frame-000003.png")) << run.output;
    EXPECT_FALSE(FileExists(home + "/shots/frame-000004.png"));
    // The unpacked members are gone again and nothing came where it was started.
    for (const char* member : {"GAME.CFG", "MAP.MBM", "RC.DEM", "SOUND.WAV", "WALL.PPM"})
        EXPECT_FALSE(FileExists(home + "/" + member)) << member;
    EXPECT_TRUE(ListDir(dir.File("elsewhere")).empty());

    // The directory, relative to where it is started.
    for (const std::string& shot : ListDir(home + "/shots")) ::unlink((home + "/shots/" + shot).c_str());
    run = Play(dir.File("elsewhere"), {"../my levels/level one"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(FileExists(home + "/shots/frame-000003.png")) << run.output;
}

TEST(OrvikPlayTest, SaysWhatIsWrongWhenThereIsNoLevel) {
    TempDir dir;
    ChildRun run = Play(dir.Path(), {dir.Path()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, dir.Path() + " holds no level package DATA.MBP")) << run.output;

    ASSERT_TRUE(WriteFile(dir.File("data.mbp"), "x"));
    run = Play(dir.Path(), {"."});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "(only data.mbp: the name must be written in capitals)")) << run.output;
    run = Play(dir.Path(), {"data.mbp"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "data.mbp is not named DATA.MBP")) << run.output;

    run = Play(dir.Path(), {"no such place"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "no such place: no such file or directory")) << run.output;

    ASSERT_TRUE(WriteFile(dir.File("DATA.MBP"), "not a package"));
    run = Play(dir.Path(), {"DATA.MBP"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "DATA.MBP is not a level package")) << run.output;
    ASSERT_TRUE(WriteFile(dir.File("DATA.MBP"), BuildPackage({{"GAME.CFG", kSmallConfig}}, PACKAGE_KEY)));
    run = Play(dir.Path(), {"DATA.MBP"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run, "holds no level: it lacks MAP.MBM")) << run.output;

    // A level in a directory the viewer cannot unpack into.
    if (::geteuid() != 0) {
        ASSERT_EQ(::mkdir(dir.File("locked").c_str(), 0700), 0);
        SmallLevel level;
        TempDir source;
        level.WritePackage(source);
        std::string package;
        ASSERT_TRUE(ReadFile(source.File("DATA.MBP"), &package));
        ASSERT_TRUE(WriteFile(dir.File("locked/DATA.MBP"), package));
        ASSERT_EQ(::chmod(dir.File("locked").c_str(), 0500), 0);
        run = Play(dir.Path(), {"locked"});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(Has(run, "the viewer unpacks the level into locked while it plays, but that directory cannot be written"))
            << run.output;
        ::chmod(dir.File("locked").c_str(), 0700);
    }
    EXPECT_EQ(Play(dir.Path(), {"a", "b"}).exitCode, 2);
    EXPECT_EQ(Play(dir.Path(), {"--help"}).exitCode, 0);
}

}  // namespace
