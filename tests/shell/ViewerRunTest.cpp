// The viewer program end to end, run headless in a temporary working directory.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "data/PackageKey.h"
#include "tests/support/RawPackage.h"
#include "tests/support/TestSupport.h"

namespace {

const char* const kConfig = kSmallConfig;

// A path without its end marker keeps the viewer playing until it is closed.
const char* const kEndlessPath = "x 0 10 -50 0 0 0\n";

class ViewerRunTest : public ::testing::Test {
protected:
    void SetUp() override { work_ = root_.Path() + "/work"; ASSERT_EQ(::mkdir(work_.c_str(), 0700), 0); }

    void WritePackage(const std::vector<std::pair<std::string, std::string>>& members) {
        ASSERT_TRUE(WriteFile(work_ + "/DATA.MBP", BuildPackage(members, PACKAGE_KEY)));
    }

    ChildRun Run(const std::vector<std::string>& args, bool terminateWhenPlaying,
                 const char* videoDriver = "offscreen") {
        ChildOptions options;
        options.workDir = work_;
        options.env = {{"SDL_VIDEODRIVER", videoDriver}, {"SDL_AUDIODRIVER", "dummy"}};
        options.timeoutSeconds = 60;
        if (terminateWhenPlaying) options.signalWhenExists = "RC.DEM";
        std::vector<std::string> argv{BuiltProgram("shell/orvik")};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunChild(argv, options);
    }

    TempDir root_;
    std::string work_;
};

TEST_F(ViewerRunTest, TerminationShutsDownCleanlyAndRemovesExtractedFiles) {
    WritePackage({{"GAME.CFG", kConfig}, {"MAP.MBM", "0\n0\n"}, {"RC.DEM", kEndlessPath}});
    ChildRun run = Run({}, true);
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.signal, 0) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ListDir(work_), std::vector<std::string>{"DATA.MBP"});
}

TEST_F(ViewerRunTest, InformationBoxOnlyForExactlyVer) {
    // No package here: the box, when asked for, comes before the package error.
    ChildRun asked = Run({"VER"}, false);
    size_t info = asked.output.find("Orvik info: Przegladarka poziomow Orvik\n MORVANE\n Code by Tellan\n\n"
                                    " Wersja: 1.1\n Kompilacja: 2");
    size_t missing = asked.output.find("DATA.MBP");
    ASSERT_NE(info, std::string::npos) << asked.output;
    ASSERT_NE(missing, std::string::npos) << asked.output;
    EXPECT_LT(info, missing);

    for (const char* other : {"ver", "VER ", "VERSION"}) {
        ChildRun run = Run({other}, false);
        EXPECT_EQ(run.output.find("Orvik info"), std::string::npos) << other;
    }
    ChildRun split = Run({"VER", "x"}, false);
    EXPECT_EQ(split.output.find("Orvik info"), std::string::npos);
}

TEST_F(ViewerRunTest, MissingPackageIsReportedWithExitCodeOne) {
    ChildRun run = Run({}, false);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("Orvik - blad: Nie mozna otworzyc lub odczytac pliku DATA.MBP."), std::string::npos)
        << run.output;
    EXPECT_TRUE(ListDir(work_).empty());
}

TEST_F(ViewerRunTest, MissingPathIsReportedAndNothingIsLeftBehind) {
    WritePackage({{"GAME.CFG", kConfig}, {"MAP.MBM", "0\n0\n"}});
    ChildRun run = Run({}, false);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("RC.DEM"), std::string::npos) << run.output;
    EXPECT_EQ(ListDir(work_), std::vector<std::string>{"DATA.MBP"});
}

TEST_F(ViewerRunTest, MissingConfigurationLevelOrDeviceIsReported) {
    WritePackage({{"MAP.MBM", "0\n0\n"}, {"RC.DEM", kEndlessPath}});
    ChildRun noConfig = Run({}, false);
    EXPECT_EQ(noConfig.exitCode, 1);
    EXPECT_NE(noConfig.output.find("pliku GAME.CFG"), std::string::npos) << noConfig.output;
    EXPECT_EQ(ListDir(work_), std::vector<std::string>{"DATA.MBP"});

    WritePackage({{"GAME.CFG", kConfig}, {"RC.DEM", kEndlessPath}});
    ChildRun noLevel = Run({}, false);
    EXPECT_EQ(noLevel.exitCode, 1);
    EXPECT_NE(noLevel.output.find("pliku MAP.MBM"), std::string::npos) << noLevel.output;
    EXPECT_EQ(ListDir(work_), std::vector<std::string>{"DATA.MBP"});

    // SDL's dummy video driver has windows but no OpenGL: no device can be made.
    WritePackage({{"GAME.CFG", kConfig}, {"MAP.MBM", "0\n0\n"}, {"RC.DEM", kEndlessPath}});
    ChildRun noDevice = Run({}, false, "dummy");
    EXPECT_EQ(noDevice.exitCode, 1);
    EXPECT_NE(noDevice.output.find("urzadzenia grafiki 3D o rozmiarze 160 x 120"), std::string::npos)
        << noDevice.output;
    EXPECT_EQ(ListDir(work_), std::vector<std::string>{"DATA.MBP"});
}

TEST_F(ViewerRunTest, FilesOutsideTheWorkingDirectoryAndUsersOwnFilesAreLeftAlone) {
    // The level names a texture outside the working directory; a file of that name lies there.
    ASSERT_TRUE(WriteFile(root_.Path() + "/x", "outside"));
    ASSERT_TRUE(WriteFile(work_ + "/SOUND.WAV", "the user's own"));
    std::string package = BuildRawPackage(3, {{"GAME.CFG", static_cast<int32_t>(std::string(kConfig).size())},
                                              {"MAP.MBM", 9},
                                              {"RC.DEM", static_cast<int32_t>(std::string(kEndlessPath).size())},
                                              {"../x", 3}},
                                          ScrambleBytes(std::string(kConfig) + "1\n../x\n0\n" + kEndlessPath + "bad",
                                                        PACKAGE_KEY));
    ASSERT_TRUE(WriteFile(work_ + "/DATA.MBP", package));
    ChildRun run = Run({}, true);
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    std::string outside;
    ASSERT_TRUE(ReadFile(root_.Path() + "/x", &outside));
    EXPECT_EQ(outside, "outside");
    EXPECT_EQ(ListDir(work_), (std::vector<std::string>{"DATA.MBP", "SOUND.WAV"}));
}

}  // namespace
