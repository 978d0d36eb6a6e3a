// Every step skips what an earlier failed step left empty, so a missing or
// unplayable music file, or no sound device, leaves the viewer silent. A
// performance whose InitAudio failed gets no further calls but its release:
// some DirectMusic implementations (Wine's) crash when asked for an audio path
// or a playback without a sound device.
#include "music/MusicPlayer.h"

#include <string>

namespace {

template <typename Interface>
void ReleaseAndClear(Interface*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

}  // namespace

void MusicPlayer::Create(const WCHAR* fileName, MusicLoader* loader) {
    loaderRef = loader;
    CoCreateInstance(CLSID_DirectMusicPerformance, nullptr, CLSCTX_INPROC, IID_IDirectMusicPerformance8,
                     reinterpret_cast<void**>(&performance));
    audioReady = performance != nullptr &&
                 SUCCEEDED(performance->InitAudio(nullptr, nullptr, nullptr, DMUS_APATH_SHARED_STEREOPLUSREVERB,
                                                  64, DMUS_AUDIOF_ALL, nullptr));
    if (loaderRef != nullptr && loaderRef->loader != nullptr && fileName != nullptr) {
        // The loader takes a modifiable name; hand it a copy.
        std::basic_string<WCHAR> name(fileName);
        loaderRef->loader->LoadObjectFromFile(CLSID_DirectMusicSegment, IID_IDirectMusicSegment8, name.data(),
                                              reinterpret_cast<void**>(&segment));
    }
    if (audioReady)
        performance->CreateStandardAudioPath(DMUS_APATH_DYNAMIC_MONO, 64, TRUE, &audioPath);
    if (audioPath != nullptr)
        audioPath->GetObjectInPath(DMUS_PCHANNEL_ALL, DMUS_PATH_BUFFER, 0, GUID_NULL, 0, IID_IDirectSoundBuffer8,
                                   reinterpret_cast<void**>(&soundBuffer));
}

void MusicPlayer::SetRepeats(int32_t count) {
    if (count < 0 || segment == nullptr) return;
    segment->SetRepeats(count == 0 ? DMUS_SEG_REPEAT_INFINITE : static_cast<DWORD>(count));
}

void MusicPlayer::Play() {
    if (segment == nullptr || !audioReady) return;
    segment->Download(performance);
    performance->PlaySegmentEx(segment, nullptr, nullptr, 0, 0, nullptr, nullptr, audioPath);
}

void MusicPlayer::Stop() {
    if (audioReady) performance->Stop(nullptr, nullptr, 0, 0);
    ReleaseAndClear(soundBuffer);
    ReleaseAndClear(audioPath);
    if (audioReady) performance->CloseDown();
    audioReady = false;
    ReleaseAndClear(performance);
    ReleaseAndClear(segment);
}

void MusicPlayer::SetVolume(int32_t volume) {
    if (soundBuffer != nullptr) soundBuffer->SetVolume(volume);
}
