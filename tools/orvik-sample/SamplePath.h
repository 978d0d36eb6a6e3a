// The sample camera path: one RC.DEM record per frame, ended by "T".
#pragma once

#include <string>

// A flight of the given number of records: down from above the courtyard,
// twice around the tower at shrinking distance, then out towards the gate.
std::string BuildSamplePath(int records);
