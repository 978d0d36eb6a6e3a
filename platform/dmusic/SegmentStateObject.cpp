#include "platform/dmusic/SegmentStateObject.h"

SegmentStateObject::SegmentStateObject(SegmentObject* segment, uint64_t voiceId, DWORD repeats)
    : segment_(segment), voiceId_(voiceId), repeats_(repeats) {
    segment_->AddRef();
}

HRESULT SegmentStateObject::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(riid, object, IID_IDirectMusicSegmentState, IID_IDirectMusicSegmentState8);
}

HRESULT SegmentStateObject::GetRepeats(DWORD* repeats) {
    if (repeats == nullptr) return E_POINTER;
    *repeats = repeats_;
    return S_OK;
}

HRESULT SegmentStateObject::GetSegment(IDirectMusicSegment** segment) {
    if (segment == nullptr) return E_POINTER;
    segment_->AddRef();
    *segment = segment_;
    return S_OK;
}
