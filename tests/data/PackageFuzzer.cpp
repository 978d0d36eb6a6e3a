// libFuzzer target: the package reader on arbitrary packages, extracting into a
// private directory. Aborts on any file written that is not a safe requested
// member name, on anything written outside the directory, and on any
// extracted file left after DeleteExtractedFiles.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "data/DataPackage.h"
#include "data/MemberName.h"
#include "platform/files/OwnedFiles.h"

namespace {

std::set<std::string> List(const char* path) {
    std::set<std::string> names;
    DIR* dir = opendir(path);
    if (dir == nullptr) std::abort();
    while (dirent* entry = readdir(dir))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) names.insert(entry->d_name);
    closedir(dir);
    return names;
}

std::string parentPath;

void RemoveParent() {
    unlink((parentPath + "/work/DATA.MBP").c_str());
    rmdir((parentPath + "/work").c_str());
    rmdir(parentPath.c_str());
}

// A private parent holding the working directory "work", made once; in memory
// where the system has it, since every extraction syncs the journal.
const std::string& Parent() {
    if (parentPath.empty()) {
        struct stat info;
        std::string pattern = stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode) ? "/dev/shm" : "/tmp";
        pattern += "/orvik-package-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        parentPath = pattern;
        std::string work = parentPath + "/work";
        if (mkdir(work.c_str(), 0700) != 0 || chdir(work.c_str()) != 0) std::abort();
        std::atexit(RemoveParent);
    }
    return parentPath;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& parent = Parent();
    std::FILE* package = std::fopen("DATA.MBP", "wb");
    if (package == nullptr || std::fwrite(data, 1, size, package) != size || std::fclose(package) != 0) std::abort();

    // The viewer's own requests, hostile ones, and names the input's directory holds.
    std::set<std::string> requested = {"GAME.CFG", "MAP.MBM", "RC.DEM", "SOUND.WAV", "DATA.MBP",
                                       ".orvik-extracted", "../escape", "/tmp/orvik-absolute", ".", "a\\b"};
    for (size_t offset = 4; offset + 84 <= size && requested.size() < 26; offset += 84) {
        char name[81] = {};
        std::memcpy(name, data + offset, 80);
        requested.insert(name);
    }
    dataPackage = DataPackage();
    ownedFiles = OwnedFiles();
    dataPackage.Open("DATA.MBP");
    for (const std::string& name : requested) dataPackage.Extract(name.c_str());
    dataPackage.Close();

    for (const std::string& name : List(".")) {
        if (name == "DATA.MBP" || name == EXTRACTION_JOURNAL) continue;
        bool safe = IsSafeMemberName(name.c_str()) && !OwnedFiles::IsReservedName(name.c_str());
        if (!safe || requested.count(name) == 0) std::abort();
    }
    if (List(parent.c_str()) != std::set<std::string>{"work"}) std::abort();

    DeleteExtractedFiles();
    if (List(".") != std::set<std::string>{"DATA.MBP"}) std::abort();
    unlink("DATA.MBP");
    return 0;
}
