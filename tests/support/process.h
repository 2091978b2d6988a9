// A child process for end-to-end tests: started in a chosen working directory with a chosen
// display, its output kept in files that the test reads once it has ended.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

class ChildProcess {
  public:
    // Starts `program` with `args` (not counting argv[0]) in `workDir`, with DISPLAY set to
    // `display`. Standard output and error go to files beside each other in a fresh temporary
    // directory.
    ChildProcess(const std::string &program, const std::vector<std::string> &args,
                 const std::string &workDir, const std::string &display);
    // Kills the process if it is still running.
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    pid_t pid() const { return pid_; }

    // True while the process has not ended.
    bool running();
    // Waits up to `timeoutMs` for the process to end. Returns true if it ended.
    bool waitForExit(int timeoutMs);
    // Once ended: true when it exited normally, and its exit status.
    bool exitedNormally() const { return exited_; }
    int exitStatus() const { return status_; }
    // Once ended: the signal that killed it, or 0.
    int killedBy() const { return signal_; }

    // What the process wrote so far.
    std::string standardOutput() const;
    std::string standardError() const;

    // Sends SIGKILL and reaps the process.
    void kill();

  private:
    void reap(int waitStatus);

    pid_t pid_ = -1;
    bool ended_ = false;
    bool exited_ = false;
    int status_ = -1;
    int signal_ = 0;
    std::string outDir_;
};

// A fresh, empty temporary directory, removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return path_; }
    // Path of a file inside the directory.
    std::string file(const std::string &name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Writes `bytes` to `path`, replacing the file. Throws on failure.
void writeFile(const std::string &path, const std::string &bytes);
// The whole content of `path`; throws when it cannot be read.
std::string readFile(const std::string &path);
// Copies a file. Throws on failure.
void copyFile(const std::string &from, const std::string &to);
