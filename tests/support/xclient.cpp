// Xlib and XTest calls behind XClient.
#include "xclient.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace {

// How often to look again while waiting for the server, in milliseconds.
constexpr int pollIntervalMs = 20;

bool pastDeadline(std::chrono::steady_clock::time_point deadline) {
    return std::chrono::steady_clock::now() >= deadline;
}

std::chrono::steady_clock::time_point deadlineIn(int ms) {
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
}

// Number of trailing zero bits of a channel mask, and the channel's top value.
int maskShift(unsigned long mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        shift++;
    }
    return shift;
}

} // namespace

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

long Screenshot::differingPixels(const Screenshot &other) const {
    long count = 0;
    for (size_t i = 0; i + 2 < rgb.size() && i + 2 < other.rgb.size(); i += 3) {
        if (std::memcmp(&rgb[i], &other.rgb[i], 3) != 0) {
            count++;
        }
    }
    return count;
}

XClient::XClient(const std::string &display) {
    display_ = XOpenDisplay(display.c_str());
    if (display_ == nullptr) {
        throw std::runtime_error("cannot open display " + display);
    }
}

XClient::~XClient() {
    XCloseDisplay(display_);
}

int XClient::screenWidth() const {
    return DisplayWidth(display_, DefaultScreen(display_));
}
int XClient::screenHeight() const {
    return DisplayHeight(display_, DefaultScreen(display_));
}

void XClient::watchRootWindow() {
    XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
    XSync(display_, False);
}

bool XClient::waitForCreatedWindow(WindowGeometry &created, int timeoutMs) {
    const auto deadline = deadlineIn(timeoutMs);
    while (!pastDeadline(deadline)) {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == CreateNotify &&
                event.xcreatewindow.parent == DefaultRootWindow(display_)) {
                created = {event.xcreatewindow.x, event.xcreatewindow.y, event.xcreatewindow.width,
                           event.xcreatewindow.height};
                return true;
            }
        }
        sleepMs(pollIntervalMs);
    }
    return false;
}

Window XClient::findWindow(const std::string &title, int timeoutMs) {
    const auto deadline = deadlineIn(timeoutMs);
    do {
        Window root = 0, parent = 0;
        Window *children = nullptr;
        unsigned count = 0;
        Window found = None;
        if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count) !=
            0) {
            for (unsigned i = 0; i < count && found == None; i++) {
                char *name = nullptr;
                if (XFetchName(display_, children[i], &name) != 0 && name != nullptr) {
                    if (title == name) {
                        found = children[i];
                    }
                    XFree(name);
                }
            }
            if (children != nullptr) {
                XFree(children);
            }
        }
        if (found != None) {
            return found;
        }
        sleepMs(pollIntervalMs);
    } while (!pastDeadline(deadline));
    return None;
}

WindowGeometry XClient::geometry(Window window) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display_, window, &attributes) == 0) {
        return {};
    }
    return {attributes.x, attributes.y, attributes.width, attributes.height};
}

bool XClient::waitForFullScreen(Window window, int timeoutMs) {
    const auto deadline = deadlineIn(timeoutMs);
    do {
        const WindowGeometry g = geometry(window);
        if (g.width == screenWidth() && g.height == screenHeight()) {
            return true;
        }
        sleepMs(pollIntervalMs);
    } while (!pastDeadline(deadline));
    return false;
}

Screenshot XClient::screenshot() {
    Screenshot shot;
    shot.width = screenWidth();
    shot.height = screenHeight();
    XImage *image =
        XGetImage(display_, DefaultRootWindow(display_), 0, 0, static_cast<unsigned>(shot.width),
                  static_cast<unsigned>(shot.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        throw std::runtime_error("XGetImage failed");
    }
    const int redShift = maskShift(image->red_mask);
    const int greenShift = maskShift(image->green_mask);
    const int blueShift = maskShift(image->blue_mask);
    shot.rgb.resize(static_cast<size_t>(shot.width) * shot.height * 3);
    for (int y = 0; y < shot.height; y++) {
        for (int x = 0; x < shot.width; x++) {
            const unsigned long pixel = XGetPixel(image, x, y);
            uint8_t *out = &shot.rgb[(static_cast<size_t>(y) * shot.width + x) * 3];
            out[0] = static_cast<uint8_t>((pixel & image->red_mask) >> redShift);
            out[1] = static_cast<uint8_t>((pixel & image->green_mask) >> greenShift);
            out[2] = static_cast<uint8_t>((pixel & image->blue_mask) >> blueShift);
        }
    }
    XDestroyImage(image);
    return shot;
}

void XClient::pressKey(Window window, const std::string &keysymName, bool shift) {
    const WindowGeometry g = geometry(window);
    // The middle of the part of the window that lies on the screen.
    const int x = std::max(g.x, 0) + std::min(g.width, screenWidth()) / 2;
    const int y = std::max(g.y, 0) + std::min(g.height, screenHeight()) / 2;
    XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, CurrentTime);

    const KeySym sym = XStringToKeysym(keysymName.c_str());
    if (sym == NoSymbol) {
        throw std::runtime_error("unknown keysym " + keysymName);
    }
    const KeyCode code = XKeysymToKeycode(display_, sym);
    const KeyCode shiftCode = XKeysymToKeycode(display_, XK_Shift_L);
    if (shift) {
        XTestFakeKeyEvent(display_, shiftCode, True, CurrentTime);
    }
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    if (shift) {
        XTestFakeKeyEvent(display_, shiftCode, False, CurrentTime);
    }
    XSync(display_, False);
}

void XClient::requestClose(Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &event);
    XSync(display_, False);
}
