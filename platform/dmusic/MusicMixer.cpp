#include "platform/dmusic/MusicMixer.h"

#include <algorithm>
#include <cstring>

#include "platform/dmusic/dmusici.h"

MusicMixer::~MusicMixer() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
}

bool MusicMixer::Open(int rate) {
    SDL_AudioSpec desired{};
    desired.freq = rate;
    desired.format = AUDIO_F32SYS;
    desired.channels = 2;
    desired.samples = 1024;
    desired.callback = Callback;
    desired.userdata = this;
    // SDL converts the float stereo mix to whatever the device takes; the rate
    // may follow the device, since voices are stepped to it here.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &desired, &obtained_, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device_ == 0) return false;
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

uint64_t MusicMixer::Start(const VoiceStart& start) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!start.secondary)
        for (Voice& voice : voices_)
            if (!voice.start.secondary) voice.finished = true;
    Voice voice{};
    voice.id = nextId_++;
    voice.start = start;
    int waveRate = start.wave != nullptr ? start.wave->rate : obtained_.freq;
    voice.step = obtained_.freq > 0 ? (static_cast<uint64_t>(waveRate) << 32) / static_cast<uint64_t>(obtained_.freq)
                                    : (uint64_t{1} << 32);
    voice.repeatsLeft = start.repeats;
    // A wave with no frames has nothing to repeat.
    voice.finished = start.wave == nullptr || start.wave->Frames() == 0;
    voices_.push_back(voice);
    return voice.id;
}

void MusicMixer::StopAll() {
    std::lock_guard<std::mutex> guard(lock_);
    voices_.clear();
}

void MusicMixer::StopSegment(const void* segment) {
    std::lock_guard<std::mutex> guard(lock_);
    for (Voice& voice : voices_)
        if (voice.start.segment == segment) voice.finished = true;
}

void MusicMixer::StopVoice(uint64_t id) {
    std::lock_guard<std::mutex> guard(lock_);
    for (Voice& voice : voices_)
        if (voice.id == id) voice.finished = true;
}

bool MusicMixer::IsPlaying(const void* segment, uint64_t id) {
    std::lock_guard<std::mutex> guard(lock_);
    for (const Voice& voice : voices_)
        if (!voice.finished && (voice.start.segment == segment || (id != 0 && voice.id == id))) return true;
    return false;
}

void MusicMixer::Callback(void* mixer, Uint8* stream, int length) {
    static_cast<MusicMixer*>(mixer)->Mix(reinterpret_cast<float*>(stream),
                                         length / static_cast<int>(2 * sizeof(float)));
}

void MusicMixer::Mix(float* out, int frames) {
    std::memset(out, 0, static_cast<size_t>(frames) * 2 * sizeof(float));
    std::lock_guard<std::mutex> guard(lock_);
    for (Voice& voice : voices_) {
        if (voice.finished) continue;
        const WaveData& wave = *voice.start.wave;
        const BufferState& buffer = *voice.start.buffer;
        const uint64_t frameCount = wave.Frames();
        const float gain = buffer.active.load() && !voice.start.muted ? buffer.gain.load() : 0.0f;
        const float* samples = wave.samples.data();
        const int channels = wave.channels;
        for (int i = 0; i < frames; ++i) {
            uint64_t index = voice.position >> 32;
            float fraction = static_cast<float>(voice.position & 0xFFFFFFFFu) * (1.0f / 4294967296.0f);
            // The frame after the last is the first when another repeat follows.
            uint64_t next = index + 1;
            if (next >= frameCount) next = voice.repeatsLeft != 0 ? 0 : index;
            float left = samples[index * channels];
            float right = samples[index * channels + channels - 1];
            if (fraction != 0.0f) {
                left += (samples[next * channels] - left) * fraction;
                right += (samples[next * channels + channels - 1] - right) * fraction;
            }
            if (buffer.channels == 1) left = right = channels == 1 ? left : 0.5f * (left + right);
            out[2 * i] += left * gain;
            out[2 * i + 1] += right * gain;

            voice.position += voice.step;
            // A step can pass more than one end when the wave is shorter than a step.
            while ((voice.position >> 32) >= frameCount) {
                if (voice.repeatsLeft == 0) {
                    voice.finished = true;
                    break;
                }
                voice.position -= frameCount << 32;
                if (voice.repeatsLeft != DMUS_SEG_REPEAT_INFINITE) --voice.repeatsLeft;
            }
            if (voice.finished) break;
        }
    }
    voices_.erase(std::remove_if(voices_.begin(), voices_.end(), [](const Voice& v) { return v.finished; }),
                  voices_.end());
    for (int i = 0; i < 2 * frames; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
}
