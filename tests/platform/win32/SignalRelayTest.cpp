// Stop signals: the first is a request, repeats within two seconds are the same
// request, a later repeat ends the program at once without leaving its files.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "platform/files/OwnedFiles.h"
#include "platform/win32/SignalRelay.h"
#include "tests/support/TestSupport.h"

namespace {

// Runs body in a child process in dir; returns its wait status.
template <typename Body>
int InChild(const std::string& dir, Body body) {
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(90);
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

bool MakeOwnedFile(const char* name) {
    int error = 0;
    std::FILE* out = ownedFiles.Start(name, &error);
    if (out == nullptr) return false;
    std::fputs("extracted", out);
    return ownedFiles.Commit(name, out) == 0;
}

TEST(SignalRelay, RepeatsWithinTwoSecondsAreOneRequest) {
    TempDir dir;
    int status = InChild(dir.Path(), [] {
        InstallSignalRelay();
        if (TakeSignalRequest()) return 10;
        for (int stop : {SIGTERM, SIGTERM, SIGINT, SIGHUP, SIGQUIT}) raise(stop);
        if (!TakeSignalRequest()) return 11;
        if (TakeSignalRequest()) return 12;  // the repeats were the same request
        raise(SIGPIPE);                      // ignored
        return 0;
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(SignalRelay, ALaterRepeatEndsAtOnceAndRemovesTheProgramsFiles) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.File("users-own"), "keep"));
    int status = InChild(dir.Path(), [] {
        InstallSignalRelay();
        if (ownedFiles.Begin(".orvik-extracted") != 0 || !MakeOwnedFile("A.BMP") || !MakeOwnedFile("B.BMP")) return 20;
        raise(SIGTERM);
        usleep(2'100'000);
        raise(SIGINT);
        return 21;  // not reached
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT);
    EXPECT_EQ(ListDir(dir.Path()), std::vector<std::string>{"users-own"});
}

}  // namespace
