#include "platform/files/RegularFile.h"

#include <cerrno>
#include <cstring>

#include "platform/files/FileCalls.h"

std::FILE* OpenRegularFile(const char* path, const char* mode) {
    if (mode == nullptr || mode[0] != 'r' || std::strchr(mode, '+') != nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    int fd = OpenRegularFileDescriptor(path);
    if (fd < 0) return nullptr;
    std::FILE* file = StreamOf(fd, mode);
    if (file == nullptr) {
        int error = errno;
        CloseDescriptor(fd);
        errno = error;
    }
    return file;
}
