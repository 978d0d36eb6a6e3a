#include "platform/dmusic/WaveHeader.h"

#include <cstring>

namespace {

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t Read32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

bool ParseWaveHeader(const uint8_t* bytes, size_t size, WaveHeader* header) {
    *header = WaveHeader{};
    if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) return false;
    // The RIFF size is not relied on: chunks are read up to the end of the file.
    bool haveFormat = false, haveData = false;
    size_t at = 12;
    while (size - at >= 8 && !(haveFormat && haveData)) {
        const uint8_t* chunk = bytes + at;
        uint64_t length = Read32(chunk + 4);
        size_t body = at + 8;
        size_t held = length < size - body ? static_cast<size_t>(length) : size - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && !haveFormat) {
            if (held < 16) return false;
            const uint8_t* f = bytes + body;
            header->formatTag = Read16(f);
            header->channels = Read16(f + 2);
            header->rate = Read32(f + 4);
            header->blockAlign = Read16(f + 12);
            header->bits = Read16(f + 14);
            // The extensible format names its real one in the first two bytes of its sub-format.
            if (header->formatTag == WAVE_FORMAT_EXTENSIBLE) {
                if (held < 40) return false;
                header->formatTag = Read16(f + 24);
            }
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0 && !haveData) {
            header->dataOffset = body;
            header->dataBytes = held;
            haveData = true;
        }
        // Chunks are padded to an even length; a length past the end ends the walk.
        uint64_t next = static_cast<uint64_t>(body) + length + (length & 1);
        if (next > size) break;
        at = static_cast<size_t>(next);
    }
    return haveFormat && haveData;
}
