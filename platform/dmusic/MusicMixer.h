// The sound device of a performance and the voices it mixes in the background
// (SDL's audio thread). Each voice steps through its wave at the device rate,
// wrapping to the start for every repeat, so a loop has no gap or click.
#pragma once

#include <SDL.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dmusic/WaveData.h"

// The sound buffer at the end of an audio path.
struct BufferState {
    explicit BufferState(int channelCount) : channels(channelCount) {}
    const int channels;              // 1: a mono buffer mixes the voice down
    std::atomic<float> gain{1.0f};   // from the buffer's volume
    std::atomic<bool> active{true};  // an inactive path is silent
    std::atomic<bool> closed{false}; // its performance has closed down
};

struct VoiceStart {
    std::shared_ptr<const WaveData> wave;  // null: nothing to play
    std::shared_ptr<BufferState> buffer;
    uint32_t repeats = 0;                  // DMUS_SEG_REPEAT_INFINITE for ever
    const void* segment = nullptr;         // identifies the segment that plays
    bool secondary = false;
    bool muted = false;                    // plays its length in silence
};

class MusicMixer {
public:
    MusicMixer() = default;
    ~MusicMixer();
    MusicMixer(const MusicMixer&) = delete;
    MusicMixer& operator=(const MusicMixer&) = delete;

    // Opens the default output device, asking for this rate; false if there is none.
    bool Open(int rate);
    int Rate() const { return obtained_.freq; }

    // Starts a voice and returns its id. A primary voice ends the primary voice playing.
    uint64_t Start(const VoiceStart& start);
    // Stops voices at once: all, those of one segment, or one by id.
    void StopAll();
    void StopSegment(const void* segment);
    void StopVoice(uint64_t id);
    bool IsPlaying(const void* segment, uint64_t id);

    // Mixes frames of stereo float into out; what the device callback runs.
    void Mix(float* out, int frames);

private:
    struct Voice {
        uint64_t id;
        VoiceStart start;
        uint64_t position;  // frames, 32.32 fixed point
        uint64_t step;      // wave rate / device rate, 32.32
        uint32_t repeatsLeft;
        bool finished;
    };

    static void Callback(void* mixer, Uint8* stream, int length);

    std::mutex lock_;
    std::vector<Voice> voices_;
    uint64_t nextId_ = 1;
    SDL_AudioDeviceID device_ = 0;
    SDL_AudioSpec obtained_{};
};
