// Opening and creating files without the surprises a hostile directory can hold:
// a FIFO or device that blocks the open, a link that leads elsewhere, a file that
// is silently replaced.
#pragma once

#include <cstdint>
#include <cstdio>

// Which file a name leads to, and in what state: equal identities are the
// same file with the same bytes as far as its size and modification time
// tell. (A file made after another was removed may get the same inode.)
struct FileIdentity {
    uint64_t device;
    uint64_t inode;
    int64_t size;
    int64_t modifiedNs;
};

inline bool SameInode(const FileIdentity& a, const FileIdentity& b) {
    return a.device == b.device && a.inode == b.inode;
}

inline bool operator==(const FileIdentity& a, const FileIdentity& b) {
    return SameInode(a, b) && a.size == b.size && a.modifiedNs == b.modifiedNs;
}

// Opens a regular file for reading ("r" or "rb"). The open never blocks: a FIFO,
// device, socket or directory is closed again at once and the result is null,
// with errno EISDIR for a directory and EINVAL for the others.
std::FILE* OpenRegularFile(const char* path, const char* mode);

// The same as a descriptor, opened read-only; -1 with errno set on failure.
int OpenRegularFileDescriptor(const char* path);

// Creates a new file for writing that did not exist, never through a link (a
// dangling link counts as existing). Returns -1 with errno set on failure
// (EEXIST when anything lies under that name).
int CreateNewFile(const char* path);

// The identity of what lies under path, not following a final link. Returns
// false when nothing is there; *regular tells whether it is a regular file.
bool IdentifyFile(const char* path, FileIdentity* identity, bool* regular);

// The identity of an open descriptor.
bool IdentifyDescriptor(int fd, FileIdentity* identity);

// Removes path only while it is still the file of that identity, unchanged.
// Safe in a signal handler.
bool RemoveIfSameFile(const char* path, const FileIdentity& identity);
