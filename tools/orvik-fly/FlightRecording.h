// A flight recorded under a temporary name beside the file asked for, and
// given that name only when complete, after the viewer's shutdown has deleted
// the files it extracted. A recording named like a package member (RC.DEM,
// ready for packing) therefore survives, and an older file of that name is
// only ever replaced by a whole recording.
#pragma once

#include <string>

#include "tools/orvik-fly/PathRecorder.h"

class FlightRecording {
public:
    PathRecorder recorder;
    std::string fileName;  // the name asked for
    std::string partName;  // where the poses go until Finish

    // Refuses the data package, a directory or anything else that is not a
    // plain file, and a place where no file can be made.
    bool Begin(const std::string& name, std::string* error);
    // Ends the path with "T" and moves it to its name. On a failure the
    // error says where the poses are, if they were kept.
    bool Finish(std::string* error);
    // Drops an unfinished recording.
    void Discard();
};
