// Assets: the reader of the wall image (a narrow subset of 24-bit BMP) and the loading of it
// into the texture table's four texture objects.
#pragma once

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

// The wall image, read from the working directory at start-up.
constexpr const char *wallImageFile = "wall7.bmp";

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Reads the image file `path` without any OpenGL call: the 54-byte header, then width x height
// pixels of 3 bytes each, straight after it, as stored. Returns 0 and sets `*width`, `*height`
// (both > 0) and `*pixels` (a malloc'd block of width * height * 3 bytes, which the caller
// frees); returns -1 and sets nothing when the file cannot be read or is not one it accepts.
// The file is closed before it returns, and nothing is left allocated on failure.
int bitmapRead(const char *path, int *width, int *height, unsigned char **pixels);

// Loads the image file `path` into the texture object named `texture`: repeating, linearly
// filtered, one level of 3 components, the file's bytes and rows as they stand. Returns 0 on
// success, -1 (before any OpenGL call) when bitmapRead refuses the file. Whether OpenGL accepts
// the image is not asked. Needs a current OpenGL context.
int bitmapLoad(int texture, const char *path);

// Creates the texture table's four names and loads the wall image into each of them, reading
// the file afresh each time. Ends the process with exit status 0, silently, on the first load
// that fails. Leaves the pixel unpack alignment at 1, and 2D texturing as it found it.
void loadTextures();
