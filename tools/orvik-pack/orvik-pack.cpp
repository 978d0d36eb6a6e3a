// orvik-pack: makes, lists and unpacks the viewer's data packages.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "data/MemberName.h"
#include "data/PackageDirectory.h"
#include "data/PackageKey.h"
#include "tools/orvik-pack/PackageWriter.h"

namespace {

const char* const kUsage =
    "usage: orvik-pack [--key N] create OUT.MBP FILE...\n"
    "       orvik-pack [--key N] list PKG\n"
    "       orvik-pack [--key N] extract PKG [MEMBER...] [-C DIR]\n"
    "\n"
    "create   writes a package; each member is named after its file's base name\n"
    "list     prints each member's name, size and data offset\n"
    "extract  writes the members asked for (all when none is named) into DIR\n"
    "         (default: the current directory)\n"
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

int Extract(const std::vector<std::string>& args, unsigned char key) {
    std::vector<std::string> wanted;
    std::string directory = ".";
    std::string package;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-C") {
            if (i + 1 >= args.size()) return Fail("-C needs a directory");
            directory = args[++i];
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
    if (wanted.empty()) {
        int64_t entries = ForEachPackageEntry(stream, [&](const PackageEntry& entry, int64_t) {
            char name[81];
            EntryNameCopy(entry, name);
            wanted.push_back(name);
            return true;
        });
        if (entries < 0) {
            std::fclose(stream);
            return Fail(package + ": the directory is cut short or unreadable");
        }
    }
    int failures = 0;
    for (const std::string& name : wanted) {
        if (!IsSafeMemberName(name.c_str())) {
            std::fprintf(stderr, "orvik-pack: skipping unsafe member name '%s'\n", name.c_str());
            ++failures;
            continue;
        }
        PackageMember member{};
        if (!FindPackageMember(stream, name.c_str(), nullptr, &member)) {
            std::fprintf(stderr, "orvik-pack: no member %s in %s\n", name.c_str(), package.c_str());
            ++failures;
            continue;
        }
        std::string out = directory + "/" + name;
        if (!CopyPackageMember(stream, member, key, out.c_str())) {
            std::fprintf(stderr, "orvik-pack: cannot create %s: %s\n", out.c_str(), std::strerror(errno));
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
