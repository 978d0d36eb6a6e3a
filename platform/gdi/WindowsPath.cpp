#include "platform/gdi/WindowsPath.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <vector>

namespace {

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// The entry of folder whose name equals part without regard to case, or "".
std::string FindEntry(const std::string& folder, const std::string& part) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return "";
    std::string found;
    while (dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, part.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

}  // namespace

std::string NativePathOf(const char* windowsName) {
    if (windowsName == nullptr) return "";
    std::string path(windowsName);
    for (char& c : path)
        if (c == '\\') c = '/';
    if (path.empty() || Exists(path)) return path;
    std::vector<std::string> parts;
    size_t start = 0;
    bool absolute = path[0] == '/';
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    std::string resolved = absolute ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i) {
        std::string next = resolved + parts[i];
        if (parts[i] != "." && parts[i] != ".." && !Exists(next)) {
            std::string entry = FindEntry(resolved, parts[i]);
            if (entry.empty()) return path;
            next = resolved + entry;
        }
        resolved = next;
        if (i + 1 < parts.size()) resolved += '/';
    }
    return resolved;
}
