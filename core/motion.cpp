// Classing reports by what they carried.
#include "core/motion.h"

#include <math.h>
#include <stdlib.h>

bool motion_is_moving(const ReportMotion* m) {
    return !(m->flags & MOTION_FLAG_ABSOLUTE) && (m->dx != 0 || m->dy != 0);
}

bool motion_is_idle(const ReportMotion* m) {
    return !(m->flags & MOTION_FLAG_ABSOLUTE) && m->dx == 0 && m->dy == 0 && m->buttons == 0 &&
           m->wheel == 0;
}

static bool at_8bit_limit(int32_t v) { return abs(v) == 127 || abs(v) == 128; }

bool motion_is_saturated(const ReportMotion* m) {
    return motion_is_moving(m) && (at_8bit_limit(m->dx) || at_8bit_limit(m->dy));
}

double motion_speed(const ReportMotion* m, double interval_us) {
    if (!motion_is_moving(m) || !(interval_us > 0))
        return 0;
    return sqrt((double)m->dx * m->dx + (double)m->dy * m->dy) * 1e6 / interval_us;
}
