// A private virtual X server (Xvfb) for one test: started on a free display number, ended
// with the test.
#pragma once

#include <string>
#include <sys/types.h>

class XServer {
  public:
    // Starts Xvfb with one screen of the given geometry ("WIDTHxHEIGHTxDEPTH") and waits until
    // it accepts clients. Throws std::runtime_error when it cannot be started.
    explicit XServer(const std::string &screen = "1280x1024x24");
    ~XServer();
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

    // The display name to put into DISPLAY, for example ":3".
    const std::string &display() const { return display_; }

  private:
    pid_t pid_ = -1;
    std::string display_;
};
