// The filter word of the pixel transfer and mip operations: a filter number in
// the low 16 bits and flag bits above it; -1 asks for the operation's default.
#pragma once

#include "platform/win32/windows.h"

constexpr DWORD FILTER_NONE = 1;
constexpr DWORD FILTER_POINT = 2;
constexpr DWORD FILTER_LINEAR = 3;
constexpr DWORD FILTER_TRIANGLE = 4;
constexpr DWORD FILTER_BOX = 5;

constexpr DWORD FILTER_MIRROR_U = 0x10000;
constexpr DWORD FILTER_MIRROR_V = 0x20000;
constexpr DWORD FILTER_MIRROR_W = 0x40000;
constexpr DWORD FILTER_DITHER = 0x80000;

constexpr DWORD FILTER_DEFAULT = 0xFFFFFFFFu;

// The filter number of a filter word.
inline DWORD FilterKind(DWORD filter) { return filter & 0xFFFF; }

// A filter number of 1 to 5 and no bits from 0x100000 up.
inline bool IsValidFilter(DWORD filter) {
    DWORD kind = FilterKind(filter);
    return kind >= FILTER_NONE && kind <= FILTER_BOX && (filter & 0xFFF00000u) == 0;
}
