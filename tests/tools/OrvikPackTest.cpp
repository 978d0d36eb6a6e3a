// orvik-pack as a person uses it: create, list and extract, and its refusals.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "data/PackageKey.h"
#include "tests/support/RawPackage.h"
#include "tests/support/TestSupport.h"

namespace {

ChildRun Pack(const TempDir& dir, const std::vector<std::string>& args) {
    return RunTool("tools/orvik-pack/orvik-pack", dir.Path(), args, 30);
}

TEST(OrvikPackTest, CreateListExtractRoundTrip) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.File("in").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(dir.File("out").c_str(), 0700), 0);
    std::string binary;
    for (int i = 0; i < 1000; ++i) binary.push_back(static_cast<char>(i * 7));
    ASSERT_TRUE(WriteFile(dir.File("in/A.BIN"), binary));
    ASSERT_TRUE(WriteFile(dir.File("in/EMPTY"), ""));
    ASSERT_EQ(Pack(dir, {"create", "P.MBP", "in/A.BIN", "in/EMPTY"}).exitCode, 0);

    ChildRun list = Pack(dir, {"list", "P.MBP"});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_NE(list.output.find("A.BIN"), std::string::npos);
    EXPECT_NE(list.output.find("1000"), std::string::npos);
    EXPECT_NE(list.output.find("172"), std::string::npos);   // first data offset for two entries
    EXPECT_NE(list.output.find("1172"), std::string::npos);  // the second follows the first

    ASSERT_EQ(Pack(dir, {"extract", "P.MBP", "-C", "out"}).exitCode, 0);
    std::string back;
    ASSERT_TRUE(ReadFile(dir.File("out/A.BIN"), &back));
    EXPECT_EQ(back, binary);
    EXPECT_TRUE(FileExists(dir.File("out/EMPTY")));

    // Another key reads other bytes; the same key given explicitly reads the same ones.
    ASSERT_EQ(Pack(dir, {"--key", "7", "create", "K.MBP", "in/A.BIN"}).exitCode, 0);
    ASSERT_EQ(Pack(dir, {"--key", "0x07", "extract", "K.MBP", "A.BIN", "-C", "out"}).exitCode, 0);
    ASSERT_TRUE(ReadFile(dir.File("out/A.BIN"), &back));
    EXPECT_EQ(back, binary);
}

TEST(OrvikPackTest, RefusesBadNamesAndReportsErrors) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.File(std::string(80, 'L')), "x"));
    ASSERT_TRUE(WriteFile(dir.File("OK"), "x"));
    ChildRun tooLong = Pack(dir, {"create", "P.MBP", std::string(80, 'L')});
    EXPECT_NE(tooLong.exitCode, 0);
    EXPECT_NE(tooLong.output.find("79"), std::string::npos);
    EXPECT_FALSE(FileExists(dir.File("P.MBP")));

    EXPECT_NE(Pack(dir, {"create", "P.MBP", "OK", "./OK"}).exitCode, 0);  // the same name twice
    EXPECT_NE(Pack(dir, {"create", "P.MBP", "missing-file"}).exitCode, 0);
    EXPECT_NE(Pack(dir, {"list", "missing.MBP"}).exitCode, 0);
    EXPECT_NE(Pack(dir, {"--key", "256", "list", "x"}).exitCode, 0);
    EXPECT_NE(Pack(dir, {"frobnicate"}).exitCode, 0);
    EXPECT_EQ(Pack(dir, {"--help"}).exitCode, 0);

    ASSERT_EQ(Pack(dir, {"create", "P.MBP", "OK"}).exitCode, 0);
    ChildRun absent = Pack(dir, {"extract", "P.MBP", "NOPE"});
    EXPECT_NE(absent.exitCode, 0);
    EXPECT_NE(absent.output.find("NOPE"), std::string::npos);
    ChildRun escape = Pack(dir, {"extract", "P.MBP", "../OK"});
    EXPECT_NE(escape.exitCode, 0);

    // A package cut inside its directory is reported, not read past its end.
    std::string package;
    ASSERT_TRUE(ReadFile(dir.File("P.MBP"), &package));
    ASSERT_TRUE(WriteFile(dir.File("CUT.MBP"), package.substr(0, 50)));
    EXPECT_NE(Pack(dir, {"list", "CUT.MBP"}).exitCode, 0);
}

TEST(OrvikPackTest, ExtractNeverWritesThroughALinkAndReplacesOnlyWithForce) {
    TempDir dir;
    TempDir outside;
    ASSERT_TRUE(WriteFile(outside.File("bashrc"), "settings"));
    ASSERT_TRUE(WriteFile(dir.File("LINK"), "new"));
    ASSERT_TRUE(WriteFile(dir.File("DANGLING"), "new"));
    ASSERT_TRUE(WriteFile(dir.File("HARD"), "new"));
    ASSERT_TRUE(WriteFile(dir.File("OWN"), "new"));
    ASSERT_EQ(Pack(dir, {"create", "P.MBP", "LINK", "DANGLING", "HARD", "OWN"}).exitCode, 0);
    ASSERT_EQ(::mkdir(dir.File("out").c_str(), 0700), 0);
    ASSERT_EQ(::symlink(outside.File("bashrc").c_str(), dir.File("out/LINK").c_str()), 0);
    ASSERT_EQ(::symlink(outside.File("created").c_str(), dir.File("out/DANGLING").c_str()), 0);
    ASSERT_EQ(::link(outside.File("bashrc").c_str(), dir.File("out/HARD").c_str()), 0);
    ASSERT_TRUE(WriteFile(dir.File("out/OWN"), "the user's"));

    for (bool force : {false, true}) {
        std::vector<std::string> args{"extract", "P.MBP", "-C", "out"};
        if (force) args.push_back("--force");
        ChildRun run = Pack(dir, args);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_NE(run.output.find("out/LINK exists and is not a regular file"), std::string::npos) << run.output;
        std::string bytes;
        ASSERT_TRUE(ReadFile(outside.File("bashrc"), &bytes));
        EXPECT_EQ(bytes, "settings");
        EXPECT_EQ(ListDir(outside.Path()), std::vector<std::string>{"bashrc"});
        ASSERT_TRUE(ReadFile(dir.File("out/OWN"), &bytes));
        EXPECT_EQ(bytes, force ? "new" : "the user's");
        if (!force) {
            EXPECT_NE(run.output.find("use --force"), std::string::npos) << run.output;
        }
    }
    // The hard link's name now holds the member; the file outside is as it was.
    std::string bytes;
    ASSERT_TRUE(ReadFile(dir.File("out/HARD"), &bytes));
    EXPECT_EQ(bytes, "new");
    EXPECT_EQ(ListDir(dir.File("out")), (std::vector<std::string>{"DANGLING", "HARD", "LINK", "OWN"}));
}

TEST(OrvikPackTest, ExtractsThousandsOfMembers) {
    TempDir dir;
    std::vector<std::pair<std::string, std::string>> members;
    for (int i = 0; i < 8000; ++i) members.push_back({"M" + std::to_string(i), std::to_string(i * 31)});
    ASSERT_TRUE(WriteFile(dir.File("MANY.MBP"), BuildPackage(members, PACKAGE_KEY)));
    ASSERT_EQ(::mkdir(dir.File("out").c_str(), 0700), 0);
    ChildRun run = Pack(dir, {"extract", "MANY.MBP", "-C", "out"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ListDir(dir.File("out")).size(), 8000u);
    std::string bytes;
    ASSERT_TRUE(ReadFile(dir.File("out/M7999"), &bytes));
    EXPECT_EQ(bytes, std::to_string(7999 * 31));
}

}  // namespace
