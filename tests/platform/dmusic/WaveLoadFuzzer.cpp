// libFuzzer target: a wave file's bytes through the loading path and the mixer,
// as the music plays them: loaded, started as a looping voice on a mono and a
// stereo buffer, and mixed for a few device periods (no audio device needed).
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/dmusic/MusicMixer.h"
#include "platform/dmusic/WaveData.h"
#include "platform/dmusic/dmusici.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::shared_ptr<const WaveData> wave;
    if (FAILED(LoadWaveMemory(data, size, nullptr, &wave, 1024))) return 0;
    if (wave == nullptr || wave->channels < 1 || wave->channels > 2 || wave->Frames() == 0) std::abort();
    if (wave->samples.size() != wave->Frames() * static_cast<size_t>(wave->channels)) std::abort();
    for (int channels = 1; channels <= 2; ++channels) {
        MusicMixer mixer;
        VoiceStart start;
        start.wave = wave;
        start.buffer = std::make_shared<BufferState>(channels);
        start.repeats = DMUS_SEG_REPEAT_INFINITE;
        start.segment = &mixer;
        mixer.Start(start);
        std::vector<float> out(2 * 512);
        for (int period = 0; period < 3; ++period) {
            mixer.Mix(out.data(), 512);
            for (float v : out)
                if (!(v >= -1.0f && v <= 1.0f)) std::abort();
        }
    }
    return 0;
}
