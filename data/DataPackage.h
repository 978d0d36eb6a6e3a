// The reader of the scrambled data package DATA.MBP.
#pragma once

#include <cstdio>

#include "data/PackageEntry.h"

class DataPackage {
public:
    std::FILE* stream;    // the package, open for binary reading; null until Open
    PackageEntry entry;   // the directory entry read last

    DataPackage() : stream(nullptr), entry{} {}
    void Open(const char* fileName);
    // True when the package is open and its count word can be read.
    bool IsReadable();
    // Writes the named member, unscrambled, to a file of that name in the working directory.
    void Extract(const char* memberName);
    void Close();
};

extern DataPackage dataPackage;  // defined with the other globals in shell/Globals.cpp

// Removes the files this run extracted: each texture named in MAP.MBM, then
// SOUND.WAV, GAME.CFG, MAP.MBM and RC.DEM.
void DeleteExtractedFiles();
