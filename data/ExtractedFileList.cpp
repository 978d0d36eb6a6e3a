#include "data/ExtractedFileList.h"

#include <cstring>

ExtractedFileList::ExtractedFileList() : names{}, count(0) {}

void ExtractedFileList::Add(const char* name) {
    if (Contains(name) || count >= MAX_EXTRACTED_FILES || std::strlen(name) >= sizeof names[0]) return;
    std::strcpy(names[count++], name);
}

bool ExtractedFileList::Contains(const char* name) const {
    for (int i = 0; i < count; ++i)
        if (std::strcmp(names[i], name) == 0) return true;
    return false;
}
