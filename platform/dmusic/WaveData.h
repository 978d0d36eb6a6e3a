// A wave file decoded for mixing: 32-bit float samples, one or two channels
// interleaved, at the file's own rate.
#pragma once

#include <memory>
#include <vector>

#include "platform/win32/windows.h"

struct WaveData {
    int rate = 0;
    int channels = 0;
    std::vector<float> samples;

    size_t Frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// Reads a RIFF wave file (PCM of 8 or 16 bits and whatever else SDL decodes).
// Answers S_OK, or the loader's codes for a file that cannot be opened or read.
HRESULT LoadWaveFile(const char* path, std::shared_ptr<const WaveData>* wave);
