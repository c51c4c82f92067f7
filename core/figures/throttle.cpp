// The throttle decision table and the figures that follow from it.
#include "core/figures/throttle.h"

#include <stdio.h>

#include "core/views/texts.h"

ThrottleDecision throttle_decide(const ThrottleSettings* s) {
    ThrottleDecision d;
    d.duration_ms = s->duration.present && s->duration.value > 0 ? s->duration.value
                                                                  : (uint32_t)THROTTLE_DEFAULT_MS;
    if (s->forced.present && s->forced.value == 1)
        d.applies = true;
    else if (s->enabled.present)
        d.applies = s->enabled.value == 1;
    else
        d.applies = s->build >= THROTTLE_FIRST_BUILD;
    return d;
}

double throttle_rate_hz(uint32_t duration_ms) {
    return duration_ms ? 1000.0 / duration_ms : 0;
}

void format_throttle_cause(char* out, size_t cap, const ThrottleSettings* s,
                           const ThrottleDecision* d) {
    char enabled[16];
    if (s->enabled.present)
        snprintf(enabled, sizeof enabled, "%lu", (unsigned long)s->enabled.value);
    else
        snprintf(enabled, sizeof enabled, "%s", tx(TX_THROTTLE_ABSENT));
    if (s->forced.present && s->forced.value == 1)
        snprintf(out, cap, "RawMouseThrottleEnabled=%s, RawMouseThrottleForced=1, %lu ms", enabled,
                 (unsigned long)d->duration_ms);
    else
        snprintf(out, cap, "RawMouseThrottleEnabled=%s, %lu ms", enabled,
                 (unsigned long)d->duration_ms);
}
