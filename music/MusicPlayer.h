// One music track played on a performance of its own, repeating.
#pragma once

#include <cstdint>

#include "music/MusicLoader.h"

class MusicPlayer {
public:
    MusicLoader* loaderRef;  // not owned
    IDirectMusicPerformance8* performance;
    IDirectMusicSegment8* segment;
    IDirectMusicAudioPath8* audioPath;
    IDirectSoundBuffer8* soundBuffer;  // kept for volume control
    bool audioReady;  // InitAudio succeeded: the performance has a sound device

    MusicPlayer()
        : loaderRef(nullptr),
          performance(nullptr),
          segment(nullptr),
          audioPath(nullptr),
          soundBuffer(nullptr),
          audioReady(false) {}

    // Builds the chain: performance, the file as a segment, an audio path and its buffer.
    void Create(const WCHAR* fileName, MusicLoader* loader);
    // 0: without end; a positive count: that many repeats; negative: no change.
    void SetRepeats(int32_t count);
    void Play();
    // Stops the music at once and releases everything the player holds.
    void Stop();
    // Hundredths of a decibel, as the sound buffer takes them.
    void SetVolume(int32_t volume);
};

extern MusicPlayer musicPlayer;  // defined with the other globals in shell/Globals.cpp
