// The main window's rate line: the shown record's report clock (the estimate
// the plot's header and the console print), fed from the arrival log on the
// window's thread, never the reader's, a bounded number of reports per
// refresh; and the median rate for when there is no clock.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <wchar.h>

#include "core/runs/arrival_clock.h"
#include "core/runs/run.h"

enum {
    // Reports fed to the clock per refresh, some 7 ms of the window's thread
    // at most: an 8000 Hz mouse brings 800 a tick, and a record of which the
    // log holds half an hour at 8000 Hz is caught up with in about 11 s.
    PANEL_RATE_FEED = 1 << 17,
};

struct PanelRate {
    RecordClock clock;
    ReportClockFigures figures;  // as of the last look, when have
    double median_hz;            // the record's median rate then; 0 with no interval
    bool have;                   // figures and median_hz describe the record
    bool final;                  // taken after measuring stopped: the run's, frozen
    int64_t looked_t;            // counter value of the last look
};

// Feeds the clock what the log gained for record slot (anew when the slot or
// the run changed) and, once it has caught up, looks at the figures: at most
// every half second while measuring, once after it stopped, then never again
// until the log changes. now: the counter's value.
void panel_rate_refresh(PanelRate* p, Run* run, int slot, int64_t now);
void panel_rate_free(PanelRate* p);

// The rate line: the large part ("回报时钟 1000.0 Hz · 填充 98.7 %", or the
// median rate) and, without a clock, why, in the panel's own font after it
// (empty otherwise).
void panel_rate_text(const PanelRate* p, wchar_t* large, size_t large_cap, wchar_t* small,
                     size_t small_cap);
