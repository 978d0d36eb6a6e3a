#include <cctype>
#include <cstdio>

#include "data/DataPackage.h"
#include "platform/files/OwnedFiles.h"
#include "platform/files/RegularFile.h"

namespace {

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
    // MAP.MBM is still on disk and names the texture files. Only files this run
    // extracted, and that are still the files it wrote, are removed.
    std::FILE* map = OpenRegularFile("MAP.MBM", "r");
    if (map != nullptr) {
        int count = 0;
        if (std::fscanf(map, "%d", &count) == 1) {
            for (int i = 0; i < count; ++i) {
                char name[256];
                bool tooLong = false;
                if (!ReadName(map, name, &tooLong)) break;
                if (!tooLong) ownedFiles.Remove(name);
            }
        }
        std::fclose(map);
    }
    ownedFiles.Remove("SOUND.WAV");
    ownedFiles.Remove("GAME.CFG");
    ownedFiles.Remove("MAP.MBM");
    ownedFiles.Remove("RC.DEM");
    // MAP.MBM may have been changed or removed meanwhile: whatever else this
    // run extracted goes too, and then the journal.
    ownedFiles.RemoveAll();
}
