// Starts Xvfb with -displayfd, which picks a free display number and writes it to a pipe once
// the server is ready for clients.
#include "xserver.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// How long Xvfb may take to come up, in milliseconds.
constexpr int startTimeoutMs = 20000;

} // namespace

XServer::XServer(const std::string &screen) {
    int fds[2];
    if (pipe(fds) != 0) {
        throw std::runtime_error("pipe failed");
    }
    pid_ = fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        close(fds[0]);
        // Keep the server quiet and out of the test's process group signals.
        if (freopen("/dev/null", "w", stdout) == nullptr ||
            freopen("/dev/null", "w", stderr) == nullptr) {
            _exit(126);
        }
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", "-noreset", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(fds[1]);

    std::string number;
    pollfd pfd{fds[0], POLLIN, 0};
    while (number.empty() || number.back() != '\n') {
        if (poll(&pfd, 1, startTimeoutMs) <= 0) {
            break;
        }
        char c;
        const ssize_t n = read(fds[0], &c, 1);
        if (n == 1) {
            number += c;
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    close(fds[0]);
    if (number.empty() || number.back() != '\n') {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        throw std::runtime_error("Xvfb did not start (is the xvfb package installed?)");
    }
    number.pop_back();
    display_ = ":" + number;
}

XServer::~XServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}
