// The format and the sample data of a RIFF wave file, found without trusting
// any size the file states: every chunk is cut to what the file holds.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint16_t WAVE_FORMAT_PCM = 1;
constexpr uint16_t WAVE_FORMAT_IEEE_FLOAT = 3;
constexpr uint16_t WAVE_FORMAT_EXTENSIBLE = 0xFFFE;

struct WaveHeader {
    uint16_t formatTag = 0;   // for an extensible format, the tag of its sub-format
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t blockAlign = 0;  // bytes of one frame
    uint16_t bits = 0;        // bits of one sample
    size_t dataOffset = 0;    // the data chunk's bytes, as far as the file holds them
    size_t dataBytes = 0;
};

// False when the bytes are not a wave file with a format chunk and a data chunk.
bool ParseWaveHeader(const uint8_t* bytes, size_t size, WaveHeader* header);
