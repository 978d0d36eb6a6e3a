#include "platform/files/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

int OpenRegularFileDescriptor(const char* path) {
    if (path == nullptr) {
        errno = EINVAL;
        return -1;
    }
    // O_NONBLOCK: opening a FIFO without a writer would otherwise wait for ever.
    int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        int error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = error;
        return -1;
    }
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

int CreateNewFile(const char* path) {
    if (path == nullptr) {
        errno = EINVAL;
        return -1;
    }
    // O_EXCL fails on anything already there, a link of any kind included.
    return ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0644);
}

namespace {

FileIdentity IdentityOf(const struct stat& info) {
    return FileIdentity{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
                        static_cast<int64_t>(info.st_size),
                        static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

}  // namespace

bool IdentifyFile(const char* path, FileIdentity* identity, bool* regular) {
    struct stat info;
    if (path == nullptr || ::lstat(path, &info) != 0) return false;
    *identity = IdentityOf(info);
    *regular = S_ISREG(info.st_mode);
    return true;
}

bool IdentifyDescriptor(int fd, FileIdentity* identity) {
    struct stat info;
    if (::fstat(fd, &info) != 0) return false;
    *identity = IdentityOf(info);
    return true;
}

bool RemoveIfSameFile(const char* path, const FileIdentity& identity) {
    struct stat info;
    if (::lstat(path, &info) != 0 || !(IdentityOf(info) == identity)) return false;
    return ::unlink(path) == 0;
}
