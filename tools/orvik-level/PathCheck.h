// RC.DEM through the viewer's own path reader, record by record: how many
// poses, the end marker or its absence, records whose numbers do not read and
// markers that eat the first character of a number.
#pragma once

#include <string>

#include "tools/orvik-level/Findings.h"
#include "tools/orvik-level/LevelSummary.h"

void CheckPath(const std::string& path, Findings* findings, PathSummary* summary);
