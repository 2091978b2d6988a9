// Application shell: the window's size, the start-up routine, and the reshape, timer and
// keyboard handlers that GLUT calls.
#pragma once

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

// The window as created, before it switches to full screen: title, position and size in pixels.
constexpr const char *windowTitle = "ROBOT";
constexpr int windowStartX = 30;
constexpr int windowStartY = 30;
constexpr int windowStartWidth = 500;
constexpr int windowStartHeight = 500;

// Redraw timer: first call after 10 ms, then every 50 ms (about twenty frames a second),
// always with the same value, which nothing inspects.
constexpr unsigned firstTimerDelay = 10;
constexpr unsigned timerPeriod = 50;
constexpr int timerValue = 0x1234;

// ---------------------------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------------------------

// Size in pixels of the window's drawing area at the last reshape; both 0 until the first.
extern int windowWidth, windowHeight;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Start-up routine: reads the assets and sets up OpenGL, once, before the event loop.
void onInit();
// Reshape handler: sets the viewport and stores the new size.
void onResize(int width, int height);
// Timer handler: requests a redraw and re-arms itself for timerPeriod ms with the same value.
void onTimer(int value);
// Character keys: letters set the spin directions, Esc ends the program; the pointer position
// (x, y) is ignored.
void onKeyboard(unsigned char key, int x, int y);
// Special keys: the arrows move the head; the pointer position is ignored.
void onKeySpecial(int key, int x, int y);
