// The two layers compared on hand-worked sequences (microseconds).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/figures/layer_compare.h"
#include "core/views/layer_text.h"
#include "core/views/texts.h"

namespace {

LayerComparison compare(const std::vector<int64_t>& u, const std::vector<int64_t>& p) {
    LayerComparison c;
    compare_layers(u.data(), u.size(), p.data(), p.size(), &c);
    return c;
}

TEST(LayerCompareTest, MergedPairsAMissingUsbReportAndTheMatchLimit) {
    // USB every 1000 us from 0; the program gets each 300 us later, except that
    // 3000 and 4000 arrive together at 4300, and an extra report at 6100 has
    // no USB report of its own.
    std::vector<int64_t> u = {0, 1000, 2000, 3000, 4000, 5000, 6000, 7000};
    std::vector<int64_t> p = {300, 1300, 2300, 4300, 5300, 6050, 6100, 7300};
    LayerComparison c = compare(u, p);
    ASSERT_TRUE(c.overlap);
    EXPECT_EQ(c.t0_us, 300);
    EXPECT_EQ(c.t1_us, 7000);
    EXPECT_EQ(c.usb_reports, 7u);      // 1000..7000
    EXPECT_EQ(c.program_reports, 7u);  // 300..6100
    EXPECT_EQ(c.matched, 7u);
    // Deliveries after the first: k = 1, 1, 2, 1, 1, 0 (6100 follows 6050 with nothing new).
    EXPECT_EQ(c.k0, 1u);
    EXPECT_EQ(c.k1, 4u);
    EXPECT_EQ(c.k2plus, 1u);
    EXPECT_EQ(c.merged, 1u);
    // Delays 300, 300, 300, 300, 300, 50, 100: nearest-rank median 300, P99 300.
    EXPECT_EQ(c.delay_p50_us, 300);
    EXPECT_EQ(c.delay_p99_us, 300);
    EXPECT_EQ(c.delay_max_us, 300);
    EXPECT_DOUBLE_EQ(c.usb_gaps.pct_us[PCT_50], 1000);

    // A delay of exactly 50,000 us still matches; one more does not.
    c = compare({0, 1000}, {1000, 51000, 51001});
    EXPECT_EQ(c.program_reports, 1u);  // the span ends at the last USB report
    c = compare({0, 100000}, {50000, 100000});
    EXPECT_EQ(c.matched, 2u);
    EXPECT_EQ(c.delay_max_us, 50000);
    c = compare({0, 100000}, {50001, 100000});
    EXPECT_EQ(c.matched, 1u);
}

TEST(LayerCompareTest, NoOverlapAndCoarseStamps) {
    EXPECT_FALSE(compare({0, 1000}, {2000, 3000}).overlap);
    EXPECT_FALSE(compare({}, {2000}).overlap);
    // A third of the gaps exactly 0: too coarse for delays.
    LayerComparison c = compare({0, 15600, 15600, 31200, 31200, 46800, 62400},
                                {100, 15700, 31300, 46900, 62500});
    EXPECT_TRUE(c.coarse);
    char text[1024] = "";
    format_comparison(text, sizeof text, "1.2.0x81", &c);
    std::string s = text;
    EXPECT_NE(s.find("\nDelivery: matched=4\n"), std::string::npos) << s;
    EXPECT_NE(s.find("The capture's clock is too coarse for delays"), std::string::npos);
}

TEST(LayerCompareTest, EndpointScoreCountsReportsWithAUsbReportTwoMillisecondsBefore) {
    std::vector<int64_t> p = {10000, 20000, 30000};
    std::vector<int64_t> close_by = {8000, 19999, 30000};  // 2000 before, 1 before, same time
    std::vector<int64_t> too_far = {7999, 20001};          // 2001 before, after
    EXPECT_EQ(endpoint_score(close_by.data(), close_by.size(), p.data(), p.size()), 3u);
    EXPECT_EQ(endpoint_score(too_far.data(), too_far.size(), p.data(), p.size()), 0u);
}

TEST(LayerCompareTest, TheSentenceReadsTheFigures) {
    std::vector<int64_t> u, p;
    for (int64_t i = 0; i < 2000; i++) {
        u.push_back(125 * i);
        if (i % 8 == 7)
            p.push_back(125 * i + 40);  // one delivery per 8 reports: throttled
    }
    LayerComparison c = compare(u, p);
    char text[1024] = "";
    format_comparison(text, sizeof text, "1.3.0x81", &c);
    // The USB times show the mouse's clock; Windows' bursts of 8 hide it
    // from the program's, which follow no 125 us lattice.
    EXPECT_NE(std::string(text).find(" p99_hz=8000.0 clock_us=125.000\n"), std::string::npos) << text;
    EXPECT_NE(std::string(text).find("The mouse's clock is 125 us (8000 Hz), but Windows delivered "
                                     "in bursts of 8: it merged 7 of every 8 reports into one "
                                     "delivery"),
              std::string::npos)
        << text;

    c = compare({0, 1000, 2000, 3000}, {312, 1312, 2312, 3312});
    text[0] = 0;
    format_comparison(text, sizeof text, "1.3.0x81", &c);
    EXPECT_STREQ(text,
                 "USB layer: endpoint=1.3.0x81 reports=3 median_hz=1000.0 p1_hz=1000.0 p99_hz=1000.0 "
                 "clock_us=none\n"
                 "Program layer: reports=3 median_hz=1000.0 p1_hz=1000.0 p99_hz=1000.0 clock_us=none\n"
                 "Delivery: matched=3 delay_p50_us=312.0 delay_p99_us=312.0 delay_max_us=312.0\n"
                 "Per delivery: k0=0 k1=2 k2plus=0 merged=0\n"
                 "The mouse sent 1000 Hz and Windows delivered every report one by one, about "
                 "0.3 ms later.\n");
    // In Chinese the sentence reads the same figures; the key lines stay.
    texts_set_lang(LANG_ZH);
    text[0] = 0;
    format_comparison(text, sizeof text, "1.3.0x81", &c);
    texts_set_lang(LANG_EN);
    EXPECT_NE(std::string(text).find("Per delivery: k0=0 k1=2 k2plus=0 merged=0\n"
                                     "鼠标以 1000 Hz 发送报告，Windows 逐个交付了每个报告，约晚 0.3 ms。\n"),
              std::string::npos)
        << text;
}

// The reader stamps every report of one read with one time: equal program
// times are one read, one delivery, held against the USB reports since the
// read before.
TEST(LayerCompareTest, AReadOfSeveralReportsIsOneDelivery) {
    // USB every 1000 us; reads of 1, 1, 2, 3 and 4 reports, each stamped 300 us
    // after its last report. The report at 11000 never reached the program.
    std::vector<int64_t> u, p;
    for (int64_t i = 0; i <= 11; i++)
        u.push_back(1000 * i);
    int64_t first = 0;
    for (int64_t last : {0, 1, 3, 6, 10}) {
        p.insert(p.end(), (size_t)(last - first + 1), 1000 * last + 300);
        first = last + 1;
    }
    LayerComparison c = compare(u, p);
    EXPECT_EQ(c.program_reports, 11u);
    EXPECT_EQ(c.k0, 0u);
    EXPECT_EQ(c.k1, 1u);
    EXPECT_EQ(c.k2plus, 3u);
    EXPECT_EQ(c.merged, 0u);
    EXPECT_EQ(c.unsourced, 0u);
    EXPECT_EQ(c.reads_of_several, 3u);
    // Per report, the i-th of a read against the i-th of its USB reports:
    // 300 (x5), 1300 (x3), 2300 (x2), 3300.
    EXPECT_EQ(c.matched, 11u);
    EXPECT_EQ(c.delay_p50_us, 1300);
    EXPECT_EQ(c.delay_max_us, 3300);
    char text[1024] = "";
    format_comparison(text, sizeof text, "1.3.0x81", &c);
    EXPECT_NE(std::string(text).find(
                  "\nPer delivery: k0=0 k1=1 k2plus=3 merged=0 unsourced=0 reads_of_several=3\n"
                  "The mouse sent 1000 Hz and the program read 1–4 reports at a time, about 1.3 ms "
                  "later; none was lost or merged.\n"),
              std::string::npos)
        << text;
    texts_set_lang(LANG_ZH);
    text[0] = 0;
    format_comparison(text, sizeof text, "1.3.0x81", &c);
    texts_set_lang(LANG_EN);
    EXPECT_NE(std::string(text).find(
                  "鼠标以 1000 Hz 发送报告，程序每次读取 1–4 个报告，约晚 1.3 ms；没有报告丢失或被合并。\n"),
              std::string::npos)
        << text;

    // A read of 2 with 3 USB reports behind it: one merged, the read's two
    // against the latest two. Then a read of 3 with 2 behind it: one report
    // has no USB report of its own and is held against the latest.
    c = compare({0, 1000, 2000, 3000, 4000, 5000, 6000, 20000},
                {300, 3300, 3300, 5300, 5300, 5300, 6300});
    EXPECT_EQ(c.k1, 1u);
    EXPECT_EQ(c.k2plus, 2u);
    EXPECT_EQ(c.merged, 1u);
    EXPECT_EQ(c.unsourced, 1u);
    EXPECT_EQ(c.reads_of_several, 2u);
    EXPECT_EQ(c.matched, 7u);
    EXPECT_EQ(c.delay_max_us, 1300);  // 300, 1300, 300, 1300, 300, 300, 300
    EXPECT_EQ(c.delay_p50_us, 300);

    // Reads of 2 at 8000 Hz, one of which has a third USB report behind it:
    // merging is named, and only for that report.
    u.clear();
    p.clear();
    for (int64_t i = 0; i < 400; i++) {
        u.push_back(125 * i);
        if (i == 200)
            u.push_back(125 * i + 60);
        if (i % 2 == 1)
            p.insert(p.end(), 2, 125 * i + 40);
    }
    c = compare(u, p);
    EXPECT_EQ(c.merged, 1u);
    EXPECT_EQ(c.unsourced, 0u);
    text[0] = 0;
    format_comparison(text, sizeof text, "1.3.0x81", &c);
    EXPECT_NE(std::string(text).find(" and the program read 2 reports at a time, but Windows "
                                     "merged 1 into other reports.\n"),
              std::string::npos)
        << text;
}

}  // namespace
