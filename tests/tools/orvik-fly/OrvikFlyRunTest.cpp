// The orvik-fly program run headless as a child: its command line, its
// start-up failures and a recording made through the real entry point.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "data/PackageKey.h"
#include "tests/support/RawPackage.h"
#include "tests/support/TestSupport.h"

namespace {

const char* const kConfig = kSmallConfig;

class OrvikFlyRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        work_ = root_.File("work");
        ASSERT_EQ(::mkdir(work_.c_str(), 0700), 0);
    }

    std::string WritePackage() {
        std::string package =
            BuildPackage({{"GAME.CFG", kConfig}, {"MAP.MBM", "0\n0\n"}, {"RC.DEM", "x 1 2 3 4 5 6\nT\n"}}, PACKAGE_KEY);
        EXPECT_TRUE(WriteFile(work_ + "/DATA.MBP", package));
        return package;
    }

    ChildRun Fly(const std::vector<std::string>& args, long closeAfterFrames = 0) {
        ChildOptions options;
        options.workDir = work_;
        options.env = {{"SDL_VIDEODRIVER", "offscreen"}, {"SDL_AUDIODRIVER", "dummy"}};
        if (closeAfterFrames > 0) options.env["ORVIK_CLOSE_AFTER_FRAMES"] = std::to_string(closeAfterFrames);
        options.timeoutSeconds = 60;
        std::vector<std::string> argv{BuiltProgram("tools/orvik-fly/orvik-fly")};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunChild(argv, options);
    }

    TempDir root_;
    std::string work_;
};

TEST_F(OrvikFlyRunTest, CommandLineAndStartupErrorsAreReportedWithTheirCodes) {
    ChildRun help = Fly({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("usage: orvik-fly [--record FILE]"), std::string::npos) << help.output;

    ChildRun unknown = Fly({"--fast"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.output.find("unknown argument '--fast'"), std::string::npos) << unknown.output;
    ChildRun bare = Fly({"--record"});
    EXPECT_EQ(bare.exitCode, 2);
    EXPECT_NE(bare.output.find("--record needs a file name"), std::string::npos) << bare.output;

    // No package: the viewer's own report and code, and nothing left behind.
    ChildRun missing = Fly({"--record", "path.dem"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find("DATA.MBP"), std::string::npos) << missing.output;
    EXPECT_TRUE(ListDir(work_).empty());

    // Recording over the package or into a missing folder is refused before any flight.
    std::string package = WritePackage();
    ChildRun overPackage = Fly({"--record", "DATA.MBP"});
    EXPECT_EQ(overPackage.exitCode, 2);
    EXPECT_NE(overPackage.output.find("DATA.MBP is the data package"), std::string::npos) << overPackage.output;
    ChildRun nowhere = Fly({"--record", "no/such/path.dem"});
    EXPECT_EQ(nowhere.exitCode, 2);
    EXPECT_NE(nowhere.output.find("cannot write no/such/path.dem"), std::string::npos) << nowhere.output;
    std::string after;
    ASSERT_TRUE(ReadFile(work_ + "/DATA.MBP", &after));
    EXPECT_EQ(after, package);
    EXPECT_EQ(ListDir(work_), std::vector<std::string>{"DATA.MBP"});
}

TEST_F(OrvikFlyRunTest, ClosingTheWindowKeepsARecordingNamedLikeAMember) {
    // RC.DEM is extracted and deleted again by the shutdown; the recording is not.
    WritePackage();
    ChildRun run = Fly({"--record", "RC.DEM"}, 3);
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ListDir(work_), (std::vector<std::string>{"DATA.MBP", "RC.DEM"}));
    std::string path;
    ASSERT_TRUE(ReadFile(work_ + "/RC.DEM", &path));
    // Untouched, the camera keeps the configured eye and looks along +z.
    EXPECT_EQ(path, "P 0 100 0 0 100 1\nP 0 100 0 0 100 1\nP 0 100 0 0 100 1\nT\n");
}

}  // namespace
