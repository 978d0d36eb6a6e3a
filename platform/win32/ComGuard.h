// No C++ exception may leave a COM call: a method whose body allocates runs it
// through NoThrowCall, which turns a failed allocation into the method's
// out-of-memory result.
#pragma once

#include <new>
#include <stdexcept>

#include "platform/win32/windows.h"

template <typename Body>
HRESULT NoThrowCall(Body&& body, HRESULT outOfMemory = E_OUTOFMEMORY) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return outOfMemory;
    } catch (const std::length_error&) {
        // A size beyond what a container can hold is memory that cannot be had.
        return outOfMemory;
    } catch (...) {
        return E_FAIL;
    }
}
