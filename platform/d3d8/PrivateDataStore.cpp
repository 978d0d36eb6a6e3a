#include "platform/d3d8/PrivateDataStore.h"

#include <cstring>

#include "platform/win32/ComGuard.h"

PrivateDataStore::~PrivateDataStore() {
    for (Entry& entry : entries_)
        if (entry.object != nullptr) entry.object->Release();
}

HRESULT PrivateDataStore::Set(REFGUID tag, const void* data, DWORD size, DWORD flags) {
    if (data == nullptr && size != 0) return D3DERR_INVALIDCALL;
    bool isObject = (flags & D3DSPD_IUNKNOWN) != 0;
    if (isObject && (data == nullptr || size != sizeof(IUnknown*))) return D3DERR_INVALIDCALL;
    Entry entry;
    entry.tag = tag;
    // Everything that allocates comes first: without memory the old entry stays.
    HRESULT made = NoThrowCall([&] {
        if (isObject) entry.bytes.resize(sizeof(IUnknown*));
        else if (size != 0) entry.bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
        entries_.reserve(entries_.size() + 1);
        return D3D_OK;
    });
    if (FAILED(made)) return made;
    Free(tag);
    if (isObject) {
        entry.object = *static_cast<IUnknown* const*>(data);
        if (entry.object != nullptr) entry.object->AddRef();
        std::memcpy(entry.bytes.data(), &entry.object, sizeof(IUnknown*));
    }
    entries_.push_back(std::move(entry));
    return D3D_OK;
}

HRESULT PrivateDataStore::Get(REFGUID tag, void* data, DWORD* size) const {
    if (size == nullptr) return D3DERR_INVALIDCALL;
    for (const Entry& entry : entries_) {
        if (entry.tag != tag) continue;
        DWORD needed = static_cast<DWORD>(entry.bytes.size());
        if (data == nullptr || *size < needed) {
            *size = needed;
            return D3DERR_MOREDATA;
        }
        if (needed != 0) std::memcpy(data, entry.bytes.data(), needed);
        if (entry.object != nullptr) entry.object->AddRef();
        *size = needed;
        return D3D_OK;
    }
    return D3DERR_NOTFOUND;
}

HRESULT PrivateDataStore::Free(REFGUID tag) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->tag != tag) continue;
        if (it->object != nullptr) it->object->Release();
        entries_.erase(it);
        return D3D_OK;
    }
    return D3DERR_NOTFOUND;
}
