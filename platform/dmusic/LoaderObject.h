// The DirectMusic loader: reads wave files into segments.
#pragma once

#include "platform/dmusic/dmusici.h"
#include "platform/win32/ComObject.h"

class LoaderObject : public ComObject<IDirectMusicLoader8> {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT LoadObjectFromFile(REFGUID classId, REFIID iid, WCHAR* filePath, void** object) override;
};
