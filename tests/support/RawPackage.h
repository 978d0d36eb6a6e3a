// Builds data packages byte by byte, damaged ones included, for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RawEntry {
    std::string name;  // up to 80 bytes; exactly 80 leaves no terminating zero
    int32_t size;
};

// Adds the key to every byte, as the package stores member data.
std::string ScrambleBytes(const std::string& plain, unsigned char key);

// Count word L, the directory entries, then dataArea exactly as given.
std::string BuildRawPackage(int32_t last, const std::vector<RawEntry>& entries, const std::string& dataArea);

// A well-formed package of the named members, scrambled with key.
std::string BuildPackage(const std::vector<std::pair<std::string, std::string>>& members, unsigned char key);

// A GAME.CFG for a small 160 x 120 device: linear filter, solid fill, textures on, fog off.
extern const char* const kSmallConfig;
