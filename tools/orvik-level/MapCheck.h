// MAP.MBM through the viewer's own level reader: texture names, triangles and
// the limits the viewer holds them to, each problem at its line and token.
#pragma once

#include <string>

#include "tools/orvik-level/Findings.h"
#include "tools/orvik-level/LevelSource.h"
#include "tools/orvik-level/LevelSummary.h"

// Fills summary->map and summary->textures (one entry per texture the viewer
// loads, with its triangle count).
void CheckMap(const std::string& path, LevelSource* source, Findings* findings, LevelSummary* summary);
