// The PNG seam's fake (see fake_png_write.h).
#include "tests/fakes/fake_png_write.h"

#include "platform/png_write.h"

FakePng g_fake_png;

bool png_write(FILE* f, const uint32_t* pixels, int width, int height) {
    g_fake_png.calls++;
    g_fake_png.width = width;
    g_fake_png.height = height;
    g_fake_png.pixels.assign(pixels, pixels + (size_t)width * (size_t)height);
    return !g_fake_png.fail && fputs("fake png\n", f) >= 0;
}
