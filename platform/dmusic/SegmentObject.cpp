#include "platform/dmusic/SegmentObject.h"

#include <algorithm>

HRESULT SegmentObject::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(riid, object, IID_IDirectMusicSegment, IID_IDirectMusicSegment8);
}

HRESULT SegmentObject::GetRepeats(DWORD* repeats) {
    if (repeats == nullptr) return E_POINTER;
    *repeats = repeats_;
    return S_OK;
}

HRESULT SegmentObject::SetRepeats(DWORD repeats) {
    repeats_ = repeats;
    return S_OK;
}

HRESULT SegmentObject::Download(IUnknown* target) {
    if (target == nullptr) return E_POINTER;
    uint64_t id = PerformanceIdOf(target);
    if (id == 0) return E_INVALIDARG;
    if (!IsDownloadedTo(id)) downloadedTo_.push_back(id);
    return S_OK;
}

HRESULT SegmentObject::Unload(IUnknown* target) {
    if (target == nullptr) return E_POINTER;
    uint64_t id = PerformanceIdOf(target);
    if (id == 0) return E_INVALIDARG;
    downloadedTo_.erase(std::remove(downloadedTo_.begin(), downloadedTo_.end(), id), downloadedTo_.end());
    return S_OK;
}

bool SegmentObject::IsDownloadedTo(uint64_t performanceId) const {
    return std::find(downloadedTo_.begin(), downloadedTo_.end(), performanceId) != downloadedTo_.end();
}
