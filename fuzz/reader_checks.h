// Feeds arbitrary bytes to the program's two file readers exactly as the program reads its files,
// and checks what the readers leave behind. Used by the fuzz targets, which end the run on a broken
// check, both under libFuzzer and when they replay the committed inputs in the other builds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes the bytes as "head.obj" into a private directory, runs loadModel there, and walks slot 1
// the way the model list is compiled (every record that a corner reads is read whole). Returns ""
// when every check held, else what went wrong. Checked: the counts and the end flag against the
// lines of the input, the face count, that no file is left open, that entry 0 of every array and
// slot 0 stay zero, that nothing is stored past the counts, and that every corner reads a record
// of slot 1.
std::string checkModelInput(const std::uint8_t *data, std::size_t size);

// Writes the bytes as "wall7.bmp" into the same directory and reads it with bitmapRead, the part
// of bitmapLoad before the upload; frees the pixels. Returns "" when every check held, else what
// went wrong. Checked: accepted exactly when the header is 24-bit, both sides positive, and the
// whole pixel block fits in the file and in a signed 32-bit size; on success the size and the
// pixel bytes are the file's, in one block of exactly that size; on failure nothing is set; and
// no file is left open.
std::string checkBitmapInput(const std::uint8_t *data, std::size_t size);
