#include "platform/dmusic/WaveData.h"

#include <SDL.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/dmusic/WaveHeader.h"
#include "platform/dmusic/dmusici.h"
#include "platform/win32/ComGuard.h"

namespace {

// Samples as SDL's converter takes them: a format, and how many bytes one
// sample has in the source (three for 24-bit PCM, widened to 32 bits per piece).
struct SampleLayout {
    SDL_AudioFormat format;
    size_t sourceBytes;
};

bool PcmLayout(const WaveHeader& header, SampleLayout* layout) {
    if (header.formatTag == WAVE_FORMAT_IEEE_FLOAT) {
        if (header.bits != 32) return false;
        *layout = {AUDIO_F32LSB, 4};
    } else {
        switch (header.bits) {
        case 8: *layout = {AUDIO_U8, 1}; break;
        case 16: *layout = {AUDIO_S16LSB, 2}; break;
        case 24: *layout = {AUDIO_S32LSB, 3}; break;
        case 32: *layout = {AUDIO_S32LSB, 4}; break;
        default: return false;
        }
    }
    return header.blockAlign == layout->sourceBytes * header.channels;
}

void SayTooLarge(const char* name, uint64_t frames, int channels) {
    if (name == nullptr) return;
    std::fprintf(stderr, "%s: %llu frames of %d channels need more than the %llu MiB the mixer takes; "
                 "the music stays silent\n",
                 name, static_cast<unsigned long long>(frames), channels,
                 static_cast<unsigned long long>(MAX_WAVE_FLOAT_BYTES >> 20));
}

void SayNoMemory(const char* name) {
    if (name != nullptr) std::fprintf(stderr, "%s: not enough memory for the music; it stays silent\n", name);
}

// Converts frames of the layout to float, at most pieceFrames at a time, into wave.
HRESULT ConvertInPieces(const uint8_t* source, size_t frames, const SampleLayout& layout, int channels, int rate,
                        size_t pieceFrames, WaveData* wave) {
    int outChannels = channels > 2 ? 2 : channels;
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, layout.format, static_cast<Uint8>(channels), rate, AUDIO_F32SYS,
                          static_cast<Uint8>(outChannels), rate) < 0)
        return DMUS_E_LOADER_FORMATNOTSUPPORTED;
    wave->rate = rate;
    wave->channels = outChannels;
    wave->samples.reserve(frames * static_cast<size_t>(outChannels));
    if (pieceFrames == 0) pieceFrames = 1;
    size_t workBytes = SDL_AUDIO_BITSIZE(layout.format) / 8 * static_cast<size_t>(channels);
    size_t sourceFrameBytes = layout.sourceBytes * static_cast<size_t>(channels);
    size_t outFrameBytes = sizeof(float) * static_cast<size_t>(outChannels);
    std::vector<Uint8> buffer(pieceFrames * workBytes * static_cast<size_t>(cvt.len_mult > 0 ? cvt.len_mult : 1));
    for (size_t done = 0; done < frames;) {
        size_t count = frames - done < pieceFrames ? frames - done : pieceFrames;
        const uint8_t* in = source + done * sourceFrameBytes;
        if (layout.sourceBytes == 3) {
            // 24-bit samples become the top three bytes of 32-bit ones.
            for (size_t i = 0; i < count * static_cast<size_t>(channels); ++i) {
                buffer[4 * i] = 0;
                std::memcpy(&buffer[4 * i + 1], in + 3 * i, 3);
            }
        } else {
            std::memcpy(buffer.data(), in, count * sourceFrameBytes);
        }
        cvt.buf = buffer.data();
        cvt.len = static_cast<int>(count * workBytes);
        if (cvt.needed && SDL_ConvertAudio(&cvt) < 0) return DMUS_E_LOADER_FORMATNOTSUPPORTED;
        size_t made = cvt.needed ? static_cast<size_t>(cvt.len_cvt) : count * workBytes;
        if (made != count * outFrameBytes) return DMUS_E_LOADER_FORMATNOTSUPPORTED;
        // Float waves may hold NaN or infinite samples: they play as silence.
        float* floats = reinterpret_cast<float*>(buffer.data());
        for (size_t i = 0; i < count * static_cast<size_t>(outChannels); ++i)
            if (!std::isfinite(floats[i])) floats[i] = 0.0f;
        wave->samples.insert(wave->samples.end(), floats, floats + count * static_cast<size_t>(outChannels));
        done += count;
    }
    return S_OK;
}

