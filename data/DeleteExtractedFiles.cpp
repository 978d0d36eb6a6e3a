#include <cctype>
#include <cstdio>

#include "data/DataPackage.h"
#include "data/ExtractedFileList.h"
#include "data/MemberName.h"

namespace {

void RemoveIfExtracted(const char* name) {
    if (IsSafeMemberName(name) && extractedFiles.Contains(name)) std::remove(name);
}

// Reads one white-space separated token of at most 255 characters; a longer
// token is read to its end and reported as too long.
bool ReadName(std::FILE* file, char (&name)[256], bool* tooLong) {
    if (std::fscanf(file, "%255s", name) != 1) return false;
    *tooLong = false;
    int next = std::fgetc(file);
    while (next != EOF && !std::isspace(next)) {
        *tooLong = true;
        next = std::fgetc(file);
    }
    return true;
}

}  // namespace

void DeleteExtractedFiles() {
    // MAP.MBM is still on disk and names the texture files.
    std::FILE* map = std::fopen("MAP.MBM", "r");
    if (map != nullptr) {
        int count = 0;
        if (std::fscanf(map, "%d", &count) == 1) {
            for (int i = 0; i < count; ++i) {
                char name[256];
                bool tooLong = false;
                if (!ReadName(map, name, &tooLong)) break;
                if (!tooLong) RemoveIfExtracted(name);
            }
        }
        std::fclose(map);
    }
    RemoveIfExtracted("SOUND.WAV");
    RemoveIfExtracted("GAME.CFG");
    RemoveIfExtracted("MAP.MBM");
    RemoveIfExtracted("RC.DEM");
}
