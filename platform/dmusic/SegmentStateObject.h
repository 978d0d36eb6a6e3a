// One playing of a segment, as PlaySegmentEx hands it out.
#pragma once

#include <cstdint>

#include "platform/dmusic/SegmentObject.h"

class SegmentStateObject : public ComObject<IDirectMusicSegmentState> {
public:
    SegmentStateObject(SegmentObject* segment, uint64_t voiceId, DWORD repeats);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT GetRepeats(DWORD* repeats) override;
    HRESULT GetSegment(IDirectMusicSegment** segment) override;

    uint64_t VoiceId() const { return voiceId_; }

private:
    ~SegmentStateObject() override { segment_->Release(); }

    SegmentObject* segment_;
    uint64_t voiceId_;
    DWORD repeats_;
};
