// The viewer against hostile levels and every ordinary way of stopping it, end
// to end: afterwards nothing outside the working directory has changed, the
// user's files are byte for byte as they were, and no extracted file remains.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <string>
#include <vector>

#include "data/PackageKey.h"
#include "tests/support/RawPackage.h"
#include "tests/support/TestSupport.h"

namespace {

using Members = std::vector<std::pair<std::string, std::string>>;

const char* const kEndlessPath = "x 0 10 -50 0 0 0\n";

// A 2 x 2 24-bit bitmap file.
std::string SmallBitmap() {
    std::string b = "BM";
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>(v >> (8 * i)));
    };
    auto put16 = [&](uint16_t v) {
        b.push_back(static_cast<char>(v));
        b.push_back(static_cast<char>(v >> 8));
    };
    put32(54 + 16);
    put32(0);
    put32(54);
    put32(40);
    put32(2);
    put32(2);
    put16(1);
    put16(24);
    put32(0);
    put32(16);
    put32(0);
    put32(0);
    put32(0);
    put32(0);
    for (int row = 0; row < 2; ++row) b += std::string("\x10\x80\xF0\xF0\x80\x10\0\0", 8);
    return b;
}

// A level of one textured quad on an endless path.
Members Level(const std::string& texture = "TEX.BMP") {
    std::string map = "1\n" + texture + "\n2\n" +
                      "-10 0 0  10 0 0  10 10 0  0  0 0 1 0 1 1\n"
                      "-10 0 0  10 10 0  -10 10 0  0  0 0 1 1 0 1\n";
    return {{"GAME.CFG", kSmallConfig}, {"MAP.MBM", map}, {"RC.DEM", kEndlessPath}, {texture, SmallBitmap()}};
}

class HostileLevelTest : public ::testing::Test {
protected:
    void SetUp() override {
        work_ = root_.File("work");
        outside_ = root_.File("outside");
        ASSERT_EQ(::mkdir(work_.c_str(), 0700), 0);
        ASSERT_EQ(::mkdir(outside_.c_str(), 0700), 0);
        ASSERT_TRUE(WriteFile(outside_ + "/bashrc", "the user's settings\n"));
    }
    void TearDown() override {
        // Nothing outside the working directory was touched.
        EXPECT_EQ(ListDir(outside_), std::vector<std::string>{"bashrc"});
        std::string bytes;
        EXPECT_TRUE(ReadFile(outside_ + "/bashrc", &bytes));
        EXPECT_EQ(bytes, "the user's settings\n");
        if (mounted_) ::umount2(work_.c_str(), MNT_DETACH);
    }

    void WritePackage(const Members& members) {
        package_ = BuildPackage(members, PACKAGE_KEY);
        ASSERT_TRUE(WriteFile(work_ + "/DATA.MBP", package_));
    }

    ChildOptions Options() const {
        ChildOptions options;
        options.workDir = work_;
        options.env = {{"SDL_VIDEODRIVER", "offscreen"}, {"SDL_AUDIODRIVER", "dummy"}};
        options.timeoutSeconds = 60;
        return options;
    }
    ChildRun Run(ChildOptions options) { return RunChild({BuiltProgram("shell/orvik")}, options); }
    // Plays until the first frame has been shown, then sends the signals.
    ChildRun RunAndStop(std::vector<int> signals) {
        ChildOptions options = Options();
        std::string frames = root_.File("frames-" + std::to_string(++runs_));
        ::mkdir(frames.c_str(), 0700);
        options.env["ORVIK_CAPTURE_DIR"] = frames;
        options.signalWhenExists = frames + "/frame-000001.png";
        options.signals = signals;
        return Run(options);
    }

    // The package is the same, and the directory holds it and the given names only.
    void ExpectOnly(std::vector<std::string> names) {
        names.push_back("DATA.MBP");
        std::sort(names.begin(), names.end());
        EXPECT_EQ(ListDir(work_), names);
        std::string bytes;
        EXPECT_TRUE(ReadFile(work_ + "/DATA.MBP", &bytes));
        EXPECT_TRUE(bytes == package_) << "the package changed";
    }

    bool MountSmallDisk(const char* options) {
        if (::mount("orvik-test", work_.c_str(), "tmpfs", 0, options) != 0) return false;
        mounted_ = true;
        return true;
    }

    TempDir root_;
    std::string work_;
    std::string outside_;
    std::string package_;
    bool mounted_ = false;
    int runs_ = 0;
};

