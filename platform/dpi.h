// Display DPI, behind a seam: the calls that give it exist only on Windows 10
// and later, and tests choose the DPI a window is laid out for.
#pragma once

#include <windows.h>

// The DPI at which the program's pixel values hold as written.
static const UINT DPI_BASE = 96;

// The DPI of the monitor the window is on.
UINT dpi_of_window(HWND window);
// The DPI that new top-level windows start with.
UINT dpi_of_system(void);

// v pixels at DPI_BASE, scaled to dpi (rounded as MulDiv rounds).
inline int dpi_scale(int v, UINT dpi) { return MulDiv(v, (int)dpi, (int)DPI_BASE); }
