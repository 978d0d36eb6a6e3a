#include "tools/orvik-fly/FlightRecording.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {

// The package the flight is read from; recording over it would destroy the level.
const char* const kPackageName = "DATA.MBP";

}  // namespace

bool FlightRecording::Begin(const std::string& name, std::string* error) {
    fileName = name;
    // Same-file and file-type checks through std::filesystem: Windows' stat has no
    // inode numbers to compare.
    std::error_code failure;
    std::filesystem::file_status target = std::filesystem::status(name, failure);
    if (std::filesystem::exists(target)) {
        if (std::filesystem::equivalent(name, kPackageName, failure)) {
            *error = name + " is the data package; record into another file";
            return false;
        }
        if (!std::filesystem::is_regular_file(target)) {
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
#ifndef _WIN32
    // mkstemp makes the file private; the recording gets the usual permissions.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
#endif
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
    // std::filesystem::rename replaces an existing file on Windows too, as rename does on POSIX.
    std::error_code failure;
    std::filesystem::rename(partName, fileName, failure);
    if (failure) {
        *error = "cannot name the path " + fileName + " (" + failure.message() + "); it is kept as " + partName;
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
