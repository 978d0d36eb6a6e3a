// DirectSound 8 buffers as DirectMusic hands them out: volume control, with
// the names, values and result codes of the DirectX 8 header.
#pragma once

#include "platform/win32/windows.h"

typedef LONG* LPLONG;

constexpr HRESULT DS_OK = S_OK;
constexpr HRESULT DSERR_GENERIC = E_FAIL;
constexpr HRESULT DSERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DSERR_NOINTERFACE = E_NOINTERFACE;
constexpr HRESULT DSERR_UNSUPPORTED = E_NOTIMPL;
constexpr HRESULT DSERR_CONTROLUNAVAIL = (HRESULT)0x8878001Eu;
constexpr HRESULT DSERR_INVALIDCALL = (HRESULT)0x88780032u;
constexpr HRESULT DSERR_NODRIVER = (HRESULT)0x88780078u;
constexpr HRESULT DSERR_ALREADYINITIALIZED = (HRESULT)0x88780082u;
constexpr HRESULT DSERR_BUFFERLOST = (HRESULT)0x88780096u;
constexpr HRESULT DSERR_UNINITIALIZED = (HRESULT)0x887800AAu;
constexpr HRESULT DSERR_OBJECTNOTFOUND = (HRESULT)0x88781161u;

// Volume in hundredths of a decibel: 0 is the sound as recorded, -10000 silence.
constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;

extern const IID IID_IDirectSoundBuffer;
extern const IID IID_IDirectSoundBuffer8;

struct IDirectSound;

struct IDirectSoundBuffer : IUnknown {
    virtual HRESULT GetVolume(LPLONG volume) = 0;
    virtual HRESULT SetVolume(LONG volume) = 0;
};

struct IDirectSoundBuffer8 : IDirectSoundBuffer {};

typedef IDirectSoundBuffer* LPDIRECTSOUNDBUFFER;
typedef IDirectSoundBuffer8* LPDIRECTSOUNDBUFFER8;
