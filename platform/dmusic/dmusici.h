// DirectMusic 8 as the viewer calls it: loader, performance, segments and
// audio paths, with the names, values and result codes of the DirectX 8
// headers, playing wave files through SDL2 audio.
#pragma once

#include "platform/dmusic/dsound.h"
#include "platform/win32/windows.h"

typedef LONG MUSIC_TIME;
typedef LONGLONG REFERENCE_TIME;

// Results.
#define MAKE_DMHRESULTSUCCESS(code) MAKE_HRESULT(0, 0x878, 0x1000 + (code))
#define MAKE_DMHRESULTERROR(code) MAKE_HRESULT(1, 0x878, 0x1000 + (code))
constexpr HRESULT DMUS_E_NOT_FOUND = MAKE_DMHRESULTERROR(0x0161);
constexpr HRESULT DMUS_E_NOT_INIT = MAKE_DMHRESULTERROR(0x0162);
constexpr HRESULT DMUS_E_TYPE_UNSUPPORTED = MAKE_DMHRESULTERROR(0x0164);
constexpr HRESULT DMUS_E_LOADER_NOCLASSID = MAKE_DMHRESULTERROR(0x01A0);
constexpr HRESULT DMUS_E_LOADER_BADPATH = MAKE_DMHRESULTERROR(0x01A1);
constexpr HRESULT DMUS_E_LOADER_FAILEDOPEN = MAKE_DMHRESULTERROR(0x01A2);
constexpr HRESULT DMUS_E_LOADER_FORMATNOTSUPPORTED = MAKE_DMHRESULTERROR(0x01A3);
constexpr HRESULT DMUS_E_LOADER_FAILEDCREATE = MAKE_DMHRESULTERROR(0x01A4);
constexpr HRESULT DMUS_E_LOADER_NOFILENAME = MAKE_DMHRESULTERROR(0x01A6);
constexpr HRESULT DMUS_E_AUDIOPATH_INACTIVE = MAKE_DMHRESULTERROR(0x0229);
constexpr HRESULT DMUS_E_NO_AUDIOPATH = MAKE_DMHRESULTERROR(0x022C);

// Standard audio paths.
constexpr DWORD DMUS_APATH_SHARED_STEREOPLUSREVERB = 1;
constexpr DWORD DMUS_APATH_DYNAMIC_3D = 6;
constexpr DWORD DMUS_APATH_DYNAMIC_MONO = 7;
constexpr DWORD DMUS_APATH_SHARED_STEREO = 8;
constexpr DWORD DMUS_APATH_DYNAMIC_STEREO = 9;

// InitAudio features.
constexpr DWORD DMUS_AUDIOF_3D = 0x1;
constexpr DWORD DMUS_AUDIOF_ENVIRON = 0x2;
constexpr DWORD DMUS_AUDIOF_EAX = 0x4;
constexpr DWORD DMUS_AUDIOF_DMOS = 0x8;
constexpr DWORD DMUS_AUDIOF_STREAMING = 0x10;
constexpr DWORD DMUS_AUDIOF_BUFFERS = 0x20;
constexpr DWORD DMUS_AUDIOF_ALL = 0x3F;

constexpr DWORD DMUS_AUDIOPARAMS_FEATURES = 0x1;
constexpr DWORD DMUS_AUDIOPARAMS_VOICES = 0x2;
constexpr DWORD DMUS_AUDIOPARAMS_SAMPLERATE = 0x4;
constexpr DWORD DMUS_AUDIOPARAMS_DEFAULTSYNTH = 0x8;

struct DMUS_AUDIOPARAMS {
    DWORD dwSize;
    BOOL fInitNow;
    DWORD dwValidData;
    DWORD dwFeatures;
    DWORD dwVoices;
    DWORD dwSampleRate;
    CLSID clsidDefaultSynth;
};

// Audio path stages and channels.
constexpr DWORD DMUS_PCHANNEL_ALL = 0xFFFFFFFB;
constexpr DWORD DMUS_PATH_SEGMENT = 0x1000;
constexpr DWORD DMUS_PATH_AUDIOPATH = 0x2000;
constexpr DWORD DMUS_PATH_PERFORMANCE = 0x3000;
constexpr DWORD DMUS_PATH_PORT = 0x4000;
constexpr DWORD DMUS_PATH_BUFFER = 0x6000;
constexpr DWORD DMUS_PATH_BUFFER_DMO = 0x6100;
constexpr DWORD DMUS_PATH_PRIMARY_BUFFER = 0x8000;

