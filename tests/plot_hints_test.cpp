// The plot window's hint texts: each hint's words only when it applies, in
// the chosen language.
#include <gtest/gtest.h>

#include <string>

#include "core/views/texts.h"
#include "gui/plot_hints.h"

namespace {

TEST(PlotHintsTest, OneTextPerHintThatApplies) {
    texts_set_lang(LANG_ZH);
    MotionFigures m = {};
    m.median_speed = 2000;
    MotionHints h = {};
    wchar_t text[256];
    EXPECT_EQ(plot_hints_text(text, 256, &h, &m), 0);
    EXPECT_STREQ(text, L"");
    h.hand_limited = true;
    h.faster_by = 4;
    h.idle = true;
    h.idle_pct = 6;
    const int n = plot_hints_text(text, 256, &h, &m);
    EXPECT_STREQ(text,
                 L"手速限制了回报率：中位速度 2000 计数/秒，请移动快约 4.0 倍   "
                 L"6.0% 的回报无移动：鼠标在不动时也发送回报（有的固件借此虚报回报率）");
    EXPECT_EQ(n, (int)wcslen(text));
    h.saturation = true;
    h.saturated_pct = 1.5;
    plot_hints_text(text, 256, &h, &m);
    EXPECT_NE(std::wstring(text).find(L"1.5% 的移动回报饱和（8 位位移）：请慢些移动或降低 CPI"),
              std::wstring::npos);
    const int cut = plot_hints_text(text, 20, &h, &m);
    EXPECT_EQ(cut, (int)wcslen(text)) << "cut short, still ended";
    EXPECT_LT(cut, 20);

    texts_set_lang(LANG_EN);
    h.saturation = false;
    plot_hints_text(text, 256, &h, &m);
    EXPECT_STREQ(text,
                 L"The hand limited the rate: median speed 2000 counts/s; move about 4.0 times "
                 L"faster   6.0% of reports idle: sent without motion (some firmware fakes a rate "
                 L"so)");
}

}  // namespace
