// An audio path of a performance: where segments play, ending in one sound buffer.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/dmusic/SoundBufferObject.h"
#include "platform/dmusic/dmusici.h"

class AudioPathObject : public ComObject<IDirectMusicAudioPath> {
public:
    AudioPathObject(uint64_t performanceId, std::shared_ptr<BufferState> buffer);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT GetObjectInPath(DWORD pchannel, DWORD stage, DWORD buffer, REFGUID guidObject, DWORD index,
                            REFGUID iidInterface, void** object) override;
    HRESULT Activate(BOOL activate) override;

    uint64_t PerformanceId() const { return performanceId_; }
    const std::shared_ptr<BufferState>& Buffer() const { return state_; }

private:
    ~AudioPathObject() override;

    uint64_t performanceId_;
    std::shared_ptr<BufferState> state_;
    SoundBufferObject* buffer_;
};
