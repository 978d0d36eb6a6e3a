// One directory entry of the data package, 84 bytes, the same in memory as on disk.
#pragma once

#include <cstdint>

struct PackageEntry {
    char name[80];   // member name, zero-terminated inside the field
    int32_t size;    // member length in bytes
};
static_assert(sizeof(PackageEntry) == 84, "a directory entry is 84 bytes");
