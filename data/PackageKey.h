// The build's package key: every stored member byte is the plain byte plus this key, mod 256.
#pragma once

#ifndef ORVIK_PACKAGE_KEY
#error "ORVIK_PACKAGE_KEY is set by the build"
#endif

constexpr unsigned char PACKAGE_KEY = ORVIK_PACKAGE_KEY;
