// The throttle settings a test chooses (see fake_throttle_settings.h).
#include "tests/fakes/fake_throttle_settings.h"

#include "platform/throttle_settings.h"

ThrottleSettings g_fake_throttle = {7601, {false, 0}, {false, 0}, {false, 0}, {false, 0}};

void fake_throttle_reset(void) {
    g_fake_throttle = ThrottleSettings{7601, {false, 0}, {false, 0}, {false, 0}, {false, 0}};
}

void read_throttle_settings(ThrottleSettings* out) { *out = g_fake_throttle; }
