// The item blocks of the choose box and the bitmap set: a run of empty
// Surface2D records, each filled from one bitmap file.
#pragma once

#include <cstdint>

#include "display2d/Surface2D.h"

// A new block of count empty records, each loaded from names[i], or null
// where the block cannot be allocated (nothing is loaded then). A count of
// 0 gives an empty block; a null name leaves its record empty.
Surface2D* LoadSurfaceBlock(const char* const* names, int32_t count);

// Releases every surface of the block and frees it.
void FreeSurfaceBlock(Surface2D* block, int32_t count);
