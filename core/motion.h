// Motion in every report: what a mouse report carried besides its time (the
// Raw Input RAWMOUSE fields), how a report is classed by it, and the
// motion-gated figures and hints that every front end shows.
#pragma once

#include <stdint.h>

// RAWMOUSE's usFlags bits the program reads (values as Windows defines them).
enum {
    MOTION_FLAG_ABSOLUTE = 0x01,    // MOUSE_MOVE_ABSOLUTE: dx, dy are a position
    MOTION_FLAG_NOCOALESCE = 0x08,  // MOUSE_MOVE_NOCOALESCE
};

// One report's fields as kept: dx, dy (lLastX, lLastY; relative counts, or a
// position when flags has MOTION_FLAG_ABSOLUTE), buttons (usButtonFlags),
// wheel (usButtonData as the signed wheel delta), flags (usFlags).
struct ReportMotion {
    int32_t dx, dy;
    uint16_t buttons;
    int16_t wheel;
    uint16_t flags;
};

// Moving: relative motion, |dx| + |dy| > 0 (an absolute report never is).
bool motion_is_moving(const ReportMotion* m);
// Idle: a relative report with no motion and no button or wheel change (an
// absolute one says where the pointer is, not whether it moved: neither).
bool motion_is_idle(const ReportMotion* m);
// A moving report with |dx| or |dy| equal to 127 or 128.
bool motion_is_saturated(const ReportMotion* m);
// Counts per second over an interval: sqrt(dx^2 + dy^2) / interval; 0 for a
// report that is not moving or an interval that is not positive.
double motion_speed(const ReportMotion* m, double interval_us);
