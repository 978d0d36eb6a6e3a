#include "tests/support/NonRegularFiles.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <future>
#include <thread>

#include "tests/support/TestSupport.h"

NonRegularFiles MakeNonRegularFiles(const TempDir& dir, const std::string& base) {
    NonRegularFiles files;
    files.fifo = dir.File(base + ".fifo");
    files.socket = dir.File(base + ".sock");
    files.directory = dir.File(base + ".dir");
    mkfifo(files.fifo.c_str(), 0600);
    mkdir(files.directory.c_str(), 0700);
    int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, files.socket.c_str(), sizeof address.sun_path - 1);
    if (sock >= 0) {
        bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address);
        close(sock);
    }
    return files;
}

bool ReturnsWithin(double seconds, const std::function<void()>& call, const std::string& fifo) {
    std::packaged_task<void()> task(call);
    std::future<void> done = task.get_future();
    std::thread runner(std::move(task));
    bool inTime = done.wait_for(std::chrono::duration<double>(seconds)) == std::future_status::ready;
    while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) close(writer);
    }
    runner.join();
    return inTime;
}
