// The exact histogram against sorting every gap, the tick edges of the
// accepted-gap rule, and the endpoint table's bound on kept times.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/figures/gap_histogram.h"
#include "core/figures/gap_rule.h"
#include "core/captures/usb_endpoints.h"
#include "core/captures/usbpcap_record.h"
#include "tests/fakes/fake_heap.h"

namespace {

void expect_same(const Distribution& a, const Distribution& b) {
    EXPECT_EQ(a.n, b.n);
    for (int i = 0; i < PCT_COUNT; i++)
        EXPECT_EQ(a.pct_us[i], b.pct_us[i]) << "percentile " << i;
    EXPECT_EQ(a.min_us, b.min_us);
    EXPECT_EQ(a.max_us, b.max_us);
    EXPECT_NEAR(a.mean_us, b.mean_us, 1e-12 * b.mean_us);  // summed in another order
    EXPECT_NEAR(a.sd_us, b.sd_us, 1e-9 * (1 + b.sd_us));
    EXPECT_EQ(a.stability_pct, b.stability_pct);
}

TEST(GapHistogramTest, EqualsSortingEveryGapInMicrosecondsAndTicks) {
    std::mt19937_64 rng(17);
    for (double freq : {1e6, 1e7, 14318180.0, 3.3e9}) {
        GapHistogram h = {};
        if (freq == 1e6)
            gap_histogram_init_us(&h);
        else
            gap_histogram_init_ticks(&h, freq);
        std::vector<double> all;
        // A 1 kHz mouse with jitter, a slow tail and a few very short gaps.
        std::normal_distribution<double> jitter(1000, 40);
        for (int i = 0; i < 200000; i++) {
            double us = i % 97 == 0 ? 100 + i % 300 : i % 331 == 0 ? 49000 : jitter(rng);
            int64_t units = (int64_t)(us * freq / 1e6);
            double value = gap_histogram_value_us(&h, units);
            if (gap_kind(value) != GAP_ACCEPTED)
                continue;
            gap_histogram_add(&h, units);
            all.push_back(value);
        }
        Distribution exact = {}, counted = {};
        distribution_of(all.data(), all.size(), &exact);
        distribution_of_histogram(&h, &counted);
        for (int i = 0; i < PCT_COUNT; i++)  // the quick look by rank agrees with the full walk
            EXPECT_EQ(gap_histogram_at_rank(&h, nearest_rank(g_percentile_tenths[i], h.n)), counted.pct_us[i]);
        EXPECT_EQ(gap_histogram_at_rank(&h, h.n + 1), 0);
        if (h.units_per_bin == 1) {
            expect_same(counted, exact);
        } else {  // a counter above 20 MHz: within half a bin
            for (int i = 0; i < PCT_COUNT; i++)
                EXPECT_NEAR(counted.pct_us[i], exact.pct_us[i], 0.05) << freq;
        }
        gap_histogram_free(&h);
    }
}

TEST(GapHistogramTest, EdgesOfTheRangeAndAnEmptyOne) {
    GapHistogram h = {};
    gap_histogram_init_us(&h);
    for (int i = 0; i < 5; i++)
        gap_histogram_add(&h, 100);  // both ends are accepted
    gap_histogram_add(&h, 50000);
    gap_histogram_add(&h, 99);       // outside: ignored
    gap_histogram_add(&h, 50001);
    Distribution d = {};
    distribution_of_histogram(&h, &d);
    EXPECT_EQ(d.n, 6u);
    EXPECT_EQ(d.min_us, 100);
    EXPECT_EQ(d.max_us, 50000);
    EXPECT_EQ(d.pct_us[PCT_50], 100);
    gap_histogram_clear(&h);
    distribution_of_histogram(&h, &d);
    EXPECT_EQ(d.n, 0u);
    EXPECT_EQ(d.pct_us[PCT_99], 0);
    gap_histogram_free(&h);
}

TEST(GapHistogramTest, TickEdgesFollowTheRuleExactly) {
    for (double f : {1e7, 3579545.0, 14318180.0, 2.41e9, 1.0e3}) {
        GapTicks t = gap_ticks_for(f);
        EXPECT_EQ(gap_kind(ticks_to_us(t.shortest, f)), GAP_ACCEPTED) << f;
        EXPECT_NE(gap_kind(ticks_to_us(t.shortest - 1, f)), GAP_ACCEPTED) << f;
        EXPECT_EQ(gap_kind(ticks_to_us(t.longest, f)), GAP_ACCEPTED) << f;
        EXPECT_NE(gap_kind(ticks_to_us(t.longest + 1, f)), GAP_ACCEPTED) << f;
    }
    for (double slow : {0.0, 10.0, 19.9}) {  // one tick is already a pause
        GapTicks none = gap_ticks_for(slow);
        EXPECT_GT(none.shortest, none.longest) << slow;
    }
}

TEST(GapHistogramTest, APageThatCannotBeMadeFailsTheFigures) {
    fake_heap_reset();
    GapHistogram h = {};
    gap_histogram_init_us(&h);
    g_fake_heap.fail_all = true;
    gap_histogram_add(&h, 1000);
    g_fake_heap.fail_all = false;
    Distribution d = {};
    distribution_of_histogram(&h, &d);
    EXPECT_TRUE(d.failed);
    EXPECT_EQ(d.n, 0u);
    gap_histogram_free(&h);
    EXPECT_EQ(g_fake_heap.live_blocks, 0);
}

void expect_identical(const Distribution& a, const Distribution& b) {
    expect_same(a, b);
    EXPECT_EQ(a.mean_us, b.mean_us);
    EXPECT_EQ(a.sd_us, b.sd_us);
    EXPECT_EQ(a.failed, b.failed);
}

// The reader's copy against the histogram itself, through more counts than
// the notes keep (pages copied), a few (counted under the lock) and some
// (counted after it), a clear, a new range and a refused page; the lock, a
// count of its holders, is taken and given back in turn.
TEST(GapHistogramTest, AReadersCopyFollowsCountsClearsAndNewRanges) {
    fake_heap_reset();
    int held = 0;
    const GapHistogramLock lock = {[](void* h) { EXPECT_EQ((*(int*)h)++, 0); },
                                   [](void* h) { EXPECT_EQ((*(int*)h)--, 1); }, &held};
    GapHistogram h = {};
    Distribution of_h = {}, of_copy = {};
    const auto expect_level = [&] {
        const GapHistogram* copy = gap_histogram_follow(&h, &lock);
        lock.leave(&held);
        ASSERT_TRUE(copy);
        distribution_of_histogram(&h, &of_h);
        distribution_of_histogram(copy, &of_copy);
        expect_identical(of_copy, of_h);
    };
    std::mt19937_64 rng(3);
    for (double freq : {1e7, 3579545.0}) {
        gap_histogram_init_ticks(&h, freq);
        const GapTicks t = gap_ticks_for(freq);
        expect_level();
        const auto spread = [&](int n) {
            for (int i = 0; i < n; i++)
                gap_histogram_add(&h, t.shortest + (int64_t)(rng() % (uint64_t)(t.longest - t.shortest + 1)));
        };
        for (int round = 0; round < 3; round++) {
            spread(20000);
            expect_level();
            gap_histogram_add(&h, t.shortest + 5);
            expect_level();
            spread(1000);
            expect_level();
        }
        EXPECT_EQ(of_copy.n, 63003u);
        gap_histogram_clear(&h);
        expect_level();
        EXPECT_EQ(of_copy.n, 0u);
        gap_histogram_add(&h, t.longest);
        expect_level();
        EXPECT_EQ(of_copy.n, 1u);
    }
    // A copy whose page cannot be made shows no figures; the next call makes it.
    gap_histogram_free(&h);
    gap_histogram_init_ticks(&h, 1e7);
    gap_histogram_add(&h, 20000);
    g_fake_heap.fail_allocation = g_fake_heap.allocations + 4;  // the copy, the notes, its table, its page
    EXPECT_FALSE(gap_histogram_follow(&h, &lock));
    lock.leave(&held);
    expect_level();
    EXPECT_EQ(of_copy.n, 1u);
    gap_histogram_free(&h);
    EXPECT_EQ(g_fake_heap.live_blocks, 0);
}

TEST(UsbEndpointTableTest, KeptTimesStopAtTheBoundEvenWhenEveryGrowthMovesTheBlock) {
    fake_heap_reset();
    g_fake_heap.realloc_moves = true;
    UsbEndpointTable* t = new UsbEndpointTable;
    const uint64_t bound = 4096 * 2;  // reached exactly when the block would grow again
    usb_endpoints_init(t, bound);
    UsbEndpoint* a = usb_endpoint_of(t, 1, 3, 0x81);
    UsbEndpoint* b = usb_endpoint_of(t, 1, 4, 0x82);
    for (int64_t i = 0; i < (int64_t)bound + 100; i++)
        usb_endpoint_report(t, i % 2 ? a : b, 1000 * i, USBPCAP_TRANSFER_INTERRUPT);
    EXPECT_TRUE(t->times_full);
    EXPECT_EQ(t->times_kept, bound);
    EXPECT_EQ(a->time_count + b->time_count, bound);
    usb_endpoints_sort_times(t);
    for (size_t i = 1; i < a->time_count; i++)
        ASSERT_EQ(a->times[i] - a->times[i - 1], 2000);
    usb_endpoints_free(t);
    delete t;
    EXPECT_EQ(g_fake_heap.live_blocks, 0);
    fake_heap_reset();
}

TEST(UsbEndpointTableTest, ChoiceGoesByScoreThenCompletionsThenAddress) {
    const std::vector<int64_t> p = {10000, 20000, 30000};
    struct Kept {
        uint16_t bus, device;
        uint8_t endpoint;
        std::vector<int64_t> times;
    };
    const Kept two = {1, 5, 0x81, {9000, 19000, 50000}};          // score 2, 3 completions
    const Kept three = {1, 6, 0x81, {9500, 19500, 29500}};        // score 3, 3 completions
    const Kept more = {2, 1, 0x81, {9500, 19500, 29500, 40000}};  // score 3, 4 completions
    const Kept low = {1, 2, 0x82, {9500, 19500, 29500}};          // score 3, lower address
    const Kept none = {1, 1, 0x81, {1, 2}};
    auto pick = [&](std::vector<const Kept*> kept, uint8_t transfer = USBPCAP_TRANSFER_INTERRUPT) {
        UsbEndpointTable* t = new UsbEndpointTable;
        usb_endpoints_init(t, 1000);
        for (const Kept* k : kept) {
            UsbEndpoint* e = usb_endpoint_of(t, k->bus, k->device, k->endpoint);
            for (int64_t ts : k->times)
                usb_endpoint_report(t, e, ts, transfer);
        }
        const UsbEndpoint* best = usb_endpoints_best(t, p.data(), p.size());
        char name[USB_ENDPOINT_NAME_BYTES] = "none";
        if (best)
            format_endpoint_name(name, best->bus, best->device, best->endpoint);
        usb_endpoints_free(t);
        delete t;
        return std::string(name);
    };
    EXPECT_EQ(pick({&two, &three}), "1.6.0x81");  // higher score
    EXPECT_EQ(pick({&three, &more}), "2.1.0x81"); // same score, more completions
    EXPECT_EQ(pick({&three, &low}), "1.2.0x82");  // same score and count: the lower address
    EXPECT_EQ(pick({&low, &three}), "1.2.0x82");
    EXPECT_EQ(pick({&none}), "none");             // no endpoint matches
    EXPECT_EQ(pick({&three}, USBPCAP_TRANSFER_BULK), "none");  // bulk carries no mouse reports
}

TEST(UsbEndpointTableTest, NamesRoundTripAndBadOnesAreRefused) {
    char name[USB_ENDPOINT_NAME_BYTES];
    format_endpoint_name(name, 65535, 65535, 0xFF);
    EXPECT_STREQ(name, "65535.65535.0xFF");
    uint16_t bus, device;
    uint8_t ep;
    ASSERT_TRUE(parse_endpoint_name("1.3.0x81", &bus, &device, &ep));
    EXPECT_EQ(bus, 1);
    EXPECT_EQ(device, 3);
    EXPECT_EQ(ep, 0x81);
    ASSERT_TRUE(parse_endpoint_name("2.10.130", &bus, &device, &ep));
    EXPECT_EQ(ep, 130);
    ASSERT_TRUE(parse_endpoint_name("2.10.010", &bus, &device, &ep));
    EXPECT_EQ(ep, 10);  // decimal, never octal
    for (const char* bad : {"", "1.3", "1.3.0x181", "1..0x81", "-1.3.0x81", "1.3.0x81 ", "70000.1.1", "1.3.0x", "1.3.x81"})
        EXPECT_FALSE(parse_endpoint_name(bad, &bus, &device, &ep)) << bad;
}

}  // namespace
