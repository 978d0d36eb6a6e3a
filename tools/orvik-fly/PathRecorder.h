// Writes a camera path in the RC.DEM format: one line per pose, a marker and
// eye and target, then the end marker "T" on a line of its own.
#pragma once

#include <cstdio>

class PathRecorder {
public:
    std::FILE* stream;  // open between Open and Close
    bool failed;        // a write went wrong

    PathRecorder() : stream(nullptr), failed(false) {}

    bool Open(const char* fileName);
    // Records the eye and target of a camera pose (its first six floats).
    void WritePose(const float* pose);
    // Writes the end marker and closes; false when anything could not be written.
    bool Close();
};
