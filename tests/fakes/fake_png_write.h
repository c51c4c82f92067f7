// The PNG seam for tests: keeps the pixels it was given and writes a few
// marker bytes, or refuses on demand.
#pragma once

#include <stdint.h>

#include <vector>

struct FakePng {
    int calls;
    int width, height;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top down
    bool fail;
};

extern FakePng g_fake_png;
