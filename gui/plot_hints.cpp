// The plot window's words for the motion hints: which ones apply and their
// figures come from core (motion_hints_of), as for the console; the words
// from the language's table.
#include "gui/plot_hints.h"

#include "core/views/text_buf.h"
#include "core/views/texts.h"

int plot_hints_text(wchar_t* buf, size_t cap, const MotionHints* h, const MotionFigures* m) {
    WideBuf t = text_buf(buf, cap);
    // Three spaces after each: the next hint, or nothing once trimmed.
    if (h->hand_limited) {
        text_appendf(&t, txw(TX_PLOT_HINT_HAND), m->median_speed, h->faster_by);
        text_appendf(&t, L"   ");
    }
    if (h->saturation) {
        text_appendf(&t, txw(TX_PLOT_HINT_SATURATED), h->saturated_pct);
        text_appendf(&t, L"   ");
    }
    if (h->idle) {
        text_appendf(&t, txw(TX_PLOT_HINT_IDLE), h->idle_pct);
        text_appendf(&t, L"   ");
    }
    while (t.len > 0 && buf[t.len - 1] == L' ')
        buf[--t.len] = 0;
    return (int)t.len;
}
