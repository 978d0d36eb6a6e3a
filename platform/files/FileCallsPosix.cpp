#include "platform/files/FileCalls.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

int OpenForUpdate(const char* path) {
    int fd = ::open(path, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

bool LockWithoutWaiting(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; }

bool SyncFile(int fd) { return ::fdatasync(fd) == 0; }

bool EmptyFile(int fd) { return ::ftruncate(fd, 0) == 0 && ::lseek(fd, 0, SEEK_SET) == 0; }

int RenameWithoutReplacing(const char* from, const char* to) {
#ifdef __EMSCRIPTEN__
    // The browser's in-memory file system has neither that rename nor links, and
    // nothing else writes to it while the viewer runs: a look first is enough.
    struct stat seen;
    if (::lstat(to, &seen) == 0) return EEXIST;
    return ::rename(from, to) == 0 ? 0 : errno;
#else
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
    // File systems without that rename: a second link, which also never replaces.
    if (::link(from, to) != 0) return errno;
    ::unlink(from);
    return 0;
#endif
}

long ProcessNumber() { return static_cast<long>(::getpid()); }

long ReadSome(int fd, void* bytes, size_t length) {
    for (;;) {
        ssize_t got = ::read(fd, bytes, length);
        if (got >= 0 || errno != EINTR) return static_cast<long>(got);
    }
}

long WriteSome(int fd, const void* bytes, size_t length) {
    for (;;) {
        ssize_t done = ::write(fd, bytes, length);
        if (done >= 0 || errno != EINTR) return static_cast<long>(done);
    }
}

void CloseDescriptor(int fd) { ::close(fd); }

bool RemoveName(const char* path) { return ::unlink(path) == 0; }

std::FILE* StreamOf(int fd, const char* mode) { return ::fdopen(fd, mode); }

int DescriptorOf(std::FILE* stream) { return ::fileno(stream); }
