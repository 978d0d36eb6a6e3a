#include "platform/dmusic/LoaderObject.h"

#include <string>

#include "platform/dmusic/SegmentObject.h"
#include "platform/dmusic/WideFileName.h"
#include "platform/win32/ComGuard.h"

HRESULT LoaderObject::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(riid, object, IID_IDirectMusicLoader, IID_IDirectMusicLoader8);
}

HRESULT LoaderObject::LoadObjectFromFile(REFGUID classId, REFIID iid, WCHAR* filePath, void** object) {
    return NoThrowCall([&]() -> HRESULT {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (filePath == nullptr || filePath[0] == 0) return DMUS_E_LOADER_NOFILENAME;
        // Wave files are the one kind of file read; they load as segments.
        if (classId != CLSID_DirectMusicSegment) return DMUS_E_LOADER_FAILEDCREATE;
        std::string path;
        if (!WideFileNameToUtf8(filePath, &path)) return DMUS_E_LOADER_BADPATH;
        std::shared_ptr<const WaveData> wave;
        HRESULT result = LoadWaveFile(path.c_str(), &wave);
        if (FAILED(result)) return result;
        auto* segment = new SegmentObject(std::move(wave));
        result = segment->QueryInterface(iid, object);
        segment->Release();
        return result;
    });
}
