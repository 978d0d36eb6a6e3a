#include "platform/dmusic/AudioPathObject.h"

AudioPathObject::AudioPathObject(uint64_t performanceId, std::shared_ptr<BufferState> buffer)
    : performanceId_(performanceId), state_(std::move(buffer)), buffer_(new SoundBufferObject(state_)) {}

AudioPathObject::~AudioPathObject() { buffer_->Release(); }

HRESULT AudioPathObject::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(riid, object, IID_IDirectMusicAudioPath);
}

HRESULT AudioPathObject::GetObjectInPath(DWORD, DWORD stage, DWORD buffer, REFGUID guidObject, DWORD index,
                                         REFGUID iidInterface, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    // The path has one buffer, whatever channel it is asked through.
    bool anyObject = guidObject == GUID_NULL || guidObject == GUID_All_Objects;
    if (stage != DMUS_PATH_BUFFER || buffer != 0 || index != 0 || !anyObject) return DMUS_E_NOT_FOUND;
    return buffer_->QueryInterface(iidInterface, object);
}

HRESULT AudioPathObject::Activate(BOOL activate) {
    if (state_->closed.load()) return DMUS_E_NOT_INIT;
    state_->active.store(activate != FALSE);
    return S_OK;
}
