// The package reader: member offsets, unscrambling, damaged packages and the
// rules that keep extraction and deletion inside the working directory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/DataPackage.h"
#include "data/ExtractedFileList.h"
#include "data/PackageKey.h"
#include "tests/support/RawPackage.h"
#include "tests/support/TestSupport.h"

namespace {

std::string Scramble(const std::string& plain) { return ScrambleBytes(plain, PACKAGE_KEY); }

std::string BuildPackage(int32_t last, const std::vector<RawEntry>& entries, const std::string& dataArea) {
    return BuildRawPackage(last, entries, dataArea);
}

class DataPackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(oldDir_, sizeof oldDir_), nullptr);
        ASSERT_EQ(chdir(dir_.Path().c_str()), 0);
        dataPackage = DataPackage();
        extractedFiles = ExtractedFileList();
    }
    void TearDown() override {
        dataPackage.Close();
        ASSERT_EQ(chdir(oldDir_), 0);
    }
    void OpenPackage(const std::string& bytes) {
        ASSERT_TRUE(WriteFile(dir_.File("DATA.MBP"), bytes));
        dataPackage.Open("DATA.MBP");
        ASSERT_NE(dataPackage.stream, nullptr);
    }
    std::string Read(const std::string& name) {
        std::string bytes;
        EXPECT_TRUE(ReadFile(dir_.File(name), &bytes)) << name;
        return bytes;
    }

    TempDir dir_;
    char oldDir_[4096];
};

TEST_F(DataPackageTest, MembersLieBackToBackAfterTheDirectory) {
    // L = 1: two entries, the directory ends at 4 + 2 * 84 = 172.
    std::string package = BuildPackage(1, {{"A", 3}, {"B", 2}}, Scramble("abcde"));
    ASSERT_EQ(package.size(), 177u);
    OpenPackage(package);
    dataPackage.Extract("B");
    dataPackage.Extract("A");
    EXPECT_EQ(Read("A"), "abc");
    EXPECT_EQ(Read("B"), "de");
    EXPECT_STREQ(dataPackage.entry.name, "B");  // the last entry read stays in entry
}

TEST_F(DataPackageTest, SingleEntryDataStartsAt88AndTrailingBytesAreNeverRead) {
    OpenPackage(BuildPackage(0, {{"ONE", 4}}, Scramble("1234") + "junk"));
    dataPackage.Extract("ONE");
    EXPECT_EQ(Read("ONE"), "1234");
}

TEST_F(DataPackageTest, BytesBelowTheKeyWrapAround) {
    std::string plain;
    for (int b = 0; b < 256; ++b) plain.push_back(static_cast<char>(b));
    OpenPackage(BuildPackage(0, {{"ALL", 256}}, Scramble(plain)));
    dataPackage.Extract("ALL");
    EXPECT_EQ(Read("ALL"), plain);
}

TEST_F(DataPackageTest, NamesMatchExactlyAndMissingMembersWriteNothing) {
    OpenPackage(BuildPackage(1, {{"GAME.CFG", 1}, {"X", 1}}, Scramble("gx")));
    dataPackage.Extract("game.cfg");
    dataPackage.Extract("GAME.CF");
    dataPackage.Extract("NOPE");
    EXPECT_EQ(ListDir(dir_.Path()), std::vector<std::string>{"DATA.MBP"});
}

TEST_F(DataPackageTest, NegativeCountReadsNoEntry) {
    OpenPackage(BuildPackage(-1, {{"A", 1}}, Scramble("a")));
    dataPackage.Extract("A");
    EXPECT_FALSE(FileExists(dir_.File("A")));
}

TEST_F(DataPackageTest, ZeroLengthMemberGivesEmptyFileAndRepeatedExtractionIsIdentical) {
    OpenPackage(BuildPackage(1, {{"EMPTY", 0}, {"DATA", 3}}, Scramble("xyz")));
    dataPackage.Extract("EMPTY");
    ASSERT_TRUE(FileExists(dir_.File("EMPTY")));
    EXPECT_EQ(Read("EMPTY"), "");
    dataPackage.Extract("DATA");
    ASSERT_TRUE(WriteFile(dir_.File("DATA"), "changed in between"));
    dataPackage.Extract("DATA");
    EXPECT_EQ(Read("DATA"), "xyz");
}

