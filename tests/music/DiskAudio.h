// Helpers for the music tests: writing wave files and reading what SDL's disk
// audio driver wrote (32-bit float stereo, as the performance mixes).
#pragma once

#include <SDL.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace test_audio {

inline void Put16(std::vector<uint8_t>& out, unsigned value) {
    out.push_back(value & 0xFF);
    out.push_back((value >> 8) & 0xFF);
}

inline void Put32(std::vector<uint8_t>& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// Writes a PCM wave file; samples are interleaved, as stored (unsigned for 8 bits).
inline bool WriteWave(const std::string& path, int rate, int channels, int bits, const std::vector<int>& samples) {
    std::vector<uint8_t> data;
    for (int sample : samples) {
        if (bits == 8) data.push_back(static_cast<uint8_t>(sample));
        else Put16(data, static_cast<uint16_t>(static_cast<int16_t>(sample)));
    }
    std::vector<uint8_t> file;
    for (char c : std::string("RIFF")) file.push_back(c);
    Put32(file, static_cast<uint32_t>(36 + data.size()));
    for (char c : std::string("WAVEfmt ")) file.push_back(c);
    Put32(file, 16);
    Put16(file, 1);
    Put16(file, channels);
    Put32(file, rate);
    Put32(file, rate * channels * bits / 8);
    Put16(file, channels * bits / 8);
    Put16(file, bits);
    for (char c : std::string("data")) file.push_back(c);
    Put32(file, static_cast<uint32_t>(data.size()));
    file.insert(file.end(), data.begin(), data.end());
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    bool ok = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && ok;
}

// A mono 16-bit tone with no zero sample, so gaps in the output show.
inline std::vector<int> Tone(int frames, int amplitude) {
    std::vector<int> samples(frames);
    for (int i = 0; i < frames; ++i) {
        int value = static_cast<int>(amplitude * std::sin(2.0 * M_PI * 3.0 * i / frames));
        samples[i] = value >= 0 ? value + 100 : value - 100;
    }
    return samples;
}

inline long FileSize(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<long>(info.st_size) : -1;
}

// Left channel of the disk driver's output.
inline std::vector<float> ReadLeft(const std::string& path) {
    std::vector<float> left;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) return left;
    float frame[2];
    while (std::fread(frame, sizeof frame, 1, in) == 1) left.push_back(frame[0]);
    std::fclose(in);
    return left;
}

// Where the output first sounds, and how many frames from there follow the
// wave, repeated end to start, sample for sample.
struct LoopMatch {
    size_t start = 0;
    size_t matched = 0;
};

inline LoopMatch MatchRepeatedWave(const std::vector<float>& left, const std::vector<int>& wave, float gain) {
    LoopMatch match;
    while (match.start < left.size() && left[match.start] == 0.0f) ++match.start;
    for (size_t k = match.start; k < left.size(); ++k) {
        float expected = wave[(k - match.start) % wave.size()] / 32768.0f * gain;
        if (std::fabs(left[k] - expected) > 1e-6f) break;
        ++match.matched;
    }
    return match;
}

inline void Wait(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

// A scratch directory, and SDL's disk driver writing into it while this lives.
class DiskAudioScope {
public:
    DiskAudioScope() {
        char pattern[] = "/tmp/orvik-music-XXXXXX";
        directory = mkdtemp(pattern) != nullptr ? pattern : "/tmp";
        output = directory + "/out.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    }
    ~DiskAudioScope() {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_DISKAUDIOFILE");
        std::error_code ignored;
        if (directory != "/tmp") std::filesystem::remove_all(directory, ignored);
    }
    std::string directory;
    std::string output;
};

}  // namespace test_audio
