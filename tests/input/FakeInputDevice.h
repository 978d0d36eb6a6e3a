// A device standing in for DirectInput's: answers reads from a set state or
// with a set failure, and counts the calls made on it.
#pragma once

#include <cstring>
#include <deque>

#include "platform/dinput/dinput.h"
#include "platform/win32/ComObject.h"

class FakeInputDevice : public ComObject<IDirectInputDevice8A> {
public:
    BYTE state[256] = {};
    HRESULT readResult = DI_OK;
    std::deque<HRESULT> acquireAnswers;  // answered in turn, then DI_OK
    int acquireCalls = 0;
    int unacquireCalls = 0;
    int readCalls = 0;
    int* releases = nullptr;  // counts releases, held outside so it outlives the object

    void SetMouse(LONG dx, LONG dy, LONG dz, BYTE b0, BYTE b1, BYTE b2) {
        DIMOUSESTATE2 mouse{dx, dy, dz, {b0, b1, b2, 0, 0, 0, 0, 0}};
        std::memcpy(state, &mouse, sizeof mouse);
    }

    HRESULT QueryInterface(REFIID riid, void** object) override {
        return AnswerQuery(riid, object, IID_IDirectInputDevice8A);
    }
    ULONG Release() override {
        if (releases != nullptr) ++*releases;
        return ComObject::Release();
    }
    HRESULT SetDataFormat(LPCDIDATAFORMAT) override { return DI_OK; }
    HRESULT SetCooperativeLevel(HWND, DWORD) override { return DI_OK; }
    HRESULT Acquire() override {
        ++acquireCalls;
        if (acquireAnswers.empty()) return DI_OK;
        HRESULT answer = acquireAnswers.front();
        acquireAnswers.pop_front();
        return answer;
    }
    HRESULT Unacquire() override {
        ++unacquireCalls;
        return DI_OK;
    }
    HRESULT GetDeviceState(DWORD size, LPVOID data) override {
        ++readCalls;
        if (FAILED(readResult)) return readResult;
        std::memcpy(data, state, size);
        return DI_OK;
    }
    HRESULT Poll() override { return DI_NOEFFECT; }
};
