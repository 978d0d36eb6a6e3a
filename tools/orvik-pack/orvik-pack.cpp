// orvik-pack: makes, lists and unpacks the viewer's data packages.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/MemberName.h"
#include "data/PackageDirectory.h"
#include "data/PackageKey.h"
#include "platform/files/RegularFile.h"
#include "tools/orvik-pack/PackageWriter.h"

namespace {

const char* const kUsage =
    "usage: orvik-pack [--key N] create OUT.MBP FILE...\n"
    "       orvik-pack [--key N] list PKG\n"
    "       orvik-pack [--key N] extract PKG [MEMBER...] [-C DIR] [--force]\n"
    "\n"
    "create   writes a package; each member is named after its file's base name\n"
    "list     prints each member's name, size and data offset\n"
    "extract  writes the members asked for (all when none is named) into DIR\n"
    "         (default: the current directory); it never writes through a link\n"
    "         and replaces an existing file with other bytes only with --force\n"
    "--key N  the package key, 0 to 255 (decimal or 0x hex); default: this build's key\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "orvik-pack: %s\n", message.c_str());
    return 1;
}

bool ParseKey(const char* text, unsigned char* key) {
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0' || value < 0 || value > 255) return false;
    *key = static_cast<unsigned char>(value);
    return true;
}

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>* bytes, std::string* error) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    bytes->clear();
    unsigned char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) bytes->insert(bytes->end(), buffer, buffer + got);
    bool ok = !std::ferror(in);
    std::fclose(in);
    if (!ok) *error = "cannot read " + path;
    return ok;
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int Create(const std::vector<std::string>& args, unsigned char key) {
    if (args.size() < 2) return Fail("create needs OUT.MBP and at least one FILE");
    std::vector<PackageInput> members;
    std::string error;
    for (size_t i = 1; i < args.size(); ++i) {
        PackageInput member;
        member.name = BaseName(args[i]);
        if (!CheckPackageName(member.name, &error)) return Fail(error);
        if (!ReadWholeFile(args[i], &member.bytes, &error)) return Fail(error);
        members.push_back(std::move(member));
    }
    if (!WritePackage(args[0], members, key, &error)) return Fail(error);
    return 0;
}

std::FILE* OpenPackage(const std::string& path, std::string* error) {
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    if (stream == nullptr) *error = "cannot open " + path + ": " + std::strerror(errno);
    return stream;
}

int List(const std::vector<std::string>& args) {
    if (args.size() != 1) return Fail("list needs exactly one PKG");
    std::string error;
    std::FILE* stream = OpenPackage(args[0], &error);
    if (stream == nullptr) return Fail(error);
    int64_t entries = ForEachPackageEntry(stream, [](const PackageEntry& entry, int64_t offset) {
        char name[81];
        EntryNameCopy(entry, name);
        std::printf("%-40s %10d %12lld\n", name, entry.size, static_cast<long long>(offset));
        return true;
    });
    std::fclose(stream);
    if (entries < 0) return Fail(args[0] + ": the directory is cut short or unreadable");
    return 0;
}

// Writes one member to path as a new file, never through a link; an existing
// regular file is replaced (by renaming a finished copy over it) only when
// replace is set. Returns an empty string or what went wrong.
std::string WriteMember(std::FILE* stream, const PackageMember& member, unsigned char key, const std::string& directory,
                        const std::string& path, bool replace) {
    FileIdentity identity;
    bool regular = false;
    bool exists = IdentifyFile(path.c_str(), &identity, &regular);
    if (exists && !regular) return path + " exists and is not a regular file (a link, a directory, ...); not replaced";
    if (exists && PackageMemberMatchesFile(stream, member, key, path.c_str())) return "";
    if (exists && !replace) return path + " exists; use --force to replace it";
    static int serial = 0;
    std::string target = exists ? directory + "/.orvik-pack-" + std::to_string(::getpid()) + "-" +
                                      std::to_string(++serial)
                                : path;
    int fd = CreateNewFile(target.c_str());
    if (fd < 0) return "cannot create " + target + ": " + std::strerror(errno);
    std::FILE* out = ::fdopen(fd, "wb");
    int error = out == nullptr ? errno : CopyPackageMember(stream, member, key, out);
    if (out != nullptr && std::fclose(out) != 0 && error == 0) error = errno;
    if (out == nullptr) ::close(fd);
    if (error == 0 && exists && std::rename(target.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(target.c_str());
        return "cannot write " + path + ": " + std::strerror(error);
    }
    return "";
}

int Extract(const std::vector<std::string>& args, unsigned char key) {
    std::vector<std::string> wanted;
    std::string directory = ".";
    std::string package;
    bool force = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-C") {
            if (i + 1 >= args.size()) return Fail("-C needs a directory");
            directory = args[++i];
        } else if (args[i] == "--force") {
            force = true;
        } else if (package.empty()) {
            package = args[i];
        } else {
            wanted.push_back(args[i]);
        }
    }
    if (package.empty()) return Fail("extract needs PKG");
    std::string error;
    std::FILE* stream = OpenPackage(package, &error);
    if (stream == nullptr) return Fail(error);
    // The directory is read once; the first entry of a name counts.
    std::vector<std::string> order;
    std::unordered_map<std::string, PackageMember> members;
    int64_t entries = ForEachPackageEntry(stream, [&](const PackageEntry& entry, int64_t offset) {
        char name[81];
        EntryNameCopy(entry, name);
        if (members.emplace(name, PackageMember{offset, entry.size}).second) order.push_back(name);
        return true;
    });
    if (entries < 0) {
        std::fclose(stream);
        return Fail(package + ": the directory is cut short or unreadable");
    }
    if (wanted.empty()) wanted = order;
    const int64_t dataStart = 4 + 84 * entries;
    int failures = 0;
    for (const std::string& name : wanted) {
        if (!IsSafeMemberName(name.c_str())) {
            std::fprintf(stderr, "orvik-pack: skipping unsafe member name '%s'\n", name.c_str());
            ++failures;
            continue;
        }
        auto found = members.find(name);
        // Negative sizes before a member would put its data inside the directory.
        if (found == members.end() || found->second.fileOffset < dataStart) {
            std::fprintf(stderr, "orvik-pack: no member %s in %s\n", name.c_str(), package.c_str());
            ++failures;
            continue;
        }
        std::string problem = WriteMember(stream, found->second, key, directory, directory + "/" + name, force);
        if (!problem.empty()) {
            std::fprintf(stderr, "orvik-pack: %s\n", problem.c_str());
            ++failures;
        }
    }
    std::fclose(stream);
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    unsigned char key = PACKAGE_KEY;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--key") {
            if (i + 1 >= argc || !ParseKey(argv[i + 1], &key)) return Fail("--key needs a number from 0 to 255");
            ++i;
            continue;
        }
        args.push_back(arg);
    }
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string command = args[0];
    args.erase(args.begin());
    if (command == "create") return Create(args, key);
    if (command == "list") return List(args);
    if (command == "extract") return Extract(args, key);
    return Fail("unknown command '" + command + "' (see --help)");
}
