// The sound buffer of an audio path: its volume scales what the path plays.
#pragma once

#include <memory>

#include "platform/dmusic/MusicMixer.h"
#include "platform/dmusic/dsound.h"
#include "platform/win32/ComObject.h"

class SoundBufferObject : public ComObject<IDirectSoundBuffer8> {
public:
    explicit SoundBufferObject(std::shared_ptr<BufferState> state) : state_(std::move(state)) {}

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT GetVolume(LPLONG volume) override;
    HRESULT SetVolume(LONG volume) override;

private:
    std::shared_ptr<BufferState> state_;
    LONG volume_ = DSBVOLUME_MAX;
};
