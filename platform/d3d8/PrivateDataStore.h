// The private data a Direct3D resource carries for its application:
// SetPrivateData, GetPrivateData, FreePrivateData.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d8/d3d8.h"

class PrivateDataStore {
public:
    PrivateDataStore() = default;
    PrivateDataStore(const PrivateDataStore&) = delete;
    PrivateDataStore& operator=(const PrivateDataStore&) = delete;
    ~PrivateDataStore();

    HRESULT Set(REFGUID tag, const void* data, DWORD size, DWORD flags);
    HRESULT Get(REFGUID tag, void* data, DWORD* size) const;
    HRESULT Free(REFGUID tag);

private:
    struct Entry {
        GUID tag;
        std::vector<uint8_t> bytes;
        IUnknown* object = nullptr;  // held with a reference under D3DSPD_IUNKNOWN
    };
    std::vector<Entry> entries_;
};
