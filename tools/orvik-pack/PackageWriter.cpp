#include "tools/orvik-pack/PackageWriter.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>

#include "data/MemberName.h"
#include "data/PackageEntry.h"

namespace {

void PutLe32(unsigned char* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace

bool CheckPackageName(const std::string& name, std::string* error) {
    if (name.size() > 79) {
        *error = "member name longer than 79 characters: " + name;
        return false;
    }
    if (!IsSafeMemberName(name.c_str()) || name.find('\0') != std::string::npos) {
        *error = "member name not safe to extract (empty, '.', '..' or with a slash): '" + name + "'";
        return false;
    }
    return true;
}

bool WritePackage(const std::string& path, const std::vector<PackageInput>& members, unsigned char key,
                  std::string* error) {
    if (members.empty()) {
        *error = "a package needs at least one member";
        return false;
    }
    std::set<std::string> seen;
    for (const PackageInput& member : members) {
        if (!CheckPackageName(member.name, error)) return false;
        if (!seen.insert(member.name).second) {
            *error = "member name given twice: " + member.name;
            return false;
        }
        if (member.bytes.size() > INT32_MAX) {
            *error = "member larger than 2 GiB: " + member.name;
            return false;
        }
    }
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        *error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = true;
    unsigned char count[4];
    PutLe32(count, static_cast<uint32_t>(members.size() - 1));
    ok = ok && std::fwrite(count, 1, 4, out) == 4;
    for (const PackageInput& member : members) {
        PackageEntry entry{};
        std::memcpy(entry.name, member.name.data(), member.name.size());
        unsigned char raw[84] = {};
        std::memcpy(raw, entry.name, 80);
        PutLe32(raw + 80, static_cast<uint32_t>(member.bytes.size()));
        ok = ok && std::fwrite(raw, 1, 84, out) == 84;
    }
    std::vector<unsigned char> scrambled;
    for (const PackageInput& member : members) {
        scrambled.resize(member.bytes.size());
        for (size_t i = 0; i < member.bytes.size(); ++i)
            scrambled[i] = static_cast<unsigned char>(member.bytes[i] + key);
        ok = ok && std::fwrite(scrambled.data(), 1, scrambled.size(), out) == scrambled.size();
    }
    ok = (std::fclose(out) == 0) && ok;
    if (!ok) {
        *error = "cannot write " + path;
        std::remove(path.c_str());
    }
    return ok;
}
