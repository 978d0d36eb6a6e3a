#include "data/PackageDirectory.h"

#include <cerrno>
#include <cstring>

#include "platform/files/RegularFile.h"

namespace {

bool ReadPackageCount(std::FILE* stream, int32_t* count) {
    if (stream == nullptr || std::fseek(stream, 0, SEEK_SET) != 0) return false;
    unsigned char bytes[4];
    if (std::fread(bytes, 1, 4, stream) != 4) return false;
    *count = static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                                  static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
    return true;
}

}  // namespace

int64_t ForEachPackageEntry(std::FILE* stream, const std::function<bool(const PackageEntry&, int64_t)>& visit) {
    int32_t last = 0;
    if (!ReadPackageCount(stream, &last)) return -1;
    int64_t entries = static_cast<int64_t>(last) + 1;
    if (entries < 0) entries = 0;
    int64_t dataStart = 4 + 84 * entries;
    int64_t running = 0;
    bool visiting = true;
    for (int64_t i = 0; i < entries; ++i) {
        PackageEntry entry;
        if (std::fread(&entry, sizeof entry, 1, stream) != 1) return -1;
        if (visiting) visiting = visit(entry, dataStart + running);
        running += entry.size;
    }
    return entries;
}

bool EntryNameEquals(const PackageEntry& entry, const char* name) {
    size_t length = std::strlen(name);
    if (length >= sizeof entry.name) return false;
    return std::memcmp(entry.name, name, length) == 0 && entry.name[length] == '\0';
}

void EntryNameCopy(const PackageEntry& entry, char (&out)[81]) {
    std::memcpy(out, entry.name, 80);
    out[80] = '\0';
}

bool FindPackageMember(std::FILE* stream, const char* name, PackageEntry* lastEntry, PackageMember* member) {
    bool found = false;
    int64_t read = ForEachPackageEntry(stream, [&](const PackageEntry& entry, int64_t offset) {
        if (lastEntry != nullptr) *lastEntry = entry;
        if (!found && EntryNameEquals(entry, name)) {
            found = true;
            member->fileOffset = offset;
            member->size = entry.size;
        }
        return true;
    });
    if (read < 0 || !found) return false;
    // Negative sizes before the member would put its data inside the directory.
    int64_t entries = read;
    return member->fileOffset >= 4 + 84 * entries;
}

int CopyPackageMember(std::FILE* stream, const PackageMember& member, unsigned char key, std::FILE* out) {
    if (member.size <= 0 || fseeko(stream, member.fileOffset, SEEK_SET) != 0) return 0;
    unsigned char buffer[65536];
    int64_t left = member.size;
    while (left > 0) {
        size_t want = left < static_cast<int64_t>(sizeof buffer) ? static_cast<size_t>(left) : sizeof buffer;
        size_t got = std::fread(buffer, 1, want, stream);
        for (size_t i = 0; i < got; ++i) buffer[i] = static_cast<unsigned char>(buffer[i] - key);
        errno = 0;
        if (got > 0 && std::fwrite(buffer, 1, got, out) != got) return errno != 0 ? errno : EIO;
        if (got < want) break;
        left -= static_cast<int64_t>(got);
    }
    return 0;
}

bool PackageMemberMatchesFile(std::FILE* stream, const PackageMember& member, unsigned char key, const char* path) {
    FileIdentity before;
    bool regular = false;
    if (!IdentifyFile(path, &before, &regular) || !regular) return false;
    std::FILE* file = OpenRegularFile(path, "rb");
    FileIdentity opened;
    if (file == nullptr) return false;
    bool same = IdentifyDescriptor(fileno(file), &opened) && opened == before;
    if (same && member.size > 0) same = fseeko(stream, member.fileOffset, SEEK_SET) == 0;
    unsigned char expected[65536];
    unsigned char actual[sizeof expected];
    int64_t left = member.size > 0 ? member.size : 0;
    while (same && left > 0) {
        size_t want = left < static_cast<int64_t>(sizeof expected) ? static_cast<size_t>(left) : sizeof expected;
        size_t got = std::fread(expected, 1, want, stream);
        for (size_t i = 0; i < got; ++i) expected[i] = static_cast<unsigned char>(expected[i] - key);
        size_t have = std::fread(actual, 1, got, file);
        same = have == got && std::memcmp(expected, actual, got) == 0;
        if (got < want) break;  // the package ends early: so does the extracted file
        left -= static_cast<int64_t>(got);
    }
    // Nothing more in the file than the member holds.
    if (same) same = std::fgetc(file) == EOF && !std::ferror(file);
    std::fclose(file);
    return same;
}
