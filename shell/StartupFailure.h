#pragma once

// Tells the user that a file the viewer needs is missing or unreadable: a
// message box (its text also goes to standard error) naming the file.
void ReportMissingFile(const char* fileName);

// Tells the user that no 3D device of the configured size could be created.
void ReportNoDevice();

#include "data/DataPackage.h"

// Tells the user why a member could not be extracted: a file of the user's is
// in the way, the journal's name is taken, another viewer uses the directory,
// or the member could not be written (error is the system's error number).
void ReportExtractFailure(ExtractFailure failure, const char* fileName, int error);
