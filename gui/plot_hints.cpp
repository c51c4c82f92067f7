// The plot window's words for the motion hints: which ones apply and their
// figures come from core (motion_hints_of), as for the console.
#include "gui/plot_hints.h"

#include <stdio.h>

static void append(wchar_t* buf, size_t cap, int* used, const wchar_t* fmt, double a, double b = 0) {
    if (*used < 0 || (size_t)*used >= cap)
        return;
    const size_t room = cap - (size_t)*used;
    int n = swprintf(buf + *used, room, fmt, a, b);
    if (n < 0 || (size_t)n >= room) {  // cut short: some runtimes leave it unended
        buf[cap - 1] = 0;
        *used = (int)wcslen(buf);
        return;
    }
    *used += n;
}

int plot_hints_text(wchar_t* buf, size_t cap, const MotionHints* h, const MotionFigures* m) {
    int used = 0;
    if (cap == 0)
        return 0;
    buf[0] = 0;
    if (h->hand_limited)
        append(buf, cap, &used, L"手速限制了回报率：中位速度 %.0f 计数/秒，请移动快约 %.1f 倍   ",
               m->median_speed, h->faster_by);
    if (h->saturation)
        append(buf, cap, &used, L"%.1f%% 的移动回报饱和（8 位位移）：请慢些移动或降低 CPI   ",
               h->saturated_pct);
    if (h->idle)
        append(buf, cap, &used, L"%.1f%% 的回报无移动：鼠标在不动时也发送回报（有的固件借此虚报回报率）   ",
               h->idle_pct);
    while (used > 0 && buf[used - 1] == L' ')
        buf[--used] = 0;
    return used;
}
