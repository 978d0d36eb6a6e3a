// Every texture the viewer loads, through the viewer's own decoder and
// texture loader: which reader takes it, its format and size, and what the
// device makes of it (fitted size, format, mip levels).
#pragma once

#include "tools/orvik-level/Findings.h"
#include "tools/orvik-level/LevelSource.h"
#include "tools/orvik-level/LevelSummary.h"

struct IDirect3DDevice8;

// device may be null: the textures are then decoded only.
void CheckTextures(IDirect3DDevice8* device, LevelSource* source, Findings* findings, LevelSummary* summary);
