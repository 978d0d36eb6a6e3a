// Names that are not regular files (a FIFO, a socket, a directory, a device),
// for tests of code that must refuse them at once instead of blocking on them.
#pragma once

#include <functional>
#include <string>
#include <vector>

class TempDir;

struct NonRegularFiles {
    std::string fifo;
    std::string socket;
    std::string directory;
    std::string device = "/dev/zero";

    std::vector<std::string> All() const { return {fifo, socket, directory, device}; }
};

// Makes the FIFO, the socket and the directory in dir, under the given base name.
NonRegularFiles MakeNonRegularFiles(const TempDir& dir, const std::string& base);

// Runs call on a thread and tells whether it returned within the time. Should it
// hang opening the FIFO, a writer is opened on it so that the thread can end.
bool ReturnsWithin(double seconds, const std::function<void()>& call, const std::string& fifo);
