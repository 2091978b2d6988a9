// Child processes, temporary directories and whole-file reads and writes for the tests.
#include "process.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

ChildProcess::ChildProcess(const std::string &program, const std::vector<std::string> &args,
                           const std::string &workDir, const std::string &display) {
    char dirTemplate[] = "/tmp/robot-child-XXXXXX";
    if (mkdtemp(dirTemplate) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    outDir_ = dirTemplate;
    const std::string outPath = outDir_ + "/stdout";
    const std::string errPath = outDir_ + "/stderr";

    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());

    pid_ = fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
            chdir(workDir.c_str()) != 0) {
            _exit(126);
        }
        setenv("DISPLAY", display.c_str(), 1);
        std::vector<char *> cargv;
        cargv.reserve(argv.size() + 1);
        for (std::string &a : argv) {
            cargv.push_back(a.data());
        }
        cargv.push_back(nullptr);
        execv(program.c_str(), cargv.data());
        _exit(127);
    }
}

ChildProcess::~ChildProcess() {
    if (!ended_) {
        kill();
    }
    std::error_code ignored;
    std::filesystem::remove_all(outDir_, ignored);
}

void ChildProcess::reap(int waitStatus) {
    ended_ = true;
    if (WIFEXITED(waitStatus)) {
        exited_ = true;
        status_ = WEXITSTATUS(waitStatus);
    } else if (WIFSIGNALED(waitStatus)) {
        signal_ = WTERMSIG(waitStatus);
    }
}

bool ChildProcess::running() {
    if (ended_) {
        return false;
    }
    int waitStatus = 0;
    if (waitpid(pid_, &waitStatus, WNOHANG) == pid_) {
        reap(waitStatus);
        return false;
    }
    return true;
}

bool ChildProcess::waitForExit(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (running()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void ChildProcess::kill() {
    if (ended_) {
        return;
    }
    ::kill(pid_, SIGKILL);
    int waitStatus = 0;
    waitpid(pid_, &waitStatus, 0);
    reap(waitStatus);
}

std::string ChildProcess::standardOutput() const {
    return readFile(outDir_ + "/stdout");
}
std::string ChildProcess::standardError() const {
    return readFile(outDir_ + "/stderr");
}

TempDir::TempDir() {
    char dirTemplate[] = "/tmp/robot-test-XXXXXX";
    if (mkdtemp(dirTemplate) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = dirTemplate;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void writeFile(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void copyFile(const std::string &from, const std::string &to) {
    writeFile(to, readFile(from));
}
