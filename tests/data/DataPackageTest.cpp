// The package reader: member offsets, unscrambling, damaged packages and the
// rules that keep extraction and deletion inside the working directory.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <csignal>

#include <cstring>
#include <string>
#include <vector>

#include "data/DataPackage.h"
#include "platform/files/OwnedFiles.h"
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
        ownedFiles = OwnedFiles();
    }
    void TearDown() override {
        dataPackage.Close();
        ownedFiles.RemoveAll();
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
    dataPackage.Extract("DATA");
    EXPECT_EQ(Read("DATA"), "xyz");
    EXPECT_EQ(dataPackage.failure, ExtractFailure::None);
    // Changed in between, the file is the user's work now: kept, not written again.
    ASSERT_TRUE(WriteFile(dir_.File("DATA"), "changed in between"));
    dataPackage.Extract("DATA");
    EXPECT_EQ(dataPackage.failure, ExtractFailure::Conflict);
    EXPECT_EQ(Read("DATA"), "changed in between");
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

// Ends the run as a kill would: nothing is cleaned up, the journal's lock goes.
void AbandonRunWithoutCleanUp() {
    dataPackage.Close();
    if (ownedFiles.journalFd >= 0) ::close(ownedFiles.journalFd);
    ownedFiles = OwnedFiles();
    dataPackage = DataPackage();
}

TEST_F(DataPackageTest, LinksUnderAMemberNameAreNeverWrittenThrough) {
    TempDir outside;
    ASSERT_TRUE(WriteFile(outside.File("bashrc"), "the user's settings"));
    ASSERT_EQ(::symlink(outside.File("bashrc").c_str(), dir_.File("LINK.BMP").c_str()), 0);
    ASSERT_EQ(::symlink(outside.File("new").c_str(), dir_.File("DANGLING.BMP").c_str()), 0);
    ASSERT_EQ(::link(outside.File("bashrc").c_str(), dir_.File("HARD.BMP").c_str()), 0);
    OpenPackage(BuildPackage(2, {{"LINK.BMP", 3}, {"DANGLING.BMP", 3}, {"HARD.BMP", 3}}, Scramble("abcdefghi")));
    for (const char* name : {"LINK.BMP", "DANGLING.BMP", "HARD.BMP"}) {
        dataPackage = DataPackage();
        OpenPackage(BuildPackage(2, {{"LINK.BMP", 3}, {"DANGLING.BMP", 3}, {"HARD.BMP", 3}}, Scramble("abcdefghi")));
        dataPackage.Extract(name);
        EXPECT_EQ(dataPackage.failure, ExtractFailure::Conflict) << name;
        EXPECT_STREQ(dataPackage.failureName, name);
        dataPackage.Close();
    }
    std::string bytes;
    ASSERT_TRUE(ReadFile(outside.File("bashrc"), &bytes));
    EXPECT_EQ(bytes, "the user's settings");
    EXPECT_EQ(ListDir(outside.Path()), std::vector<std::string>{"bashrc"});
    DeleteExtractedFiles();
    EXPECT_EQ(ListDir(dir_.Path()), (std::vector<std::string>{"DANGLING.BMP", "DATA.MBP", "HARD.BMP", "LINK.BMP"}));
}

TEST_F(DataPackageTest, UsersOwnFilesAreUsedWhenEqualAndNeverReplaced) {
    OpenPackage(BuildPackage(2, {{"SAME.BMP", 4}, {"GAME.CFG", 3}, {"LATER", 1}}, Scramble("samenewx")));
    ASSERT_TRUE(WriteFile(dir_.File("SAME.BMP"), "same"));
    ASSERT_TRUE(WriteFile(dir_.File("GAME.CFG"), "tuned by the user"));
    dataPackage.Extract("SAME.BMP");
    EXPECT_EQ(dataPackage.failure, ExtractFailure::None);
    dataPackage.Extract("GAME.CFG");
    EXPECT_EQ(dataPackage.failure, ExtractFailure::Conflict);
    // After a failure nothing more is extracted.
    dataPackage.Extract("LATER");
    EXPECT_FALSE(FileExists(dir_.File("LATER")));
    DeleteExtractedFiles();
    EXPECT_EQ(Read("SAME.BMP"), "same");
    EXPECT_EQ(Read("GAME.CFG"), "tuned by the user");

    // A directory or a FIFO under a member's name is in the way too, and never opened.
    dataPackage = DataPackage();
    ASSERT_EQ(::mkfifo(dir_.File("FIFO").c_str(), 0600), 0);
    OpenPackage(BuildPackage(0, {{"FIFO", 1}}, Scramble("f")));
    dataPackage.Extract("FIFO");
    EXPECT_EQ(dataPackage.failure, ExtractFailure::Conflict);
}

TEST_F(DataPackageTest, ThePackageItselfAndTheJournalAreNeverExtracted) {
    std::string map = "1\nDATA.MBP\n0\n";
    std::string package = BuildPackage(2, {{"DATA.MBP", 2}, {".orvik-extracted", 2}, {"MAP.MBM", 12}},
                                       Scramble("xx" "yy" + map));
    OpenPackage(package);
    dataPackage.Extract("DATA.MBP");
    dataPackage.Extract(".orvik-extracted");
    dataPackage.Extract("MAP.MBM");
    EXPECT_EQ(dataPackage.failure, ExtractFailure::None);
    dataPackage.Close();
    DeleteExtractedFiles();
    EXPECT_EQ(Read("DATA.MBP"), package);
    EXPECT_EQ(ListDir(dir_.Path()), std::vector<std::string>{"DATA.MBP"});
}

TEST_F(DataPackageTest, LeftoversOfAKilledRunAreRecognisedAndRemoved) {
    std::string package = BuildPackage(1, {{"GAME.CFG", 3}, {"TEX.BMP", 3}}, Scramble("cfgtex"));
    OpenPackage(package);
    dataPackage.Extract("GAME.CFG");
    dataPackage.Extract("TEX.BMP");
    ASSERT_TRUE(FileExists(dir_.File(".orvik-extracted")));
    AbandonRunWithoutCleanUp();

    // The next run removes what the killed one left and extracts again.
    OpenPackage(package);
    EXPECT_FALSE(FileExists(dir_.File("TEX.BMP")));
    dataPackage.Extract("GAME.CFG");
    EXPECT_EQ(dataPackage.failure, ExtractFailure::None);
    EXPECT_EQ(Read("GAME.CFG"), "cfg");
    dataPackage.Close();
    DeleteExtractedFiles();
    EXPECT_EQ(ListDir(dir_.Path()), std::vector<std::string>{"DATA.MBP"});
}

TEST_F(DataPackageTest, AJournalFromElsewhereProvesNothing) {
    // A journal made in another directory, shipped beside a package, lists the user's file.
    TempDir other;
    std::string package = BuildPackage(0, {{"notes.txt", 5}}, Scramble("owned"));
    ASSERT_EQ(chdir(other.Path().c_str()), 0);
    ASSERT_TRUE(WriteFile(other.File("DATA.MBP"), package));
    dataPackage.Open("DATA.MBP");
    dataPackage.Extract("notes.txt");
    std::string journal;
    ASSERT_TRUE(ReadFile(other.File(".orvik-extracted"), &journal));
    AbandonRunWithoutCleanUp();
    ASSERT_EQ(chdir(dir_.Path().c_str()), 0);

    ASSERT_TRUE(WriteFile(dir_.File(".orvik-extracted"), journal));
    ASSERT_TRUE(WriteFile(dir_.File("notes.txt"), "the user's notes"));
    OpenPackage(package);
    dataPackage.Extract("notes.txt");
    EXPECT_EQ(dataPackage.failure, ExtractFailure::Conflict);
    EXPECT_EQ(Read("notes.txt"), "the user's notes");
    EXPECT_EQ(Read(".orvik-extracted"), journal);

    // With the member's name free, the foreign journal's name is still not taken over.
    ASSERT_EQ(::unlink(dir_.File("notes.txt").c_str()), 0);
    dataPackage = DataPackage();
    ownedFiles = OwnedFiles();
    OpenPackage(package);
    dataPackage.Extract("notes.txt");
    EXPECT_EQ(dataPackage.failure, ExtractFailure::JournalTaken);
    EXPECT_STREQ(dataPackage.failureName, ".orvik-extracted");
    EXPECT_FALSE(FileExists(dir_.File("notes.txt")));
}

TEST_F(DataPackageTest, AnotherRunInTheSameDirectoryIsRefused) {
    std::string package = BuildPackage(0, {{"A", 1}}, Scramble("a"));
    OpenPackage(package);
    dataPackage.Extract("A");
    // A second viewer here: the journal is locked by the first.
    OwnedFiles first = ownedFiles;
    ownedFiles = OwnedFiles();
    DataPackage second;
    second.Open("DATA.MBP");
    EXPECT_EQ(second.failure, ExtractFailure::Busy);
    second.Close();
    ownedFiles = first;
}

TEST_F(DataPackageTest, AWriteThatFailsRemovesTheMemberAndSaysWhy) {
    std::string big(64 * 1024, 'b');
    OpenPackage(BuildPackage(0, {{"BIG.BMP", static_cast<int32_t>(big.size())}}, Scramble(big)));
    // A file size limit makes writes fail as a full disk does.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit limit = old;
    limit.rlim_cur = 16 * 1024;
    std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    dataPackage.Extract("BIG.BMP");
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old), 0);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(dataPackage.failure, ExtractFailure::WriteFailed);
    EXPECT_EQ(dataPackage.failureError, EFBIG);
    EXPECT_STREQ(dataPackage.failureName, "BIG.BMP");
    dataPackage.Close();
    DeleteExtractedFiles();
    EXPECT_EQ(ListDir(dir_.Path()), std::vector<std::string>{"DATA.MBP"});
}

