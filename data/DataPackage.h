// The reader of the scrambled data package DATA.MBP.
#pragma once

#include <cstdio>

#include "data/PackageEntry.h"

// Why an extraction stopped the start-up.
enum class ExtractFailure {
    None,
    Conflict,      // a file of the member's name that this program did not make, with other bytes
    JournalTaken,  // the journal's name is taken by a file that is not this program's journal
    WriteFailed,   // the member could not be written in full (failureError says why)
    Busy,          // another viewer is using this working directory
};

// The hidden file in the working directory listing what this program extracted.
constexpr const char* EXTRACTION_JOURNAL = ".orvik-extracted";

class DataPackage {
public:
    std::FILE* stream;    // the package, open for binary reading; null until Open
    PackageEntry entry;   // the directory entry read last
    char packageName[80]; // the package's own file name, which is never extracted
    ExtractFailure failure;
    int failureError;     // errno of a failed write
    char failureName[80]; // the file a failure concerns

    DataPackage() : stream(nullptr), entry{}, packageName{}, failure(ExtractFailure::None), failureError(0),
                    failureName{} {}
    // Opens the package and takes over the extraction journal (files an earlier,
    // interrupted run left are removed).
    void Open(const char* fileName);
    // True when the package is open and its count word can be read.
    bool IsReadable();
    // Writes the named member, unscrambled, to a new file of that name in the
    // working directory. A file already there that this program did not make is
    // never replaced: if it holds exactly the member's bytes it is used as it
    // is (and kept at shutdown), otherwise failure is set and nothing more is
    // extracted.
    void Extract(const char* memberName);
    void Close();
};

extern DataPackage dataPackage;  // defined with the other globals in shell/Globals.cpp

// Removes the files this run extracted: each texture named in MAP.MBM, then
// SOUND.WAV, GAME.CFG, MAP.MBM and RC.DEM, then anything else it extracted.
// A file that is no longer the one extracted (replaced meanwhile) is left.
void DeleteExtractedFiles();
