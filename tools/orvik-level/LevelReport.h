// The two outputs of orvik-level: check (problems and the textures) and info
// (the level in words), each as text or JSON.
#pragma once

#include <cstdio>

#include "tools/orvik-level/Findings.h"
#include "tools/orvik-level/LevelSummary.h"

void PrintCheck(std::FILE* out, const Findings& findings, const LevelSummary& summary, bool json);
void PrintInfo(std::FILE* out, const Findings& findings, const LevelSummary& summary, bool json);
