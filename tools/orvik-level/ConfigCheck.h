// GAME.CFG through the viewer's own token reader, in the order the viewer
// reads it: what each setting will be, and each value that will not read or
// keyword that matches nothing, with what the viewer does instead.
#pragma once

#include <string>

#include "tools/orvik-level/Findings.h"
#include "tools/orvik-level/LevelSummary.h"

void CheckConfig(const std::string& path, Findings* findings, ConfigSummary* summary);
