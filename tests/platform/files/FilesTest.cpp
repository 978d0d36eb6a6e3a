// Opening files that may be anything, and the journal's text.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/files/JournalText.h"
#include "platform/files/RegularFile.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(RegularFile, OnlyRegularFilesOpenAndNothingWaits) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    ASSERT_EQ(::mkdir(dir.File("dir").c_str(), 0700), 0);
    ASSERT_TRUE(WriteFile(dir.File("plain"), "text"));
    // A FIFO without a writer would block a plain open for ever.
    errno = 0;
    EXPECT_EQ(OpenRegularFile(dir.File("fifo").c_str(), "r"), nullptr);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(OpenRegularFile(dir.File("dir").c_str(), "r"), nullptr);
    EXPECT_EQ(errno, EISDIR);
    EXPECT_EQ(OpenRegularFile("/dev/null", "rb"), nullptr);
    EXPECT_EQ(OpenRegularFile(dir.File("missing").c_str(), "r"), nullptr);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(OpenRegularFile(dir.File("plain").c_str(), "w"), nullptr);  // reading only
    std::FILE* file = OpenRegularFile(dir.File("plain").c_str(), "r");
    ASSERT_NE(file, nullptr);
    char text[8] = {};
    EXPECT_EQ(std::fread(text, 1, sizeof text, file), 4u);
    EXPECT_STREQ(text, "text");
    std::fclose(file);
}

TEST(RegularFile, NewFilesAreNeverMadeThroughLinksOrOverFiles) {
    TempDir dir;
    ASSERT_EQ(::symlink(dir.File("target").c_str(), dir.File("dangling").c_str()), 0);
    ASSERT_TRUE(WriteFile(dir.File("plain"), "text"));
    for (const char* name : {"dangling", "plain"}) {
        errno = 0;
        EXPECT_LT(CreateNewFile(dir.File(name).c_str()), 0) << name;
        EXPECT_EQ(errno, EEXIST) << name;
    }
    EXPECT_FALSE(FileExists(dir.File("target")));
    int fd = CreateNewFile(dir.File("new").c_str());
    ASSERT_GE(fd, 0);
    FileIdentity written{}, seen{};
    bool regular = false;
    ASSERT_EQ(::write(fd, "abc", 3), 3);
    ASSERT_TRUE(IdentifyDescriptor(fd, &written));
    ::close(fd);
    ASSERT_TRUE(IdentifyFile(dir.File("new").c_str(), &seen, &regular));
    EXPECT_TRUE(regular);
    EXPECT_TRUE(seen == written);
    // Changed since: no longer the file that was made, so it is not removed.
    ASSERT_TRUE(WriteFile(dir.File("new"), "changed by the user"));
    EXPECT_FALSE(RemoveIfSameFile(dir.File("new").c_str(), written));
    EXPECT_TRUE(FileExists(dir.File("new")));
    ASSERT_TRUE(IdentifyFile(dir.File("new").c_str(), &seen, &regular));
    EXPECT_TRUE(RemoveIfSameFile(dir.File("new").c_str(), seen));
    EXPECT_FALSE(FileExists(dir.File("new")));
}

TEST(JournalText, EntriesReadBackAndAnythingElseIsPassedOver) {
    FileIdentity self{12, 34, 0, 0};
    FileIdentity made{5, 6, 7, 1234567890123};
    std::string name = "odd \n\t\x7f\xff name";
    char header[JOURNAL_LINE_SIZE], temp[JOURNAL_LINE_SIZE], done[JOURNAL_LINE_SIZE];
    FormatJournalHeader(self, header);
    FormatJournalLine("temp", ".orvik-tmp-1-1", nullptr, temp);
    FormatJournalLine("made", name.c_str(), &made, done);
    std::string text = std::string(header) + temp + "made 1 2 3\n" + "made 1 2 3 4 2f2e2e\n" + "garbage\n" + done +
                       "made 1 2 3 4 41";  // the last line was cut short
    JournalReader reader(text.data(), text.size());
    ASSERT_TRUE(reader.ReadHeader(self));
    JournalEntry entry;
    ASSERT_TRUE(reader.Next(&entry));
    EXPECT_FALSE(entry.made);
    EXPECT_STREQ(entry.name, ".orvik-tmp-1-1");
    ASSERT_TRUE(reader.Next(&entry));  // a name with '/' in it is never read
    EXPECT_TRUE(entry.made);
    EXPECT_EQ(std::string(entry.name), name);
    EXPECT_TRUE(entry.identity == made);
    EXPECT_FALSE(reader.Next(&entry));

    // A journal that names another file as itself proves nothing.
    JournalReader other(text.data(), text.size());
    EXPECT_FALSE(other.ReadHeader(FileIdentity{12, 35, 0, 0}));
}

}  // namespace