TEST_F(HostileLevelTest, LinksUnderAMemberNameStopStartUpBeforeAnythingIsWritten) {
    WritePackage(Level());
    struct Case {
        const char* what;
        int (*make)(const char* target, const char* name);
        std::string target;
    };
    const Case cases[] = {
        {"symbolic link", ::symlink, outside_ + "/bashrc"},
        {"dangling link", ::symlink, outside_ + "/created"},
        {"hard link", ::link, outside_ + "/bashrc"},
    };
    for (const Case& c : cases) {
        ::unlink((work_ + "/TEX.BMP").c_str());
        ASSERT_EQ(c.make(c.target.c_str(), (work_ + "/TEX.BMP").c_str()), 0) << c.what;
        ChildRun run = Run(Options());
        EXPECT_EQ(run.exitCode, 1) << c.what << "\n" << run.output;
        EXPECT_NE(run.output.find("jest juz plik TEX.BMP"), std::string::npos) << run.output;
        ExpectOnly({"TEX.BMP"});
    }
}

TEST_F(HostileLevelTest, UsersOwnFilesAreNeverReplacedAndEqualOnesAreUsedAndKept) {
    Members level = Level();
    WritePackage(level);
    // A tuned GAME.CFG and notes of the user's under names the package holds.
    ASSERT_TRUE(WriteFile(work_ + "/GAME.CFG", "tuned by hand\n"));
    ChildRun run = Run(Options());
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("plik GAME.CFG"), std::string::npos) << run.output;
    std::string bytes;
    ASSERT_TRUE(ReadFile(work_ + "/GAME.CFG", &bytes));
    EXPECT_EQ(bytes, "tuned by hand\n");
    ExpectOnly({"GAME.CFG"});

    // A maker's loose files beside their package: played as they are, kept.
    for (const auto& [name, content] : level) ASSERT_TRUE(WriteFile(work_ + "/" + name, content));
    run = RunAndStop({SIGTERM});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    ExpectOnly({"GAME.CFG", "MAP.MBM", "RC.DEM", "TEX.BMP"});
    for (const auto& [name, content] : level) {
        ASSERT_TRUE(ReadFile(work_ + "/" + name, &bytes));
        EXPECT_EQ(bytes, content) << name;
    }
}

TEST_F(HostileLevelTest, ALevelThatNamesItsOwnPackageKeepsIt) {
    Members level = Level("DATA.MBP");
    WritePackage(level);
    ChildRun run = RunAndStop({SIGTERM});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    ExpectOnly({});
}

TEST_F(HostileLevelTest, StopsAtAnyMomentFromStartUpToPlaybackLeaveNothingBehind) {
    WritePackage(Level());
    const std::vector<std::vector<int>> stops = {
        {SIGTERM, SIGTERM}, {SIGINT, SIGINT}, {SIGHUP}, {SIGQUIT}, {SIGTERM}};
    for (double delay : {0.0, 0.01, 0.03, 0.06, 0.1, 0.15, 0.25, 0.4, 0.7}) {
        for (const std::vector<int>& signals : stops) {
            ChildOptions options = Options();
            options.signalAfterSeconds = delay;
            options.signals = signals;
            ChildRun run = Run(options);
            ASSERT_FALSE(run.timedOut) << delay;
            // Only before the program has started its handlers may a signal end it.
            if (run.signal == 0) {
                EXPECT_EQ(run.exitCode, 0) << "signal " << signals[0] << " at " << delay << "\n" << run.output;
            }
            ExpectOnly({});
        }
    }
    // coreutils timeout sends SIGTERM to the program and to its group at once.
    for (const char* limit : {"0.05", "0.2", "0.5", "1"}) {
        ChildOptions options = Options();
        ChildRun run = RunChild({"/usr/bin/timeout", limit, BuiltProgram("shell/orvik")}, options);
        EXPECT_EQ(run.exitCode, 124) << limit << "\n" << run.output;
        ExpectOnly({});
    }
}

TEST_F(HostileLevelTest, HangUpQuitAndAClosedStandardErrorEndInOrder) {
    // A level that makes the viewer write diagnostics.
    Members level = Level();
    level[1].second = "1\nTEX.BMP\n1\n0 0 0 1 0 0 0 1 0 77 0 0 0 0 0 0\n";
    WritePackage(level);
    for (int stop : {SIGHUP, SIGQUIT}) {
        ChildRun run = RunAndStop({stop});
        EXPECT_EQ(run.signal, 0) << stop;
        EXPECT_EQ(run.exitCode, 0) << stop << "\n" << run.output;
        ExpectOnly({});
    }
    ChildOptions options = Options();
    options.stderrToClosedPipe = true;
    std::string frames = root_.File("pipe-frames");
    ::mkdir(frames.c_str(), 0700);
    options.env["ORVIK_CAPTURE_DIR"] = frames;
    options.signalWhenExists = frames + "/frame-000001.png";
    ChildRun run = Run(options);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.exitCode, 0);
    ExpectOnly({});

    // With no package at all, the message that cannot be written is dropped.
    ::unlink((work_ + "/DATA.MBP").c_str());
    options.signalWhenExists.clear();
    run = Run(options);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(ListDir(work_).empty());
    WritePackage(level);
}

