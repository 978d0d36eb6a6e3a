#include "tools/orvik-play/LaunchTarget.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "data/PackageDirectory.h"
#include "platform/files/RegularFile.h"

namespace {

constexpr const char* PACKAGE_NAME = "DATA.MBP";

std::string BaseName(const std::string& path) {
    size_t end = path.find_last_not_of('/');
    if (end == std::string::npos) return "/";
    size_t slash = path.find_last_of('/', end);
    return path.substr(slash == std::string::npos ? 0 : slash + 1, end - (slash == std::string::npos ? 0 : slash + 1) + 1);
}

std::string DirName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// A file of the package's name in another letter case, for the message.
std::string OtherCasePackage(const std::string& directory) {
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) return "";
    std::string found;
    while (dirent* entry = ::readdir(dir))
        if (::strcasecmp(entry->d_name, PACKAGE_NAME) == 0 && std::strcmp(entry->d_name, PACKAGE_NAME) != 0)
            found = entry->d_name;
    ::closedir(dir);
    return found;
}

// Whether the package's directory reads and names the three files the
// viewer needs to start: a damaged file, or one written with another key,
// fails here.
bool LooksLikeLevel(const std::string& package, std::string* problem) {
    std::FILE* stream = OpenRegularFile(package.c_str(), "rb");
    if (stream == nullptr) {
        *problem = package + " cannot be read: " + std::strerror(errno);
        return false;
    }
    bool config = false, map = false, path = false;
    int64_t entries = ForEachPackageEntry(stream, [&](const PackageEntry& entry, int64_t) {
        config = config || EntryNameEquals(entry, "GAME.CFG");
        map = map || EntryNameEquals(entry, "MAP.MBM");
        path = path || EntryNameEquals(entry, "RC.DEM");
        return true;
    });
    std::fclose(stream);
    if (entries < 0) {
        *problem = package + " is not a level package: its directory of members is missing or cut short";
        return false;
    }
    if (!config || !map || !path) {
        *problem = package + " holds no level: it lacks " +
                   std::string(!config ? "GAME.CFG" : (!map ? "MAP.MBM" : "RC.DEM")) +
                   " (orvik-level check " + package + " tells more)";
        return false;
    }
    return true;
}

}  // namespace

bool FindLaunchTarget(const std::string& path, LaunchTarget* target, std::string* problem) {
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0) {
        *problem = (path.empty() ? std::string("an empty path") : path) + ": no such file or directory";
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        target->directory = path;
        target->package = path + (path.back() == '/' ? "" : "/") + PACKAGE_NAME;
        struct stat package;
        if (::stat(target->package.c_str(), &package) != 0) {
            std::string other = OtherCasePackage(path);
            *problem = path + " holds no level package " + PACKAGE_NAME +
                       (other.empty() ? "" : " (only " + other + ": the name must be written in capitals)");
            return false;
        }
    } else {
        std::string name = BaseName(path);
        if (name != PACKAGE_NAME) {
            *problem = path + " is not named " + PACKAGE_NAME + ": the viewer plays only a package of that name, " +
                       "so rename it or put it into a directory of its own as " + PACKAGE_NAME;
            return false;
        }
        target->directory = DirName(path);
        target->package = path;
    }
    if (!LooksLikeLevel(target->package, problem)) return false;
    if (::access(target->directory.c_str(), W_OK | X_OK) != 0) {
        *problem = "the viewer unpacks the level into " + target->directory + " while it plays, but that directory " +
                   "cannot be written: " + std::strerror(errno);
        return false;
    }
    return true;
}

namespace {

std::string ProgramDirectory() {
    char self[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "";
    self[n] = '\0';
    return DirName(self);
}

bool SameBytes(const std::string& a, const std::string& b) {
    std::FILE* x = std::fopen(a.c_str(), "rb");
    std::FILE* y = std::fopen(b.c_str(), "rb");
    bool same = x != nullptr && y != nullptr;
    while (same) {
        int c = std::fgetc(x);
        if (c != std::fgetc(y)) same = false;
        if (c == EOF) break;
    }
    if (x != nullptr) std::fclose(x);
    if (y != nullptr) std::fclose(y);
    return same;
}

// Makes each missing directory of path.
bool MakeDirectories(const std::string& path) {
    for (size_t at = 1; at <= path.size(); ++at) {
        if (at != path.size() && path[at] != '/') continue;
        std::string part = path.substr(0, at);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    return true;
}

// Copies from to a new file beside to, then renames it over to.
bool CopyFile(const std::string& from, const std::string& to, std::string* problem) {
    std::string partial = to + ".part";
    std::FILE* in = std::fopen(from.c_str(), "rb");
    std::FILE* out = in == nullptr ? nullptr : std::fopen(partial.c_str(), "wb");
    bool ok = out != nullptr;
    char buffer[65536];
    size_t got;
    while (ok && (got = std::fread(buffer, 1, sizeof buffer, in)) > 0) ok = std::fwrite(buffer, 1, got, out) == got;
    ok = ok && !std::ferror(in);
    int error = errno;
    if (out != nullptr && std::fclose(out) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (in != nullptr) std::fclose(in);
    if (ok && std::rename(partial.c_str(), to.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(partial.c_str());
        *problem = "cannot copy the sample level to " + to + ": " + std::strerror(error);
    }
    return ok;
}

}  // namespace

bool PrepareSampleLevel(LaunchTarget* target, std::string* problem) {
    std::string here = ProgramDirectory();
    std::string sample;
    // Installed under share/orvik; in the build tree beside the packaging rules.
    for (const std::string& candidate : {here + "/../share/orvik/DATA.MBP", here + "/../../packaging/DATA.MBP"})
        if (::access(candidate.c_str(), R_OK) == 0) {
            sample = candidate;
            break;
        }
    if (sample.empty()) {
        *problem = "no level given, and the sample level that comes with Orvik is not installed; "
                   "give a DATA.MBP or a directory holding one";
        return false;
    }
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    std::string base;
    if (data != nullptr && data[0] == '/') base = data;
    else if (home != nullptr && home[0] == '/') base = std::string(home) + "/.local/share";
    else {
        *problem = "no level given, and there is no home directory to play the sample level in";
        return false;
    }
    target->directory = base + "/orvik/sample";
    target->package = target->directory + "/DATA.MBP";
    if (!MakeDirectories(target->directory)) {
        *problem = "cannot make " + target->directory + ": " + std::strerror(errno);
        return false;
    }
    if (!SameBytes(sample, target->package) && !CopyFile(sample, target->package, problem)) return false;
    return true;
}

std::string FindViewer() {
    std::string here = ProgramDirectory();
    // Installed side by side; in the build tree the viewer is shell/orvik.
    for (const std::string& candidate : {here + "/orvik", here + "/../../shell/orvik"})
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    return "";
}
