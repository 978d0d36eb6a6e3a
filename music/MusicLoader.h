// The process-wide holder of the DirectMusic loader.
#pragma once

#include "platform/dmusic/dmusici.h"

class MusicLoader {
public:
    IDirectMusicLoader8* loader;

    MusicLoader() : loader(nullptr) {}

    void Create();
    void Release();
};

extern MusicLoader musicLoader;  // defined with the other globals in shell/Globals.cpp
