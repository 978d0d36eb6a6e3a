// Files and read-only mappings. A handle points to a record of its kind; views
// are remembered so that UnmapViewOfFile knows their length.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <new>
#include <string>

#include "platform/win32/fileapi.h"

namespace {

enum class HandleKind { File, Mapping };

struct HandleRecord {
    HandleKind kind;
    int fd;           // the file's descriptor (a mapping keeps its own duplicate)
    uint64_t size;    // the file's size when the handle was made
};

std::map<const void*, size_t>& Views() {
    static std::map<const void*, size_t> views;
    return views;
}

DWORD Win32ErrorFromErrno(int error) {
    switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return ERROR_ACCESS_DENIED;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EEXIST: return ERROR_FILE_EXISTS;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    default: return ERROR_ACCESS_DENIED;
    }
}

// Windows tells a missing file from a missing folder on its way.
DWORD OpenError(const char* fileName, int error) {
    if (error != ENOENT) return Win32ErrorFromErrno(error);
    std::string folder(fileName);
    size_t slash = folder.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return ERROR_FILE_NOT_FOUND;
    folder.resize(slash);
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return ERROR_PATH_NOT_FOUND;
    return ERROR_FILE_NOT_FOUND;
}

HandleRecord* Record(HANDLE handle, HandleKind kind) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
    HandleRecord* record = static_cast<HandleRecord*>(handle);
    return record->kind == kind ? record : nullptr;
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD creationDisposition, DWORD, HANDLE) {
    if (fileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    int flags = (desiredAccess & GENERIC_WRITE) ? ((desiredAccess & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
    switch (creationDisposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING: flags |= O_TRUNC; break;
    case OPEN_EXISTING: break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    // Without blocking: a FIFO or a device under the name must not hold the
    // caller up. Only regular files are files here; a directory, FIFO, device or
    // socket is refused the way Windows refuses to open a directory as a file.
    int fd = open(fileName, flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
    if (fd < 0) {
        SetLastError(OpenError(fileName, errno));
        return INVALID_HANDLE_VALUE;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    HandleRecord* record = new (std::nothrow) HandleRecord{HandleKind::File, fd, static_cast<uint64_t>(info.st_size)};
    if (record == nullptr) {
        close(fd);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_SUCCESS);
    return record;
}

DWORD WINAPI GetFileSize(HANDLE file, LPDWORD fileSizeHigh) {
    HandleRecord* record = Record(file, HandleKind::File);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    struct stat info;
    uint64_t size = fstat(record->fd, &info) == 0 ? static_cast<uint64_t>(info.st_size) : record->size;
    if (fileSizeHigh != nullptr) *fileSizeHigh = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

HANDLE WINAPI CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES, DWORD protect, DWORD maximumSizeHigh,
                                 DWORD maximumSizeLow, LPCSTR) {
    HandleRecord* record = Record(file, HandleKind::File);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (protect != PAGE_READONLY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    struct stat info;
    if (fstat(record->fd, &info) != 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return nullptr;
    }
    uint64_t fileSize = static_cast<uint64_t>(info.st_size);
    uint64_t asked = (static_cast<uint64_t>(maximumSizeHigh) << 32) | maximumSizeLow;
    // A read-only mapping of the whole of an empty file cannot be made, nor one larger than the file.
    if ((asked == 0 && fileSize == 0) || asked > fileSize) {
        SetLastError(asked == 0 ? ERROR_FILE_INVALID : ERROR_ACCESS_DENIED);
        return nullptr;
    }
    int fd = dup(record->fd);
    if (fd < 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return nullptr;
    }
    HandleRecord* made = new (std::nothrow) HandleRecord{HandleKind::Mapping, fd, asked == 0 ? fileSize : asked};
    if (made == nullptr) {
        close(fd);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return made;
}

LPVOID WINAPI MapViewOfFile(HANDLE mapping, DWORD desiredAccess, DWORD offsetHigh, DWORD offsetLow,
                            SIZE_T numberOfBytes) {
    HandleRecord* record = Record(mapping, HandleKind::Mapping);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    uint64_t offset = (static_cast<uint64_t>(offsetHigh) << 32) | offsetLow;
    long page = sysconf(_SC_PAGESIZE);
    if (desiredAccess != FILE_MAP_READ || offset % static_cast<uint64_t>(page) != 0 || offset >= record->size ||
        numberOfBytes > record->size - offset) {
        SetLastError(desiredAccess != FILE_MAP_READ ? ERROR_ACCESS_DENIED : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    size_t length = numberOfBytes != 0 ? numberOfBytes : static_cast<size_t>(record->size - offset);
    void* view = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, record->fd, static_cast<off_t>(offset));
    if (view == MAP_FAILED) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    try {
        Views()[view] = length;
    } catch (const std::bad_alloc&) {
        munmap(view, length);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return view;
}

BOOL WINAPI UnmapViewOfFile(LPCVOID baseAddress) {
    auto found = Views().find(baseAddress);
    if (found == Views().end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    munmap(const_cast<void*>(found->first), found->second);
    Views().erase(found);
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE object) {
    if (object == nullptr || object == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    HandleRecord* record = static_cast<HandleRecord*>(object);
    close(record->fd);
    delete record;
    return TRUE;
}
