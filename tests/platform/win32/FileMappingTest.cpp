// Read-only file mapping and the Win32 error codes its callers turn into results.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/win32/windows.h"
#include "tests/support/NonRegularFiles.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(FileMappingTest, MapsAWholeFileReadOnly) {
    TempDir dir;
    std::string content = "mapped bytes";
    ASSERT_TRUE(WriteFile(dir.File("f.bin"), content));
    HANDLE file = CreateFileA(dir.File("f.bin").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD high = 99;
    EXPECT_EQ(GetFileSize(file, &high), content.size());
    EXPECT_EQ(high, 0u);
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(mapping, nullptr);
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::memcmp(view, content.data(), content.size()), 0);
    EXPECT_TRUE(UnmapViewOfFile(view));
    EXPECT_FALSE(UnmapViewOfFile(view));
    EXPECT_TRUE(CloseHandle(mapping));
    EXPECT_TRUE(CloseHandle(file));
}

TEST(FileMappingTest, FailuresCarryWin32Codes) {
    TempDir dir;
    EXPECT_EQ(CreateFileA(dir.File("missing").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(HRESULT_FROM_WIN32(GetLastError()), static_cast<HRESULT>(0x80070002u));
    EXPECT_EQ(CreateFileA(dir.File("no/such/dir").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(CreateFileA(dir.Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

    ASSERT_TRUE(WriteFile(dir.File("empty"), ""));
    HANDLE file = CreateFileA(dir.File("empty").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_INVALID);
    EXPECT_EQ(GetFileSize(INVALID_HANDLE_VALUE, nullptr), INVALID_FILE_SIZE);
    EXPECT_EQ(MapViewOfFile(file, FILE_MAP_READ, 0, 0, 0), nullptr);  // a file is not a mapping
    EXPECT_TRUE(CloseHandle(file));
}

// A FIFO, socket, directory or device under the name is no file: the open
// returns at once (a FIFO without a writer would block a plain open for ever).
TEST(FileMappingTest, NamesThatAreNotRegularFilesAreRefusedAtOnce) {
    TempDir dir;
    NonRegularFiles special = MakeNonRegularFiles(dir, "texture");
    for (const std::string& name : special.All()) {
        SCOPED_TRACE(name);
        HANDLE file = nullptr;
        DWORD error = 0;
        ASSERT_TRUE(ReturnsWithin(5, [&] {
            file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_RANDOM_ACCESS, nullptr);
            error = GetLastError();
        }, special.fifo));
        EXPECT_EQ(file, INVALID_HANDLE_VALUE);
        EXPECT_EQ(error, ERROR_ACCESS_DENIED);
    }
    // Asked for writing, a FIFO that nobody reads is refused too, without waiting.
    HANDLE written = nullptr;
    ASSERT_TRUE(ReturnsWithin(5, [&] {
        written = CreateFileA(special.fifo.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }, special.fifo));
    EXPECT_EQ(written, INVALID_HANDLE_VALUE);
}

}  // namespace
