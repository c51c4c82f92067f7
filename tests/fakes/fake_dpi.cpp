// The DPI that tests choose (96 unless a test says otherwise).
#include "tests/fakes/fake_dpi.h"

#include "platform/dpi.h"

UINT g_fake_dpi = DPI_BASE;

UINT dpi_of_window(HWND) { return g_fake_dpi; }
UINT dpi_of_system(void) { return g_fake_dpi; }
