// The few system calls behind the owned files and their journal, on descriptors
// of the C runtime, so that POSIX and Windows each give their own.
#pragma once

#include <cstddef>
#include <cstdio>

// Opens an existing regular file for reading and writing, never through a
// link, never waiting; -1 with errno set (ENOENT when nothing is there).
int OpenForUpdate(const char* path);
// Takes an exclusive lock on the whole file without waiting; false with errno
// EWOULDBLOCK when another process holds it.
bool LockWithoutWaiting(int fd);
// Makes what was written to the file durable.
bool SyncFile(int fd);
// Empties the file and moves to its start.
bool EmptyFile(int fd);
// Gives a file another name unless something lies there already; 0 or errno (EEXIST).
int RenameWithoutReplacing(const char* from, const char* to);
long ProcessNumber();

long ReadSome(int fd, void* bytes, size_t length);   // -1 on error
long WriteSome(int fd, const void* bytes, size_t length);
void CloseDescriptor(int fd);
bool RemoveName(const char* path);  // safe in a signal handler on POSIX
std::FILE* StreamOf(int fd, const char* mode);  // "r", "rb", "wb"...
int DescriptorOf(std::FILE* stream);