// Segment playing.
constexpr DWORD DMUS_SEG_REPEAT_INFINITE = 0xFFFFFFFF;
constexpr DWORD DMUS_SEGF_REFTIME = 1 << 6;
constexpr DWORD DMUS_SEGF_SECONDARY = 1 << 7;
constexpr DWORD DMUS_SEGF_QUEUE = 1 << 8;
constexpr DWORD DMUS_SEGF_CONTROL = 1 << 9;
constexpr DWORD DMUS_SEGF_DEFAULT = 1 << 14;

// Identifiers.
extern const CLSID CLSID_DirectMusicLoader;
extern const CLSID CLSID_DirectMusicPerformance;
extern const CLSID CLSID_DirectMusicSegment;
extern const IID IID_IDirectMusicLoader;
extern const IID IID_IDirectMusicLoader8;
extern const IID IID_IDirectMusicPerformance;
extern const IID IID_IDirectMusicPerformance8;
extern const IID IID_IDirectMusicSegment;
extern const IID IID_IDirectMusicSegment8;
extern const IID IID_IDirectMusicSegmentState;
extern const IID IID_IDirectMusicSegmentState8;
extern const IID IID_IDirectMusicAudioPath;
extern const IID IID_IDirectMusicAudioPath8;
extern const GUID GUID_All_Objects;

struct IDirectMusic;

struct IDirectMusicSegment : IUnknown {
    virtual HRESULT GetRepeats(DWORD* repeats) = 0;
    virtual HRESULT SetRepeats(DWORD repeats) = 0;
};

struct IDirectMusicSegment8 : IDirectMusicSegment {
    // Makes the segment's waves playable by a performance (or an audio path's performance).
    virtual HRESULT Download(IUnknown* target) = 0;
    virtual HRESULT Unload(IUnknown* target) = 0;
};

// One playing of a segment.
struct IDirectMusicSegmentState : IUnknown {
    virtual HRESULT GetRepeats(DWORD* repeats) = 0;
    virtual HRESULT GetSegment(IDirectMusicSegment** segment) = 0;
};
typedef IDirectMusicSegmentState IDirectMusicSegmentState8;

struct IDirectMusicAudioPath : IUnknown {
    virtual HRESULT GetObjectInPath(DWORD pchannel, DWORD stage, DWORD buffer, REFGUID guidObject, DWORD index,
                                    REFGUID iidInterface, void** object) = 0;
    virtual HRESULT Activate(BOOL activate) = 0;
};
typedef IDirectMusicAudioPath IDirectMusicAudioPath8;

struct IDirectMusicPerformance : IUnknown {
    virtual HRESULT Stop(IDirectMusicSegment* segment, IDirectMusicSegmentState* segmentState, MUSIC_TIME time,
                         DWORD flags) = 0;
    virtual HRESULT IsPlaying(IDirectMusicSegment* segment, IDirectMusicSegmentState* segmentState) = 0;
    virtual HRESULT CloseDown() = 0;
};

struct IDirectMusicPerformance8 : IDirectMusicPerformance {
    virtual HRESULT InitAudio(IDirectMusic** directMusic, IDirectSound** directSound, HWND window,
                              DWORD defaultPathType, DWORD pchannelCount, DWORD flags, DMUS_AUDIOPARAMS* params) = 0;
    virtual HRESULT PlaySegmentEx(IUnknown* source, WCHAR* segmentName, IUnknown* transition, DWORD flags,
                                  LONGLONG startTime, IDirectMusicSegmentState** segmentState, IUnknown* from,
                                  IUnknown* audioPath) = 0;
    virtual HRESULT CreateStandardAudioPath(DWORD type, DWORD pchannelCount, BOOL activate,
                                            IDirectMusicAudioPath** path) = 0;
    virtual HRESULT GetDefaultAudioPath(IDirectMusicAudioPath** path) = 0;
};

struct IDirectMusicLoader : IUnknown {};

struct IDirectMusicLoader8 : IDirectMusicLoader {
    // Loads a file (relative to the working directory) as an object of the class given.
    virtual HRESULT LoadObjectFromFile(REFGUID classId, REFIID iid, WCHAR* filePath, void** object) = 0;
};
