// PNG encoding through the Windows Imaging Component, behind a seam so tests
// see the pixels the window would have written.
#pragma once

#include <stdint.h>
#include <stdio.h>

// Writes an image of width x height pixels (rows top down, each pixel 0x00RRGGBB
// as a 32-bit DIB section holds it) to f as an opaque 24-bit PNG. False when
// the encoder or the write failed.
bool png_write(FILE* f, const uint32_t* pixels, int width, int height);
