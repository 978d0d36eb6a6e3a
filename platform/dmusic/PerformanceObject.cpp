#include "platform/dmusic/PerformanceObject.h"

#include <SDL.h>

#include <atomic>

#include "platform/dmusic/SegmentStateObject.h"
#include "platform/win32/ComGuard.h"

namespace {

std::atomic<uint64_t> nextPerformanceId{1};

// The rate asked of the device unless InitAudio's parameters name one.
constexpr DWORD DEFAULT_SAMPLE_RATE = 44100;

}  // namespace

uint64_t PerformanceIdOf(IUnknown* target) {
    if (auto* performance = dynamic_cast<PerformanceObject*>(target)) return performance->Id();
    if (auto* path = dynamic_cast<AudioPathObject*>(target)) return path->PerformanceId();
    return 0;
}

PerformanceObject::PerformanceObject() : id_(nextPerformanceId++) {}

PerformanceObject::~PerformanceObject() { CloseDown(); }

HRESULT PerformanceObject::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(riid, object, IID_IDirectMusicPerformance, IID_IDirectMusicPerformance8);
}

HRESULT PerformanceObject::InitAudio(IDirectMusic** directMusic, IDirectSound** directSound, HWND,
                                     DWORD defaultPathType, DWORD pchannelCount, DWORD,
                                     DMUS_AUDIOPARAMS* params) {
    return NoThrowCall([&]() -> HRESULT {
        if (mixer_ != nullptr) return DSERR_ALREADYINITIALIZED;
        // This layer has no separate DirectMusic or DirectSound objects to hand out or take in.
        if (directMusic != nullptr || directSound != nullptr) return E_NOTIMPL;
        DWORD rate = DEFAULT_SAMPLE_RATE;
        if (params != nullptr && (params->dwValidData & DMUS_AUDIOPARAMS_SAMPLERATE)) {
            if (params->dwSampleRate < 8000 || params->dwSampleRate > 192000) return E_INVALIDARG;
            rate = params->dwSampleRate;
        }
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return DSERR_NODRIVER;
        audioStarted_ = true;
        mixer_ = std::make_unique<MusicMixer>();
        if (!mixer_->Open(static_cast<int>(rate))) {
            CloseDown();
            return DSERR_NODRIVER;
        }
        if (defaultPathType != 0) {
            IDirectMusicAudioPath* path = nullptr;
            HRESULT result = CreateStandardAudioPath(defaultPathType, pchannelCount, TRUE, &path);
            if (FAILED(result)) {
                CloseDown();
                return result;
            }
            defaultPath_ = static_cast<AudioPathObject*>(path);
        }
        return S_OK;
    });
}

HRESULT PerformanceObject::CreateStandardAudioPath(DWORD type, DWORD, BOOL activate, IDirectMusicAudioPath** path) {
    return NoThrowCall([&]() -> HRESULT {
        if (path == nullptr) return E_POINTER;
        *path = nullptr;
        if (mixer_ == nullptr) return DMUS_E_NOT_INIT;
        int channels = 0;
        bool shared = false;
        switch (type) {
        case DMUS_APATH_DYNAMIC_MONO:
        case DMUS_APATH_DYNAMIC_3D:  // 3-D buffers take one channel
            channels = 1;
            break;
        case DMUS_APATH_DYNAMIC_STEREO:
            channels = 2;
            break;
        case DMUS_APATH_SHARED_STEREO:
        case DMUS_APATH_SHARED_STEREOPLUSREVERB:  // played dry: no reverb is mixed in
            channels = 2;
            shared = true;
            break;
        default:
            return E_INVALIDARG;
        }
        std::shared_ptr<BufferState> buffer;
        if (shared) buffer = sharedBuffers_[type];
        if (buffer == nullptr) {
            buffer = std::make_shared<BufferState>(channels);
            buffers_.push_back(buffer);
            if (shared) sharedBuffers_[type] = buffer;
        }
        auto* created = new AudioPathObject(id_, buffer);
        if (!shared || activate) buffer->active.store(activate != FALSE);
        *path = created;
        return S_OK;
    });
}

