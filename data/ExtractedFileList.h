// The names of the files this run extracted, so that shutdown removes those
// and never a user's own file that merely shares a listed name.
#pragma once

constexpr int MAX_EXTRACTED_FILES = 48;  // three text files, the music and 40 textures, with room to spare

class ExtractedFileList {
public:
    char names[MAX_EXTRACTED_FILES][80];
    int count;

    ExtractedFileList();
    void Add(const char* name);
    bool Contains(const char* name) const;
};

extern ExtractedFileList extractedFiles;  // defined with the other globals in shell/Globals.cpp