bool WithinLimits(uint64_t frames, int channels, const char* name) {
    uint64_t outChannels = channels > 2 ? 2 : static_cast<uint64_t>(channels);
    if (frames > MAX_WAVE_FLOAT_BYTES / (sizeof(float) * outChannels)) {
        SayTooLarge(name, frames, channels);
        return false;
    }
    return true;
}

// Compressed formats (ADPCM, A-law, mu-law) are decoded by SDL, then converted
// like PCM once their decoded size has been checked.
HRESULT LoadCompressed(const uint8_t* bytes, size_t size, const char* name, size_t pieceFrames, WaveData* wave) {
    SDL_RWops* stream = SDL_RWFromConstMem(bytes, static_cast<int>(size));
    if (stream == nullptr) return DMUS_E_LOADER_FORMATNOTSUPPORTED;
    SDL_AudioSpec spec{};
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV_RW(stream, 1, &spec, &data, &length) == nullptr) return DMUS_E_LOADER_FORMATNOTSUPPORTED;
    HRESULT result = DMUS_E_LOADER_FORMATNOTSUPPORTED;
    size_t frameBytes = SDL_AUDIO_BITSIZE(spec.format) / 8 * static_cast<size_t>(spec.channels);
    if (frameBytes != 0 && spec.channels <= MAX_WAVE_CHANNELS && spec.freq > 0 &&
        static_cast<uint32_t>(spec.freq) <= MAX_WAVE_RATE) {
        size_t frames = length / frameBytes;
        if (!WithinLimits(frames, spec.channels, name)) {
            result = E_OUTOFMEMORY;
        } else {
            SampleLayout layout{spec.format, SDL_AUDIO_BITSIZE(spec.format) / 8u};
            result = NoThrowCall([&] {
                return ConvertInPieces(data, frames, layout, spec.channels, spec.freq, pieceFrames, wave);
            });
            if (result == E_OUTOFMEMORY) SayNoMemory(name);
        }
    }
    SDL_FreeWAV(data);
    return result;
}

}  // namespace

HRESULT LoadWaveMemory(const uint8_t* bytes, size_t size, const char* name, std::shared_ptr<const WaveData>* wave,
                       size_t pieceFrames) {
    WaveHeader header;
    if (bytes == nullptr || !ParseWaveHeader(bytes, size, &header)) return DMUS_E_LOADER_FORMATNOTSUPPORTED;
    if (header.channels == 0 || header.channels > MAX_WAVE_CHANNELS || header.rate == 0 ||
        header.rate > MAX_WAVE_RATE)
        return DMUS_E_LOADER_FORMATNOTSUPPORTED;
    std::shared_ptr<WaveData> decoded;
    HRESULT result = NoThrowCall([&] {
        decoded = std::make_shared<WaveData>();
        return S_OK;
    });
    if (FAILED(result)) {
        SayNoMemory(name);
        return result;
    }
    if (header.formatTag == WAVE_FORMAT_PCM || header.formatTag == WAVE_FORMAT_IEEE_FLOAT) {
        SampleLayout layout;
        if (!PcmLayout(header, &layout)) return DMUS_E_LOADER_FORMATNOTSUPPORTED;
        size_t frames = header.dataBytes / header.blockAlign;
        if (frames == 0) return DMUS_E_LOADER_FORMATNOTSUPPORTED;  // nothing to play
        if (!WithinLimits(frames, header.channels, name)) return E_OUTOFMEMORY;
        result = NoThrowCall([&] {
            return ConvertInPieces(bytes + header.dataOffset, frames, layout, header.channels,
                                   static_cast<int>(header.rate), pieceFrames, decoded.get());
        });
        if (result == E_OUTOFMEMORY) SayNoMemory(name);
    } else {
        if (size > static_cast<size_t>(INT32_MAX)) return DMUS_E_LOADER_FORMATNOTSUPPORTED;
        result = LoadCompressed(bytes, size, name, pieceFrames, decoded.get());
    }
    if (FAILED(result)) return result;
    *wave = std::move(decoded);
    return S_OK;
}

HRESULT LoadWaveFile(const char* path, std::shared_ptr<const WaveData>* wave) {
    // Opened without blocking: a FIFO or a device under the name is refused at once.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return DMUS_E_LOADER_FAILEDOPEN;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return DMUS_E_LOADER_FAILEDOPEN;
    }
    size_t size = static_cast<size_t>(info.st_size);
    if (size == 0) {
        close(fd);
        return DMUS_E_LOADER_FORMATNOTSUPPORTED;
    }
    void* view = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (view == MAP_FAILED) {
        SayNoMemory(path);
        return E_OUTOFMEMORY;
    }
    HRESULT result = LoadWaveMemory(static_cast<const uint8_t*>(view), size, path, wave);
    munmap(view, size);
    return result;
}
