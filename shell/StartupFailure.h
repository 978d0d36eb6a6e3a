#pragma once

// Tells the user that a file the viewer needs is missing or unreadable: a
// message box (its text also goes to standard error) naming the file.
void ReportMissingFile(const char* fileName);

// Tells the user that no 3D device of the configured size could be created.
void ReportNoDevice();
