#include "tools/orvik-fly/PathRecorder.h"

#include <cmath>

bool PathRecorder::Open(const char* fileName) {
    stream = std::fopen(fileName, "w");
    failed = stream == nullptr;
    return stream != nullptr;
}

void PathRecorder::WritePose(const float* pose) {
    if (stream == nullptr) return;
    // Nine significant digits give back the very same 32-bit float when read.
    // A value that is not a number cannot be read back; it is written as 0.
    double values[6];
    for (int i = 0; i < 6; ++i) values[i] = std::isfinite(pose[i]) ? pose[i] : 0.0;
    if (std::fprintf(stream, "P %.9g %.9g %.9g %.9g %.9g %.9g\n", values[0], values[1], values[2], values[3],
                     values[4], values[5]) < 0)
        failed = true;
}

bool PathRecorder::Close() {
    if (stream == nullptr) return false;
    if (std::fputs("T\n", stream) < 0) failed = true;
    if (std::fclose(stream) != 0) failed = true;
    stream = nullptr;
    return !failed;
}
