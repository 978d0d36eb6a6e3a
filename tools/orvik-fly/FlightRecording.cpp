#include "tools/orvik-fly/FlightRecording.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The package the flight is read from; recording over it would destroy the level.
const char* const kPackageName = "DATA.MBP";

}  // namespace

bool FlightRecording::Begin(const std::string& name, std::string* error) {
    fileName = name;
    struct stat target {};
    if (::stat(name.c_str(), &target) == 0) {
        struct stat package {};
        if (::stat(kPackageName, &package) == 0 && package.st_dev == target.st_dev &&
            package.st_ino == target.st_ino) {
            *error = name + " is the data package; record into another file";
            return false;
        }
        if (!S_ISREG(target.st_mode)) {
            *error = name + " is not a plain file";
            return false;
        }
    }
    std::vector<char> pattern(name.begin(), name.end());
    for (char c : std::string(".part-XXXXXX")) pattern.push_back(c);
    pattern.push_back('\0');
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        *error = "cannot write " + name + ": " + std::strerror(errno);
        return false;
    }
    // mkstemp makes the file private; the recording gets the usual permissions.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    partName = pattern.data();
    if (!recorder.Open(partName.c_str())) {
        *error = "cannot write " + partName + ": " + std::strerror(errno);
        std::remove(partName.c_str());
        partName.clear();
        return false;
    }
    return true;
}

bool FlightRecording::Finish(std::string* error) {
    if (partName.empty()) return false;
    if (!recorder.Close()) {
        // What was written may still be of use; it stays under the temporary name.
        *error = "writing the path failed; what was written is kept as " + partName;
        partName.clear();
        return false;
    }
    if (std::rename(partName.c_str(), fileName.c_str()) != 0) {
        *error = "cannot name the path " + fileName + " (" + std::strerror(errno) + "); it is kept as " + partName;
        partName.clear();
        return false;
    }
    partName.clear();
    return true;
}

void FlightRecording::Discard() {
    if (partName.empty()) return;
    recorder.Close();
    std::remove(partName.c_str());
    partName.clear();
}
