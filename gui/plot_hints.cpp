// The plot window's words for the motion hints: which ones apply and their
// figures come from core (motion_hints_of), as for the console.
#include "gui/plot_hints.h"

#include "core/views/text_buf.h"

int plot_hints_text(wchar_t* buf, size_t cap, const MotionHints* h, const MotionFigures* m) {
    WideBuf t = text_buf(buf, cap);
    if (h->hand_limited)
        text_appendf(&t, L"手速限制了回报率：中位速度 %.0f 计数/秒，请移动快约 %.1f 倍   ",
                     m->median_speed, h->faster_by);
    if (h->saturation)
        text_appendf(&t, L"%.1f%% 的移动回报饱和（8 位位移）：请慢些移动或降低 CPI   ",
                     h->saturated_pct);
    if (h->idle)
        text_appendf(&t,
                     L"%.1f%% 的回报无移动：鼠标在不动时也发送回报（有的固件借此虚报回报率）   ",
                     h->idle_pct);
    while (t.len > 0 && buf[t.len - 1] == L' ')
        buf[--t.len] = 0;
    return (int)t.len;
}
