// A test's own connection to an X server: finds the program's window, reads its geometry and
// the screen's pixels, and sends it real key events and the window system's close request.
#pragma once

#include <X11/Xlib.h>
#include <cstdint>
#include <string>
#include <vector>

// Position (relative to the root window) and size of a window, in pixels.
struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
};

// The screen's pixels, row by row from the top, three bytes (red, green, blue) each.
struct Screenshot {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;

    const uint8_t *at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    // Number of pixels whose colour differs from `other`'s (same size required).
    long differingPixels(const Screenshot &other) const;
};

class XClient {
  public:
    // Connects to `display`; throws std::runtime_error when it cannot.
    explicit XClient(const std::string &display);
    ~XClient();
    XClient(const XClient &) = delete;
    XClient &operator=(const XClient &) = delete;

    Display *display() const { return display_; }
    int screenWidth() const;
    int screenHeight() const;

    // Asks to be told of every window created or reconfigured on the root window from now on.
    void watchRootWindow();
    // Waits for the CreateNotify of the first top-level window. Returns its geometry as
    // created; false when none came within `timeoutMs`.
    bool waitForCreatedWindow(WindowGeometry &created, int timeoutMs);

    // The first top-level window titled `title`, or None; waits up to `timeoutMs` for it.
    Window findWindow(const std::string &title, int timeoutMs);
    // Current geometry of a top-level window.
    WindowGeometry geometry(Window window);
    // Waits until `window` has the size of the whole screen; false on timeout.
    bool waitForFullScreen(Window window, int timeoutMs);

    // The whole screen as it is now.
    Screenshot screenshot();

    // Presses and releases a key given by its X keysym name ("q", "Up", "Escape"), with Shift
    // held when `shift` is true, after moving the pointer into `window` (Xvfb delivers keys to
    // the window under the pointer).
    void pressKey(Window window, const std::string &keysymName, bool shift = false);

    // Sends the window system's close request (WM_DELETE_WINDOW) to `window`.
    void requestClose(Window window);

  private:
    Display *display_ = nullptr;
};

// Sleeps for `ms` milliseconds.
void sleepMs(int ms);
