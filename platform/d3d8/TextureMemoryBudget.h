// The memory a device lets its textures take. Creating a texture reserves its
// cost and fails when the budget has no room; destroying it gives the cost back.
#pragma once

#include <cstdint>

class TextureMemoryBudget {
public:
    void SetLimit(uint64_t bytes) { limit_ = bytes; }
    uint64_t Limit() const { return limit_; }
    uint64_t Left() const { return used_ < limit_ ? limit_ - used_ : 0; }

    bool Reserve(uint64_t bytes) {
        if (bytes > Left()) return false;
        used_ += bytes;
        return true;
    }
    void Return(uint64_t bytes) { used_ = bytes < used_ ? used_ - bytes : 0; }

    // ORVIK_TEXTURE_MEMORY_MB when set; otherwise half of physical memory, and no
    // more than three quarters of the address space a limit (ulimit -v) allows,
    // so that the GL copies and the rest of the process still find room.
    static uint64_t ConfiguredLimit();

private:
    uint64_t limit_ = 0;
    uint64_t used_ = 0;
};
