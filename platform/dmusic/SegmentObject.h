// A segment holding one wave, how often it repeats, and which performances it
// has been downloaded to.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/dmusic/WaveData.h"
#include "platform/dmusic/dmusici.h"
#include "platform/win32/ComObject.h"

class SegmentObject : public ComObject<IDirectMusicSegment8> {
public:
    explicit SegmentObject(std::shared_ptr<const WaveData> wave) : wave_(std::move(wave)) {}

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT GetRepeats(DWORD* repeats) override;
    HRESULT SetRepeats(DWORD repeats) override;
    HRESULT Download(IUnknown* target) override;
    HRESULT Unload(IUnknown* target) override;

    const std::shared_ptr<const WaveData>& Wave() const { return wave_; }
    DWORD Repeats() const { return repeats_; }
    bool IsDownloadedTo(uint64_t performanceId) const;

private:
    std::shared_ptr<const WaveData> wave_;
    DWORD repeats_ = 0;
    std::vector<uint64_t> downloadedTo_;
};

// The performance a download target stands for: a performance or one of its
// audio paths. 0 for anything else.
uint64_t PerformanceIdOf(IUnknown* target);