TEST_F(DataPackageTest, DeletionRemovesWhatAChangedMapNoLongerNames) {
    std::string map = "1\nTEX.BMP\n0\n";
    OpenPackage(BuildPackage(1, {{"MAP.MBM", static_cast<int32_t>(map.size())}, {"TEX.BMP", 1}},
                             Scramble(map + "t")));
    dataPackage.Extract("MAP.MBM");
    dataPackage.Extract("TEX.BMP");
    dataPackage.Close();
    ASSERT_EQ(::unlink(dir_.File("MAP.MBM").c_str()), 0);
    DeleteExtractedFiles();
    EXPECT_EQ(ListDir(dir_.Path()), std::vector<std::string>{"DATA.MBP"});

    // A file put in place of an extracted one meanwhile is the user's and stays.
    dataPackage = DataPackage();
    OpenPackage(BuildPackage(1, {{"MAP.MBM", static_cast<int32_t>(map.size())}, {"TEX.BMP", 1}},
                             Scramble(map + "t")));
    dataPackage.Extract("TEX.BMP");
    ASSERT_EQ(::unlink(dir_.File("TEX.BMP").c_str()), 0);
    ASSERT_TRUE(WriteFile(dir_.File("TEX.BMP"), "edited"));
    dataPackage.Close();
    DeleteExtractedFiles();
    EXPECT_EQ(Read("TEX.BMP"), "edited");
}

}  // namespace
