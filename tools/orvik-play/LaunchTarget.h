// What orvik-play is asked to open: a DATA.MBP, or a directory holding one,
// checked well enough to tell a person plainly what is wrong before the
// viewer starts.
#pragma once

#include <string>

struct LaunchTarget {
    std::string directory;  // where the viewer runs
    std::string package;    // directory + "/DATA.MBP"
};

// True with target filled when path leads to a package the viewer can play;
// otherwise false with problem set to a sentence for the user.
bool FindLaunchTarget(const std::string& path, LaunchTarget* target, std::string* problem);

// The viewer program beside this one (installed) or in the build tree; empty
// when there is none.
std::string FindViewer();

// With no PATH: the sample level that comes with Orvik, copied (once, or
// again when it changed) into a directory of the user's own,
// $XDG_DATA_HOME/orvik/sample (~/.local/share/orvik/sample), where the viewer
// can unpack it.
bool PrepareSampleLevel(LaunchTarget* target, std::string* problem);
