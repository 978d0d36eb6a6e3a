// The sample music: a short synthesised phrase that loops without a seam.
#pragma once

#include <cstdint>
#include <vector>

// 16-bit mono PCM WAV of the given length; every note is a whole number of
// cycles and the phrase ends where it begins, so repetition is seamless.
std::vector<uint8_t> BuildSampleSound(int sampleRate, int beats);
