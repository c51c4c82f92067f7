// Windows' background throttle: the decision table, the period, the cause
// text, and the signature the statistics find in what arrives.
#include <gtest/gtest.h>

#include <string>

#include "core/figures/stats.h"
#include "core/figures/throttle.h"
#include "core/views/texts.h"
#include "tests/support/stats_suite.h"

namespace {

const ThrottleValue kAbsent = {false, 0};
ThrottleValue set(uint32_t v) { return ThrottleValue{true, v}; }

TEST(ThrottleDecisionTest, BuildEnabledAndForced) {
    const struct {
        uint32_t build;
        ThrottleValue enabled, forced;
        bool applies;
    } rows[] = {
        {22000, kAbsent, kAbsent, false}, {22621, kAbsent, kAbsent, true},
        {26100, kAbsent, kAbsent, true},  {22000, set(1), kAbsent, true},
        {26100, set(0), kAbsent, false},  {22000, set(0), kAbsent, false},
        {26100, set(1), kAbsent, true},   {22000, kAbsent, set(1), true},
        {26100, set(0), set(1), true},    {26100, kAbsent, set(0), true},
        {22000, set(2), set(0), false},   {7601, kAbsent, kAbsent, false},
    };
    for (const auto& row : rows) {
        ThrottleSettings s = {row.build, row.enabled, row.forced, kAbsent, kAbsent};
        ThrottleDecision d = throttle_decide(&s);
        EXPECT_EQ(d.applies, row.applies)
            << "build " << row.build << " enabled " << (row.enabled.present ? (int)row.enabled.value : -1)
            << " forced " << (row.forced.present ? (int)row.forced.value : -1);
        EXPECT_EQ(d.duration_ms, 8u);
    }
}

TEST(ThrottleDecisionTest, PeriodRateAndCause) {
    ThrottleSettings s = {22621, kAbsent, kAbsent, set(3), kAbsent};
    ThrottleDecision d = throttle_decide(&s);
    EXPECT_EQ(d.duration_ms, 3u);
    EXPECT_NEAR(throttle_rate_hz(d.duration_ms), 333.3, 0.05);
    char cause[96];
    format_throttle_cause(cause, sizeof cause, &s, &d);
    EXPECT_STREQ(cause, "RawMouseThrottleEnabled=absent, 3 ms");
    texts_set_lang(LANG_ZH);  // the value's word in the warning's language, the name as the registry's
    format_throttle_cause(cause, sizeof cause, &s, &d);
    texts_set_lang(LANG_EN);
    EXPECT_STREQ(cause, "RawMouseThrottleEnabled=未设置, 3 ms");

    s = ThrottleSettings{1, set(1), set(1), set(0), kAbsent};  // a zero period means the default
    d = throttle_decide(&s);
    EXPECT_EQ(d.duration_ms, 8u);
    EXPECT_DOUBLE_EQ(throttle_rate_hz(d.duration_ms), 125.0);
    format_throttle_cause(cause, sizeof cause, &s, &d);
    EXPECT_STREQ(cause, "RawMouseThrottleEnabled=1, RawMouseThrottleForced=1, 8 ms");
}

class ThrottleSignatureTest : public StatsSuite {
protected:
    void SetUp() override {
        restart_run(1000000.0);  // one tick per microsecond
        set_period_ms(8);
    }
    // The throttle as the run reads it when measuring starts.
    void set_period_ms(uint32_t ms) {
        const ThrottleSettings settings = {};
        run_set_throttle(run(), &settings, ThrottleDecision{true, ms});
    }
    // Feeds intervals (us) in turn for just over a second and a half; true when
    // the readings then name the throttle.
    bool signature_after(std::initializer_list<int64_t> intervals, bool background = true) {
        run_clear(run());
        DeviceStats* rec = &run()->records[1];
        int64_t t = 1000;
        record_arrival(rec, t, background);
        while (t < 1600000) {
            for (int64_t iv : intervals) {
                t += iv;
                record_arrival(rec, t, background);
            }
        }
        StatsReadings r;
        stats_read(rec, &r);
        return r.throttle_signature;
    }
};

TEST_F(ThrottleSignatureTest, FoundOnThrottledStreamsOnly) {
    EXPECT_TRUE(signature_after({8000}));
    EXPECT_TRUE(signature_after({8000, 16000, 7600, 8450}));  // whole multiples, within 0.5 ms
    EXPECT_FALSE(signature_after({8000}, false)) << "foreground reports are never throttled";
    EXPECT_FALSE(signature_after({1000}));
    EXPECT_FALSE(signature_after({125}));
    // 8 ms on average, but jittered by up to 3 ms: a real 125 Hz mouse's timing
    EXPECT_FALSE(signature_after({8000, 5200, 10900, 7000, 9100, 6300, 11200, 6400}));
    // one interval in ten off the period is still throttled; two in ten is not
    EXPECT_TRUE(signature_after({8000, 8000, 8000, 8000, 8000, 8000, 8000, 8000, 8000, 4000}));
    EXPECT_FALSE(signature_after({8000, 8000, 8000, 8000, 4000, 8000, 8000, 8000, 8000, 4000}));

    set_period_ms(3);
    EXPECT_TRUE(signature_after({3000, 6000}));
    EXPECT_FALSE(signature_after({8000, 8000, 4000}));
}

TEST(NearPeriodMultipleTest, ToleranceAndShortIntervals) {
    EXPECT_TRUE(near_period_multiple(8500, 8000));
    EXPECT_FALSE(near_period_multiple(8501, 8000));
    EXPECT_TRUE(near_period_multiple(23500, 8000));
    EXPECT_FALSE(near_period_multiple(300, 8000)) << "zero multiples are not a period";
    EXPECT_FALSE(near_period_multiple(8000, 0));
}

}  // namespace
