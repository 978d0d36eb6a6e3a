// orvik-pack as a person uses it: create, list and extract, and its refusals.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "tests/support/TestSupport.h"

namespace {

ChildRun Pack(const TempDir& dir, const std::vector<std::string>& args) {
    std::vector<std::string> argv{BuiltProgram("tools/orvik-pack/orvik-pack")};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildOptions options;
    options.workDir = dir.Path();
    options.timeoutSeconds = 30;
    return RunChild(argv, options);
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

}  // namespace
