#include "data/PathRecord.h"

#include <cstdio>

#include "data/SharedState.h"
#include "data/StreamNumbers.h"

void ReadPathRecord() {
    if (pathFile == nullptr) return;
    // The marker is taken as it stands, white space included; at the end of
    // the file there is none, which is not the end marker either.
    char marker = 0;
    if (std::fscanf(pathFile, "%c", &marker) == 1 && marker == 'T') {
        RunState = 0;
        return;
    }
    // A number that does not read ends the record there; the fields read
    // before it keep their new values and the character that did not fit is
    // the next marker. After the sixth number all white space goes with the record.
    for (int i = 0; i < 6; ++i)
        if (ReadStreamFloat(pathFile, &CameraPose[i]) != 1) return;
    SkipStreamSpace(pathFile);
}
