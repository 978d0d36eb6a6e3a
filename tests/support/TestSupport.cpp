#include "tests/support/TestSupport.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/orvik-test.XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) std::abort();
    path_ = buffer.data();
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

bool ReadFile(const std::string& path, std::string* bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    bytes->clear();
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->append(buffer, got);
    std::fclose(file);
    return true;
}

bool FileExists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

std::vector<std::string> ListDir(const std::string& path) {
    std::vector<std::string> names;
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr) return names;
    while (dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.push_back(entry->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::string BuiltProgram(const std::string& relative) { return std::string(ORVIK_BINARY_DIR) + "/" + relative; }

ChildRun RunChild(const std::vector<std::string>& argv, const ChildOptions& options) {
    ChildRun result;
    TempDir logDir;
    std::string logPath = logDir.File("output");
    int closedPipe[2] = {-1, -1};
    if (options.stderrToClosedPipe && pipe(closedPipe) == 0) close(closedPipe[0]);
    pid_t pid = fork();
    if (pid == 0) {
        int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(log, 1);
        dup2(options.stderrToClosedPipe ? closedPipe[1] : log, 2);
        // The test's own signal dispositions are not the child's business.
        signal(SIGPIPE, SIG_DFL);
        int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        if (!options.workDir.empty() && chdir(options.workDir.c_str()) != 0) _exit(126);
        for (const auto& [name, value] : options.env) setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> args;
        for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    if (closedPipe[1] >= 0) close(closedPipe[1]);
    std::string watched = options.signalWhenExists;
    if (!watched.empty() && watched[0] != '/') watched = options.workDir + "/" + watched;
    std::vector<int> signals = options.signals.empty() ? std::vector<int>{SIGTERM} : options.signals;
    auto start = std::chrono::steady_clock::now();
    bool signalled = false;
    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!signalled) {
            bool due = options.signalAfterSeconds >= 0 && elapsed >= options.signalAfterSeconds;
            if (!watched.empty() && FileExists(watched)) due = true;
            if (due) {
                for (int number : signals) kill(pid, number);
                signalled = true;
            }
        }
        if (elapsed > options.timeoutSeconds) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(signalled ? 10 : 2));
    }
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    ReadFile(logPath, &result.output);
    return result;
}

ChildRun RunTool(const std::string& program, const std::string& workDir, const std::vector<std::string>& args,
                 double timeoutSeconds) {
    std::vector<std::string> argv{BuiltProgram(program)};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildOptions options;
    options.workDir = workDir;
    options.timeoutSeconds = timeoutSeconds;
    options.env["SDL_VIDEODRIVER"] = "offscreen";
    return RunChild(argv, options);
}

uint64_t AddressSpaceInUse() {
    unsigned long pages = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm != nullptr) {
        if (std::fscanf(statm, "%lu", &pages) != 1) pages = 0;
        std::fclose(statm);
    }
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}
