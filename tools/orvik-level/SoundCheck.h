// SOUND.WAV through the viewer's own wave reader: whether it plays, and for how long.
#pragma once

#include <string>

#include "tools/orvik-level/Findings.h"
#include "tools/orvik-level/LevelSummary.h"

// path is empty when the level has no SOUND.WAV.
void CheckSound(const std::string& path, Findings* findings, SoundSummary* summary);