HRESULT PerformanceObject::GetDefaultAudioPath(IDirectMusicAudioPath** path) {
    if (path == nullptr) return E_POINTER;
    *path = nullptr;
    if (mixer_ == nullptr) return DMUS_E_NOT_INIT;
    if (defaultPath_ == nullptr) return DMUS_E_NO_AUDIOPATH;
    defaultPath_->AddRef();
    *path = defaultPath_;
    return S_OK;
}

HRESULT PerformanceObject::PlaySegmentEx(IUnknown* source, WCHAR*, IUnknown*, DWORD flags, LONGLONG,
                                         IDirectMusicSegmentState** segmentState, IUnknown* from,
                                         IUnknown* audioPath) {
    return NoThrowCall([&]() -> HRESULT {
        if (segmentState != nullptr) *segmentState = nullptr;
        if (mixer_ == nullptr) return DMUS_E_NOT_INIT;
        if (source == nullptr) return E_POINTER;
        auto* segment = dynamic_cast<SegmentObject*>(source);
        if (segment == nullptr) return DMUS_E_TYPE_UNSUPPORTED;
        AudioPathObject* path = defaultPath_;
        if (audioPath != nullptr) {
            path = dynamic_cast<AudioPathObject*>(audioPath);
            if (path == nullptr || path->PerformanceId() != id_) return E_INVALIDARG;
        }
        if (path == nullptr) return DMUS_E_NO_AUDIOPATH;
        if (!path->Buffer()->active.load()) return DMUS_E_AUDIOPATH_INACTIVE;

        // What the new segment replaces stops as it starts.
        if (auto* fromSegment = dynamic_cast<SegmentObject*>(from)) mixer_->StopSegment(fromSegment);
        if (auto* fromState = dynamic_cast<SegmentStateObject*>(from)) mixer_->StopVoice(fromState->VoiceId());

        VoiceStart start;
        start.wave = segment->Wave();
        start.buffer = path->Buffer();
        start.repeats = segment->Repeats();
        start.segment = segment;
        start.secondary = (flags & DMUS_SEGF_SECONDARY) != 0;
        // Waves sound only once the segment has been downloaded to this performance.
        start.muted = !segment->IsDownloadedTo(id_);
        // Start times are not kept: a segment starts as soon as the device takes more sound.
        uint64_t voice = mixer_->Start(start);
        if (segmentState != nullptr) *segmentState = new SegmentStateObject(segment, voice, start.repeats);
        return S_OK;
    });
}

HRESULT PerformanceObject::Stop(IDirectMusicSegment* segment, IDirectMusicSegmentState* segmentState, MUSIC_TIME,
                                DWORD) {
    if (mixer_ == nullptr) return DMUS_E_NOT_INIT;
    // Stops take effect at once, whatever time is asked for.
    if (segment == nullptr && segmentState == nullptr) {
        mixer_->StopAll();
        return S_OK;
    }
    if (auto* stopped = dynamic_cast<SegmentObject*>(segment)) mixer_->StopSegment(stopped);
    if (auto* state = dynamic_cast<SegmentStateObject*>(segmentState)) mixer_->StopVoice(state->VoiceId());
    return S_OK;
}

HRESULT PerformanceObject::IsPlaying(IDirectMusicSegment* segment, IDirectMusicSegmentState* segmentState) {
    if (mixer_ == nullptr) return DMUS_E_NOT_INIT;
    if (segment == nullptr && segmentState == nullptr) return E_POINTER;
    const void* key = dynamic_cast<SegmentObject*>(segment);
    auto* state = dynamic_cast<SegmentStateObject*>(segmentState);
    return mixer_->IsPlaying(key, state != nullptr ? state->VoiceId() : 0) ? S_OK : S_FALSE;
}

HRESULT PerformanceObject::CloseDown() {
    mixer_.reset();  // closing the device waits for its last mix
    for (const auto& buffer : buffers_) {
        buffer->active.store(false);
        buffer->closed.store(true);
    }
    buffers_.clear();
    sharedBuffers_.clear();
    if (defaultPath_ != nullptr) {
        defaultPath_->Release();
        defaultPath_ = nullptr;
    }
    if (audioStarted_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioStarted_ = false;
    }
    return S_OK;
}
