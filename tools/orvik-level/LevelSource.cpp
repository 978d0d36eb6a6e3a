#include "tools/orvik-level/LevelSource.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "data/MemberName.h"
#include "data/PackageDirectory.h"
#include "platform/files/OwnedFiles.h"
#include "platform/files/RegularFile.h"

namespace {

constexpr const char* PACKAGE_NAME = "DATA.MBP";
constexpr size_t MAX_MEMBER_NAME = 79;

bool IsDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegular(const std::string& path, int64_t* size) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (size != nullptr) *size = st.st_size;
    return true;
}

}  // namespace

std::string UnextractableReason(const std::string& name) {
    if (!IsSafeMemberName(name.c_str()))
        return "it is not a plain file name (empty, \".\", \"..\", or with '/' or '\\'), so the viewer never extracts it";
    if (name.size() > MAX_MEMBER_NAME)
        return "it is longer than 79 characters, the most a package member's name can hold";
    if (name == PACKAGE_NAME) return "DATA.MBP is the package itself, which the viewer never extracts";
    if (OwnedFiles::IsReservedName(name.c_str()))
        return "names starting with \".orvik-\" are the viewer's own, never a member's";
    return "";
}

LevelSource::~LevelSource() {
    if (package_ != nullptr) std::fclose(package_);
    for (const std::string& file : copied_) ::unlink(file.c_str());
    if (!scratch_.empty()) ::rmdir(scratch_.c_str());
}

bool LevelSource::Open(const std::string& path, unsigned char key, Findings* findings, std::string* error) {
    key_ = key;
    if (IsDirectory(path)) {
        if (IsRegular(path + "/MAP.MBM", nullptr)) return OpenDirectory(path, error);
        if (IsRegular(path + "/" + PACKAGE_NAME, nullptr)) return OpenPackage(path + "/" + PACKAGE_NAME, findings, error);
        *error = path + " holds neither DATA.MBP nor the loose files of a level (MAP.MBM)";
        return false;
    }
    return OpenPackage(path, findings, error);
}

bool LevelSource::OpenDirectory(const std::string& path, std::string* error) {
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        *error = "cannot read the directory " + path + ": " + std::strerror(errno);
        return false;
    }
    directory_ = path;
    label_ = path;
    while (dirent* entry = ::readdir(dir)) {
        LevelMember member;
        member.name = entry->d_name;
        if (!IsRegular(path + "/" + member.name, &member.size)) continue;
        members_.push_back(member);
    }
    ::closedir(dir);
    return true;
}

bool LevelSource::OpenPackage(const std::string& path, Findings* findings, std::string* error) {
    package_ = OpenRegularFile(path.c_str(), "rb");
    if (package_ == nullptr) {
        *error = "cannot open the package " + path + ": " + std::strerror(errno);
        return false;
    }
    label_ = PACKAGE_NAME;
    int64_t fileSize = 0;
    IsRegular(path, &fileSize);
    Place whole;
    whole.file = PACKAGE_NAME;
    int64_t entries = ForEachPackageEntry(package_, [&](const PackageEntry& entry, int64_t offset) {
        char name[81];
        EntryNameCopy(entry, name);
        LevelMember member;
        member.name = name;
        member.size = entry.size;
        member.offset = offset;
        member.terminated = std::memchr(entry.name, 0, sizeof entry.name) != nullptr;
        members_.push_back(member);
        return true;
    });
    if (entries < 0) {
        if (members_.empty() && fileSize < 4) {
            *error = path + " is not a data package: it is " + std::to_string(fileSize) + " bytes long";
            return false;
        }
        findings->Error(whole, "the package directory is cut short after " + std::to_string(members_.size()) +
                                   " entries: the viewer finds no member at all in it");
        members_.clear();
        return true;
    }
    // As the viewer's look-up: a member whose data would start inside the
    // directory (negative sizes before it) is not found.
    for (LevelMember& member : members_) member.reachable = member.offset >= 4 + 84 * entries;
    std::vector<std::string> seen;
    for (LevelMember& member : members_) {
        Place place = whole;
        if (!member.terminated) {
            findings->Error(place, "member name \"" + member.name +
                                       "\" fills its 80-byte field without an ending zero: no name the viewer asks for matches it");
            continue;
        }
        if (member.size < 0) {
            findings->Error(place, "member " + member.name + " has a negative size (" + std::to_string(member.size) +
                                       "): it and every member after it lie at the wrong offsets");
            continue;
        }
        if (!member.reachable)
            findings->Error(place, "member " + member.name +
                                       " cannot be found by the viewer: negative sizes before it put its data inside the directory");
        else if (member.offset + member.size > fileSize)
            findings->Error(place, "member " + member.name + " is cut short: the package ends " +
                                       std::to_string(member.offset + member.size - fileSize) +
                                       " bytes before its end");
        for (const std::string& other : seen)
            if (other == member.name)
                findings->Warning(place, "member " + member.name + " is stored twice; only the first one is ever extracted");
        seen.push_back(member.name);
        std::string why = UnextractableReason(member.name);
        if (!why.empty()) findings->Error(place, "member \"" + member.name + "\" is never extracted: " + why);
    }
    return true;
}

LevelMember* LevelSource::Find(const std::string& name) {
    // The first of that name counts, as in the viewer.
    for (LevelMember& member : members_)
        if (member.terminated && member.name == name) return member.reachable ? &member : nullptr;
    return nullptr;
}

const LevelMember* LevelSource::FindOtherCase(const std::string& name) const {
    for (const LevelMember& member : members_)
        if (member.terminated && member.name != name && ::strcasecmp(member.name.c_str(), name.c_str()) == 0)
            return &member;
    return nullptr;
}

std::string LevelSource::FileOf(const std::string& name, std::string* error) {
    LevelMember* member = Find(name);
    if (member == nullptr || !UnextractableReason(name).empty()) {
        *error = "no member " + name;
        return "";
    }
    member->used = true;
    if (package_ == nullptr) return directory_ + "/" + name;
    if (scratch_.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/orvik-level-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (::mkdtemp(buffer.data()) == nullptr) {
            *error = "cannot make a scratch directory: " + std::string(std::strerror(errno));
            return "";
        }
        scratch_ = buffer.data();
    }
    std::string path = scratch_ + "/" + name;
    for (const std::string& file : copied_)
        if (file == path) return path;
    int fd = CreateNewFile(path.c_str());
    std::FILE* out = fd < 0 ? nullptr : ::fdopen(fd, "wb");
    if (out == nullptr) {
        *error = "cannot copy " + name + " out: " + std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return "";
    }
    copied_.push_back(path);
    PackageMember where{member->offset, static_cast<int32_t>(member->size)};
    int failed = CopyPackageMember(package_, where, key_, out);
    if (std::fclose(out) != 0 && failed == 0) failed = errno;
    if (failed != 0) {
        *error = "cannot copy " + name + " out: " + std::strerror(failed);
        return "";
    }
    return path;
}

bool LevelSource::Read(const std::string& name, std::string* bytes, std::string* error) {
    std::string path = FileOf(name, error);
    if (path.empty()) return false;
    std::FILE* in = OpenRegularFile(path.c_str(), "rb");
    if (in == nullptr) {
        *error = "cannot read " + name + ": " + std::strerror(errno);
        return false;
    }
    bytes->clear();
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) bytes->append(buffer, got);
    bool ok = !std::ferror(in);
    std::fclose(in);
    if (!ok) *error = "cannot read " + name;
    return ok;
}