TEST_F(HostileLevelTest, FifosDirectoriesAndUnreadableFilesUnderTheTextFilesNamesStopStartUp) {
    Members level = Level();
    // Not in the package: a FIFO or a directory of that name lies there.
    for (const char* name : {"GAME.CFG", "MAP.MBM", "RC.DEM"}) {
        for (bool fifo : {true, false}) {
            Members without;
            for (const auto& member : level)
                if (member.first != name) without.push_back(member);
            WritePackage(without);
            std::string path = work_ + "/" + name;
            ASSERT_EQ(fifo ? ::mkfifo(path.c_str(), 0600) : ::mkdir(path.c_str(), 0700), 0);
            ChildRun run = Run(Options());
            EXPECT_FALSE(run.timedOut) << name;
            EXPECT_EQ(run.exitCode, 1) << name << (fifo ? " fifo\n" : " directory\n") << run.output;
            EXPECT_NE(run.output.find(std::string("odczytac pliku ") + name), std::string::npos) << run.output;
            ExpectOnly({name});
            // In the package, the same file is in the way of the member.
            WritePackage(level);
            run = Run(Options());
            EXPECT_EQ(run.exitCode, 1) << name << "\n" << run.output;
            EXPECT_NE(run.output.find(std::string("jest juz plik ") + name), std::string::npos) << run.output;
            ExpectOnly({name});
            fifo ? ::unlink(path.c_str()) : ::rmdir(path.c_str());
        }
        // A file that opens but does not read: the viewer's own memory gives an I/O error.
        Members without;
        for (const auto& member : level)
            if (member.first != name) without.push_back(member);
        WritePackage(without);
        std::string path = work_ + "/" + name;
        ASSERT_EQ(::symlink("/proc/self/mem", path.c_str()), 0);
        ChildRun run = Run(Options());
        EXPECT_EQ(run.exitCode, 1) << name << " unreadable\n" << run.output;
        EXPECT_NE(run.output.find(std::string("odczytac pliku ") + name), std::string::npos) << run.output;
        ExpectOnly({name});
        ::unlink(path.c_str());
    }
}

TEST_F(HostileLevelTest, AFifoUnderATexturesNameLoadsNothingAndNeverWaits) {
    // The package lacks the texture; a FIFO of its name lies there, no writer behind it.
    Members level = Level("PIPE.BMP");
    level.pop_back();
    WritePackage(level);
    ASSERT_EQ(::mkfifo((work_ + "/PIPE.BMP").c_str(), 0600), 0);
    ChildRun run = RunAndStop({SIGTERM});
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    ExpectOnly({"PIPE.BMP"});
}

TEST_F(HostileLevelTest, AFullDiskOrAReadOnlyDirectoryStopsStartUpWithItsCause) {
    if (!MountSmallDisk("size=256k")) GTEST_SKIP() << "needs to mount a small tmpfs (root)";
    // The texture fits once, not twice.
    Members level = Level();
    level[3].second = SmallBitmap() + std::string(150 * 1024, '\0');
    WritePackage(level);
    ChildRun run = Run(Options());
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("Nie mozna zapisac pliku TEX.BMP: brak miejsca na dysku"), std::string::npos)
        << run.output;
    ExpectOnly({});

    // Read-only: nothing can be extracted, and that is said.
    ASSERT_EQ(::mount(nullptr, work_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    run = Run(Options());
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("Nie mozna zapisac pliku GAME.CFG: katalog roboczy jest tylko do odczytu"),
              std::string::npos)
        << run.output;
    ExpectOnly({});

    // Read-only with the loose files beside the package: it plays.
    ASSERT_EQ(::mount(nullptr, work_.c_str(), nullptr, MS_REMOUNT, nullptr), 0);
    level[3].second = SmallBitmap();
    WritePackage(level);
    for (const auto& [name, content] : level) ASSERT_TRUE(WriteFile(work_ + "/" + name, content));
    ASSERT_EQ(::mount(nullptr, work_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    run = RunAndStop({SIGTERM});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    ExpectOnly({"GAME.CFG", "MAP.MBM", "RC.DEM", "TEX.BMP"});
}

TEST_F(HostileLevelTest, AKilledRunsLeftoversAreClearedByTheNextRun) {
    WritePackage(Level());
    ChildRun killed = RunAndStop({SIGKILL});
    EXPECT_EQ(killed.signal, SIGKILL);
    EXPECT_FALSE(ListDir(work_).size() == 1) << "a killed run leaves its files";
    ChildRun next = RunAndStop({SIGTERM});
    EXPECT_EQ(next.exitCode, 0) << next.output;
    EXPECT_NE(next.output.find("left behind by an earlier run"), std::string::npos) << next.output;
    ExpectOnly({});
}

}  // namespace
