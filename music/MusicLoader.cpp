#include "music/MusicLoader.h"

void MusicLoader::Create() {
    CoCreateInstance(CLSID_DirectMusicLoader, nullptr, CLSCTX_INPROC, IID_IDirectMusicLoader8,
                     reinterpret_cast<void**>(&loader));
}

void MusicLoader::Release() {
    // Creation may have failed; there is then nothing to release.
    if (loader != nullptr) {
        loader->Release();
        loader = nullptr;
    }
}
