#include "platform/dmusic/SoundBufferObject.h"

#include <cmath>

HRESULT SoundBufferObject::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(riid, object, IID_IDirectSoundBuffer, IID_IDirectSoundBuffer8);
}

HRESULT SoundBufferObject::GetVolume(LPLONG volume) {
    if (volume == nullptr) return DSERR_INVALIDPARAM;
    *volume = volume_;
    return DS_OK;
}

HRESULT SoundBufferObject::SetVolume(LONG volume) {
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    volume_ = volume;
    // Hundredths of a decibel as an amplitude factor; the lowest value is silence.
    float gain = volume == DSBVOLUME_MIN ? 0.0f : static_cast<float>(std::pow(10.0, volume / 2000.0));
    state_->gain.store(gain);
    return DS_OK;
}
