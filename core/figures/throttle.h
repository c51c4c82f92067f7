// Windows 11's throttle of background raw mouse input (build 22621 and later):
// a listener that is not the foreground window gets at most one WM_INPUT per
// RawMouseThrottleDuration ms, the skipped motion summed into it. Whether it
// applies follows from the build and the DWORD values under
// HKEY_CURRENT_USER\Control Panel\Mouse.
#pragma once

#include <stddef.h>
#include <stdint.h>

enum {
    THROTTLE_FIRST_BUILD = 22621,
    THROTTLE_DEFAULT_MS = 8,
};

// One registry value: absent is a state of its own.
struct ThrottleValue {
    bool present;
    uint32_t value;
};

struct ThrottleSettings {
    uint32_t build;  // the Windows build number
    ThrottleValue enabled;   // RawMouseThrottleEnabled
    ThrottleValue forced;    // RawMouseThrottleForced
    ThrottleValue duration;  // RawMouseThrottleDuration, ms
    ThrottleValue leeway;    // RawMouseThrottleLeeway
};

struct ThrottleDecision {
    bool applies;
    uint32_t duration_ms;  // the period, THROTTLE_DEFAULT_MS when absent or 0
};

// Forced = 1 throttles whatever else is set; otherwise Enabled = 0 turns it
// off, Enabled = 1 turns it on, and without Enabled the build decides.
ThrottleDecision throttle_decide(const ThrottleSettings* s);

// The most reports a second a throttled background listener receives.
double throttle_rate_hz(uint32_t duration_ms);

// "RawMouseThrottleEnabled=1, 8 ms" (values as the registry holds them,
// "absent" in the chosen language when absent; RawMouseThrottleForced named
// when it is 1).
void format_throttle_cause(char* out, size_t cap, const ThrottleSettings* s,
                           const ThrottleDecision* d);
