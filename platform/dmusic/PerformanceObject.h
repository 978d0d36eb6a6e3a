// A performance: opens the sound device, makes audio paths and plays
// segments on them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/dmusic/AudioPathObject.h"
#include "platform/dmusic/MusicMixer.h"
#include "platform/dmusic/dmusici.h"

class PerformanceObject : public ComObject<IDirectMusicPerformance8> {
public:
    PerformanceObject();

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT Stop(IDirectMusicSegment* segment, IDirectMusicSegmentState* segmentState, MUSIC_TIME time,
                 DWORD flags) override;
    HRESULT IsPlaying(IDirectMusicSegment* segment, IDirectMusicSegmentState* segmentState) override;
    HRESULT CloseDown() override;
    HRESULT InitAudio(IDirectMusic** directMusic, IDirectSound** directSound, HWND window, DWORD defaultPathType,
                      DWORD pchannelCount, DWORD flags, DMUS_AUDIOPARAMS* params) override;
    HRESULT PlaySegmentEx(IUnknown* source, WCHAR* segmentName, IUnknown* transition, DWORD flags,
                          LONGLONG startTime, IDirectMusicSegmentState** segmentState, IUnknown* from,
                          IUnknown* audioPath) override;
    HRESULT CreateStandardAudioPath(DWORD type, DWORD pchannelCount, BOOL activate,
                                    IDirectMusicAudioPath** path) override;
    HRESULT GetDefaultAudioPath(IDirectMusicAudioPath** path) override;

    uint64_t Id() const { return id_; }

    // The rate the device was opened with; 0 before InitAudio.
    int DeviceRate() const { return mixer_ != nullptr ? mixer_->Rate() : 0; }

private:
    ~PerformanceObject() override;

    uint64_t id_;
    std::unique_ptr<MusicMixer> mixer_;  // set between InitAudio and CloseDown
    bool audioStarted_ = false;
    AudioPathObject* defaultPath_ = nullptr;
    std::vector<std::shared_ptr<BufferState>> buffers_;
    std::map<DWORD, std::shared_ptr<BufferState>> sharedBuffers_;
};