TEST_F(DataPackageTest, DamagedPackagesNeverInventBytes) {
    // The second entry is cut off: the directory is short, so nothing counts as there.
    std::string shortDirectory = BuildPackage(1, {{"A", 1}, {"B", 1}}, "").substr(0, 4 + 84 + 40);
    OpenPackage(shortDirectory);
    dataPackage.Extract("A");
    EXPECT_FALSE(FileExists(dir_.File("A")));
    dataPackage.Close();

    // The member's bytes end early: copied up to the end of the file.
    OpenPackage(BuildPackage(0, {{"LONG", 10}}, Scramble("abc")));
    dataPackage.Extract("LONG");
    EXPECT_EQ(Read("LONG"), "abc");
    dataPackage.Close();

    // A negative size before a member would put its data inside the directory.
    OpenPackage(BuildPackage(1, {{"NEG", -100}, {"AFTER", 2}}, Scramble("zz")));
    dataPackage.Extract("AFTER");
    EXPECT_FALSE(FileExists(dir_.File("AFTER")));
}

TEST_F(DataPackageTest, NameFillingTheWholeFieldIsComparedWithinIt) {
    std::string full(80, 'N');
    OpenPackage(BuildPackage(0, {{full, 1}}, Scramble("n")));
    dataPackage.Extract((full + "MORE").c_str());
    dataPackage.Extract(full.c_str());
    EXPECT_EQ(ListDir(dir_.Path()), std::vector<std::string>{"DATA.MBP"});
}

TEST_F(DataPackageTest, FirstOfTwoEqualNamesIsUsed) {
    OpenPackage(BuildPackage(1, {{"TWICE", 2}, {"TWICE", 2}}, Scramble("1122")));
    dataPackage.Extract("TWICE");
    EXPECT_EQ(Read("TWICE"), "11");
}

TEST_F(DataPackageTest, UnsafeNamesAreNeverExtracted) {
    TempDir outside;
    std::string escape = "../" + outside.Path().substr(outside.Path().rfind('/') + 1) + "/x";
    OpenPackage(BuildPackage(4, {{escape, 1}, {"..", 1}, {"/tmp/abs", 1}, {"a\\b", 1}, {"", 1}},
                             Scramble("12345")));
    for (const char* name : {escape.c_str(), "..", "/tmp/abs", "a\\b", ""}) dataPackage.Extract(name);
    EXPECT_EQ(ListDir(dir_.Path()), std::vector<std::string>{"DATA.MBP"});
    EXPECT_TRUE(ListDir(outside.Path()).empty());
}

TEST_F(DataPackageTest, ClosedPackageExtractsNothing) {
    dataPackage.Open("DOES-NOT-EXIST.MBP");
    EXPECT_EQ(dataPackage.stream, nullptr);
    EXPECT_FALSE(dataPackage.IsReadable());
    dataPackage.Extract("GAME.CFG");
    EXPECT_TRUE(ListDir(dir_.Path()).empty());
}

TEST_F(DataPackageTest, DeletionRemovesOnlyWhatThisRunExtracted) {
    std::string map = "2\nTEX.BMP OTHER.BMP\n0\n";
    OpenPackage(BuildPackage(2, {{"MAP.MBM", static_cast<int32_t>(map.size())}, {"TEX.BMP", 1}, {"RC.DEM", 1}},
                             Scramble(map + "tT")));
    ASSERT_TRUE(WriteFile(dir_.File("SOUND.WAV"), "the user's own"));
    ASSERT_TRUE(WriteFile(dir_.File("OTHER.BMP"), "the user's own"));
    dataPackage.Extract("MAP.MBM");
    dataPackage.Extract("TEX.BMP");
    dataPackage.Extract("RC.DEM");
    dataPackage.Close();
    DeleteExtractedFiles();
    EXPECT_EQ(ListDir(dir_.Path()), (std::vector<std::string>{"DATA.MBP", "OTHER.BMP", "SOUND.WAV"}));
}

TEST_F(DataPackageTest, DeletionCopesWithAMissingOrHostileMap) {
    // A texture count far beyond the names, and a name longer than the 255-character buffer.
    std::string map = "1000000\n" + std::string(400, 'L') + "\n";
    OpenPackage(BuildPackage(0, {{"MAP.MBM", static_cast<int32_t>(map.size())}}, Scramble(map)));
    dataPackage.Extract("MAP.MBM");
    DeleteExtractedFiles();
    EXPECT_EQ(ListDir(dir_.Path()), std::vector<std::string>{"DATA.MBP"});
    DeleteExtractedFiles();  // MAP.MBM is gone now: nothing to read, nothing removed
    EXPECT_EQ(ListDir(dir_.Path()), std::vector<std::string>{"DATA.MBP"});
}

}  // namespace
