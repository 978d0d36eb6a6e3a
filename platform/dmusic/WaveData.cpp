#include "platform/dmusic/WaveData.h"

#include <SDL.h>

#include <cstring>

#include "platform/dmusic/dmusici.h"

HRESULT LoadWaveFile(const char* path, std::shared_ptr<const WaveData>* wave) {
    SDL_RWops* file = SDL_RWFromFile(path, "rb");
    if (file == nullptr) return DMUS_E_LOADER_FAILEDOPEN;
    SDL_AudioSpec spec{};
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV_RW(file, 1, &spec, &data, &length) == nullptr) return DMUS_E_LOADER_FORMATNOTSUPPORTED;

    // Same rate; float samples; more than two channels mixed down to stereo.
    int channels = spec.channels > 2 ? 2 : spec.channels;
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, AUDIO_F32SYS, channels, spec.freq) < 0) {
        SDL_FreeWAV(data);
        return DMUS_E_LOADER_FORMATNOTSUPPORTED;
    }
    std::vector<Uint8> buffer(static_cast<size_t>(length) * (cvt.len_mult > 0 ? cvt.len_mult : 1));
    if (length > 0) std::memcpy(buffer.data(), data, length);
    SDL_FreeWAV(data);
    cvt.buf = buffer.data();
    cvt.len = static_cast<int>(length);
    if (cvt.needed && SDL_ConvertAudio(&cvt) < 0) return DMUS_E_LOADER_FORMATNOTSUPPORTED;
    size_t bytes = cvt.needed ? static_cast<size_t>(cvt.len_cvt) : length;

    auto decoded = std::make_shared<WaveData>();
    decoded->rate = spec.freq;
    decoded->channels = channels;
    size_t frames = bytes / (sizeof(float) * channels);
    decoded->samples.resize(frames * channels);
    if (frames > 0) std::memcpy(decoded->samples.data(), buffer.data(), frames * channels * sizeof(float));
    *wave = std::move(decoded);
    return S_OK;
}
