// Helpers shared by the test programs: temporary working directories, files,
// and running a program of the build as a child process.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

bool WriteFile(const std::string& path, const std::string& bytes);
bool ReadFile(const std::string& path, std::string* bytes);
bool FileExists(const std::string& path);
std::vector<std::string> ListDir(const std::string& path);

struct ChildRun {
    int exitCode = -1;     // the exit status, or -1 when the child did not exit normally
    int signal = 0;        // the signal that ended it, if any
    bool timedOut = false; // killed after the time limit
    std::string output;    // standard output and standard error together
};

struct ChildOptions {
    std::string workDir;                       // where the child runs
    std::map<std::string, std::string> env;    // added to (or replacing) the test's environment
    double timeoutSeconds = 60;
    // When set, the signals are sent once this file exists (a path relative to
    // workDir, or absolute), or after signalAfterSeconds; back to back, in order.
    std::string signalWhenExists;
    double signalAfterSeconds = -1;
    std::vector<int> signals;  // default: one SIGTERM
    // Standard error is a pipe whose reader has gone; output then holds only standard output.
    bool stderrToClosedPipe = false;
};

ChildRun RunChild(const std::vector<std::string>& argv, const ChildOptions& options);

// Path of a program built by this build tree, e.g. "shell/orvik".
std::string BuiltProgram(const std::string& relative);

// Runs a program of this build tree (e.g. "tools/orvik-pack/orvik-pack") with
// these arguments in workDir, headless, within the time limit.
ChildRun RunTool(const std::string& program, const std::string& workDir, const std::vector<std::string>& args,
                 double timeoutSeconds = 60);

// Bytes of address space the process uses now.
uint64_t AddressSpaceInUse();
