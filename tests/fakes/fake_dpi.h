// Scripted DPI: every window and the system report g_fake_dpi.
#pragma once

#include <windows.h>

extern UINT g_fake_dpi;
