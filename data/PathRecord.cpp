#include "data/PathRecord.h"

#include <cstdio>

#include "data/SharedState.h"

void ReadPathRecord() {
    if (pathFile == nullptr) return;
    // The marker is taken as it stands, white space included; at the end of
    // the file there is none, which is not the end marker either.
    char marker = 0;
    if (std::fscanf(pathFile, "%c", &marker) == 1 && marker == 'T') {
        RunState = 0;
        return;
    }
    // A number that does not read ends the record there; the fields read before it keep their new values.
    std::fscanf(pathFile, "%f %f %f %f %f %f\n", &CameraPose[0], &CameraPose[1], &CameraPose[2], &CameraPose[3],
                &CameraPose[4], &CameraPose[5]);
}
