#include "platform/files/FileCalls.h"

#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

int OpenForUpdate(const char* path) {
    // A link's own entry is opened, and then refused: only a plain file will do.
    HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        errno = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ENOENT : EACCES;
        return -1;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        CloseHandle(handle);
        errno = EINVAL;
        return -1;
    }
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
    if (fd < 0) CloseHandle(handle);
    return fd;
}

bool LockWithoutWaiting(int fd) {
    OVERLAPPED whole = {};
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole))
        return true;
    errno = GetLastError() == ERROR_LOCK_VIOLATION ? EWOULDBLOCK : EACCES;
    return false;
}

bool SyncFile(int fd) { return _commit(fd) == 0; }

bool EmptyFile(int fd) { return _chsize(fd, 0) == 0 && _lseek(fd, 0, SEEK_SET) == 0; }

int RenameWithoutReplacing(const char* from, const char* to) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails if anything has the name.
    if (MoveFileExA(from, to, MOVEFILE_WRITE_THROUGH)) return 0;
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return EEXIST;
    if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) return ENOSPC;
    return EACCES;
}

long ProcessNumber() { return static_cast<long>(_getpid()); }

long ReadSome(int fd, void* bytes, size_t length) { return _read(fd, bytes, static_cast<unsigned>(length)); }

long WriteSome(int fd, const void* bytes, size_t length) { return _write(fd, bytes, static_cast<unsigned>(length)); }

void CloseDescriptor(int fd) { _close(fd); }

bool RemoveName(const char* path) { return DeleteFileA(path) != 0; }

std::FILE* StreamOf(int fd, const char* mode) {
    // Descriptors are opened binary; a text stream translates line ends.
    if (std::strchr(mode, 'b') == nullptr) _setmode(fd, _O_TEXT);
    return _fdopen(fd, mode);
}

int DescriptorOf(std::FILE* stream) { return _fileno(stream); }
