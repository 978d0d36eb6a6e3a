// The command line of orvik-fly as WinMain receives it: the arguments after
// the program name, joined by single blanks.
#pragma once

#include <string>

class FlyCommandLine {
public:
    bool help;               // --help or -h
    std::string recordFile;  // --record FILE; empty when not recording
    std::string error;       // why the line was refused

    FlyCommandLine() : help(false) {}

    // Everything after "--record " is the file name, blanks included. False,
    // with error set, for anything else that is not empty or a help request.
    bool Parse(const char* line);
};
