// Reading the package's directory and copying one member out of it. The viewer's
// DataPackage and the orvik-pack tool share these.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>

#include "data/PackageEntry.h"

// Where a member lies: its data offset from the start of the file and its length.
struct PackageMember {
    int64_t fileOffset;
    int32_t size;
};

// Compares an entry's name with a requested name, never reading past the 80-byte field.
bool EntryNameEquals(const PackageEntry& entry, const char* name);

// The entry's name as a zero-terminated string (a name filling all 80 bytes is cut there).
void EntryNameCopy(const PackageEntry& entry, char (&out)[81]);

// Reads the whole directory from the start of the stream and looks the name up.
// The first entry of that name counts. A directory that ends early, or a member
// that would start before the data area, counts as not found. lastEntry gets each
// entry as it is read. Returns whether the member was found.
bool FindPackageMember(std::FILE* stream, const char* name, PackageEntry* lastEntry, PackageMember* member);

// Calls visit for each directory entry with its data offset, until it returns false.
// Returns the number of entries the count word announces, or -1 when the
// directory could not be read in full.
int64_t ForEachPackageEntry(std::FILE* stream, const std::function<bool(const PackageEntry&, int64_t)>& visit);

// Copies a member to out, subtracting the key from each byte. Copying stops at
// the end of the package file: no byte is invented. Returns 0, or the errno of
// a write that failed (a full disk, a quota).
int CopyPackageMember(std::FILE* stream, const PackageMember& member, unsigned char key, std::FILE* out);

// True when path is a regular file (not reached through a link) holding
// exactly the bytes the member would be extracted as.
bool PackageMemberMatchesFile(std::FILE* stream, const PackageMember& member, unsigned char key, const char* path);
