// A wave file decoded for mixing: 32-bit float samples, one or two channels
// interleaved, at the file's own rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/win32/windows.h"

struct WaveData {
    int rate = 0;
    int channels = 0;
    std::vector<float> samples;

    size_t Frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// What the mixer takes: the float copy of a wave is at most 1 GiB (2^28
// samples, about 50 minutes of 44.1 kHz stereo); rates of 1 Hz to 384 kHz;
// 1 to 8 channels, more than two mixed down to stereo.
constexpr uint64_t MAX_WAVE_FLOAT_BYTES = uint64_t{1} << 30;
constexpr uint32_t MAX_WAVE_RATE = 384000;
constexpr uint16_t MAX_WAVE_CHANNELS = 8;
// Frames converted at a time, so that no conversion buffer grows with the wave.
constexpr size_t WAVE_PIECE_FRAMES = 65536;

// Reads a RIFF wave file: PCM of 8, 16, 24 or 32 bits, 32-bit float, and the
// compressed formats SDL decodes. A name that is no regular file fails at once.
// Answers S_OK, DMUS_E_LOADER_FAILEDOPEN for a file that cannot be opened,
// DMUS_E_LOADER_FORMATNOTSUPPORTED for one that is no playable wave, and
// E_OUTOFMEMORY for one beyond the limits above or the memory at hand, which
// is also said in one line on standard error.
HRESULT LoadWaveFile(const char* path, std::shared_ptr<const WaveData>* wave);

// The same for a file's bytes in memory; name (or null for silence) is what
// the line on standard error calls it.
HRESULT LoadWaveMemory(const uint8_t* bytes, size_t size, const char* name, std::shared_ptr<const WaveData>* wave,
                       size_t pieceFrames = WAVE_PIECE_FRAMES);
