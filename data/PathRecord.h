// The camera path RC.DEM: one record per presented frame, a marker character
// and six numbers (eye, then target), ended by "T".
#pragma once

// Reads the next record from pathFile into the camera pose's eye and target,
// or at the end marker sets RunState to 0.
void ReadPathRecord();
