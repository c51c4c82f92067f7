// Report reception and display selection against the scripted Raw Input layer,
// counter and heap.
#include <gtest/gtest.h>
#include <string.h>

#include "core/runs/arrival_log.h"
#include "core/heap.h"
#include "engine/reception.h"
#include "tests/fakes/fake_counter.h"
#include "tests/fakes/fake_heap.h"
#include "tests/fakes/fake_rawinput.h"
#include "tests/fakes/fake_utc_clock.h"
#include "tests/support/stats_suite.h"

namespace {

HANDLE mouse_handle(int n) { return (HANDLE)(INT_PTR)(0x1000 + n); }

const UINT kMouseReportSize = sizeof(RAWINPUTHEADER) + sizeof(RAWMOUSE);

class ReceptionTest : public StatsSuite {
protected:
    void SetUp() override {
        fake_rawinput_reset();
        g_fake_counter_now = 1000000;
        restart_run(10000000.0);  // its choice automatic
        fake_heap_reset();
        reception = Reception{run(), nullptr, 0, true};
        for (std::atomic<int64_t>& a : g_dev_last_active)
            a = 0;
        set_registry(4);
        run_set_measuring(run(), true);
    }
    void TearDown() override {
        run_set_measuring(run(), false);
        reception_free(&reception);
    }
    // Slot 0 plus mice 1..n-1, mouse i having handle mouse_handle(i).
    static void set_registry(int n) {
        g_nri = n;
        for (int i = 1; i < n; i++)
            g_ri_devs[i].handle = mouse_handle(i);
        registry_publish_slots(0);
    }
    static void script_report(int index, DWORD type, HANDLE device, UINT size) {
        FakeReport* r = &g_fake_ri.reports[index];
        r->type = type;
        r->device = device;
        r->size = size;
    }
    void deliver(int index, int64_t at, WPARAM code = RIM_INPUT) {
        g_fake_counter_now = at;
        on_wm_input(&reception, fake_report_handle(index), code);
    }
    Reception reception;
};

TEST_F(ReceptionTest, MeasuringOffReadsNothing) {
    run_set_measuring(run(), false);
    script_report(0, RIM_TYPEMOUSE, mouse_handle(3), kMouseReportSize);
    deliver(0, 5000);
    EXPECT_EQ(g_fake_ri.data_calls, 0);
    EXPECT_EQ(reception.buffer, nullptr);
    EXPECT_EQ(g_dev_last_active[3], 0);
    EXPECT_EQ(run()->records[0].first_ts, 0);
}

TEST_F(ReceptionTest, KeyboardReportChangesNothing) {
    script_report(0, RIM_TYPEKEYBOARD, mouse_handle(3), kMouseReportSize);
    deliver(0, 5000);
    EXPECT_EQ(run()->records[0].first_ts, 0);
    EXPECT_EQ(run()->records[3].first_ts, 0);
    EXPECT_EQ(g_dev_last_active[3], 0);
}

TEST_F(ReceptionTest, KnownMouseUpdatesAggregateThenItsSlotWithOneStamp) {
    script_report(0, RIM_TYPEMOUSE, mouse_handle(3), kMouseReportSize);
    deliver(0, 5000);
    deliver(0, 15000);
    EXPECT_EQ(g_dev_last_active[3], 15000);
    EXPECT_EQ(run()->records[0].last_ts, 15000);
    EXPECT_EQ(run()->records[3].last_ts, 15000);
    EXPECT_EQ(run()->records[0].interval_count, 1u);
    EXPECT_EQ(run()->records[3].interval_count, 1u);
    EXPECT_EQ(run()->records[1].first_ts, 0);
    EXPECT_EQ(run()->records[2].first_ts, 0);
}

// What RAWMOUSE carried reaches the log and both records, by message and by
// buffered read; a block too short to hold it counts its time only.
TEST_F(ReceptionTest, ReportsCarryTheirMotionIntoTheLogAndTheRecords) {
    script_report(0, RIM_TYPEMOUSE, mouse_handle(2), kMouseReportSize);
    RAWMOUSE* m = &g_fake_ri.reports[0].mouse;
    m->usFlags = MOUSE_MOVE_NOCOALESCE;
    m->lLastX = -3;
    m->lLastY = 127;
    m->usButtonFlags = RI_MOUSE_WHEEL;
    m->usButtonData = (USHORT)-120;
    deliver(0, 5000);
    static RAWINPUT reads[3];
    for (RAWINPUT& r : reads) {
        r.header.dwType = RIM_TYPEMOUSE;
        r.header.dwSize = sizeof(RAWINPUT);
        r.header.hDevice = mouse_handle(2);
        r.data.mouse.lLastX = 5;
    }
    reads[1].data.mouse.usFlags = MOUSE_MOVE_ABSOLUTE;
    reads[1].data.mouse.lLastX = 65535;
    reads[2].header.dwSize = sizeof(RAWINPUTHEADER);
    reception_take_batch(&reception, reads, 3, sizeof reads, 15000);

    ArrivalView v = {};
    arrival_view_take(&v, &run()->log, ARRIVAL_READER_TEST);
    ASSERT_EQ(arrival_view_count(&v), 4u);
    const ReportMotion first = arrival_view_at(&v, 0).motion;
    EXPECT_TRUE(first.dx == -3 && first.dy == 127 && first.buttons == RI_MOUSE_WHEEL &&
                first.wheel == -120 && first.flags == MOUSE_MOVE_NOCOALESCE);
    EXPECT_EQ(arrival_view_at(&v, 1).motion.dx, 5);
    EXPECT_EQ(arrival_view_at(&v, 2).motion.dx, 65535);
    EXPECT_EQ(arrival_view_at(&v, 2).motion.flags, MOUSE_MOVE_ABSOLUTE);
    arrival_view_release(&v);
    for (int slot : {0, 2}) {
        MotionFigures f;
        record_motion(&run()->records[slot], &f);
        EXPECT_EQ(f.reports, 3u) << slot;
        EXPECT_EQ(f.moving, 2u) << slot;
        EXPECT_EQ(f.saturated, 1u) << slot;
        EXPECT_EQ(run()->records[slot].arrival_count, 4u) << slot;
    }
}

TEST_F(ReceptionTest, BackgroundReportsAreCountedInBothRecordsAndNothingElseChanges) {
    script_report(0, RIM_TYPEMOUSE, mouse_handle(3), kMouseReportSize);
    deliver(0, 5000, RIM_INPUTSINK);
    deliver(0, 15000, RIM_INPUT);
    deliver(0, 25000, RIM_INPUTSINK);
    for (int slot : {0, 3}) {
        StatsReadings r;
        stats_read(&run()->records[slot], &r);
        EXPECT_EQ(r.background_count, 2u) << slot;
        EXPECT_EQ(r.arrival_count, 3u) << slot;
        EXPECT_TRUE(r.last_background) << slot;
        EXPECT_EQ(r.report_count, 2u) << slot;
        EXPECT_DOUBLE_EQ(r.average_hz, 1000.0) << slot;
    }
    deliver(0, 35000, RIM_INPUT);
    EXPECT_EQ(run()->records[3].last_background, 0);
    run_clear(run());
    EXPECT_EQ(run()->records[3].background_count, 0u);
    EXPECT_EQ(run()->records[3].arrival_count, 0u);
}

TEST_F(ReceptionTest, UnknownOrNullDeviceCountsInTheAggregateOnly) {
    script_report(0, RIM_TYPEMOUSE, mouse_handle(9), kMouseReportSize);
    script_report(1, RIM_TYPEMOUSE, NULL, kMouseReportSize);
    deliver(0, 5000);
    deliver(1, 15000);
    EXPECT_EQ(run()->records[0].interval_count, 1u);
    for (int i = 1; i < REGISTRY_SLOTS; i++) {
        EXPECT_EQ(g_dev_last_active[i], 0) << i;
        EXPECT_EQ(run()->records[i].first_ts, 0) << i;
    }
}

TEST_F(ReceptionTest, WithoutMiceInTheRegistryOnlyTheAggregateCounts) {
    for (int n : {0, 1}) {
        run_clear(run());
        set_registry(n);
        g_ri_devs[1].handle = mouse_handle(1);  // stale entry beyond g_nri
        script_report(0, RIM_TYPEMOUSE, mouse_handle(1), kMouseReportSize);
        deliver(0, 5000);
        EXPECT_EQ(run()->records[0].first_ts, 5000);
        EXPECT_EQ(run()->records[1].first_ts, 0);
        EXPECT_EQ(g_dev_last_active[1], 0);
    }
}

TEST_F(ReceptionTest, BufferGrowsToExactlyTheReportSizeAndNeverShrinks) {
    script_report(0, RIM_TYPEMOUSE, mouse_handle(1), 48);
    script_report(1, RIM_TYPEMOUSE, mouse_handle(1), 64);
    script_report(2, RIM_TYPEMOUSE, mouse_handle(1), 40);
    deliver(0, 5000);
    EXPECT_EQ(reception.capacity, 48u);
    deliver(1, 15000);
    EXPECT_EQ(reception.capacity, 64u);
    void* block = reception.buffer;
    const int allocations = g_fake_heap.allocations;
    deliver(2, 25000);
    EXPECT_EQ(reception.capacity, 64u);
    EXPECT_EQ(reception.buffer, block);
    EXPECT_EQ(g_fake_heap.allocations, allocations);
    EXPECT_EQ(run()->records[1].interval_count, 2u);
    run_free(run());  // the run's pages: the buffer is what is left
    EXPECT_EQ(g_fake_heap.live_blocks, 1);
    run_init(run(), 1e7);
}

TEST_F(ReceptionTest, FailedGrowthLosesOnlyThatReport) {
    script_report(0, RIM_TYPEMOUSE, mouse_handle(1), 48);
    script_report(1, RIM_TYPEMOUSE, mouse_handle(1), 96);
    deliver(0, 5000);
    void* block = reception.buffer;
    g_fake_heap.fail_all = true;
    deliver(1, 15000);
    EXPECT_EQ(reception.buffer, block);
    EXPECT_EQ(reception.capacity, 48u);
    EXPECT_EQ(run()->records[0].last_ts, 5000);
    g_fake_heap.fail_all = false;
    deliver(1, 25000);
    EXPECT_EQ(reception.capacity, 96u);
    EXPECT_EQ(run()->records[0].last_ts, 25000);
    run_free(run());
    EXPECT_EQ(g_fake_heap.live_blocks, 1);  // the old block went when the new one came
    run_init(run(), 1e7);
}

TEST_F(ReceptionTest, UnreadableReportsAreDropped) {
    script_report(0, RIM_TYPEMOUSE, mouse_handle(1), 0);  // size query gives 0
    script_report(1, RIM_TYPEMOUSE, mouse_handle(1), kMouseReportSize);
    g_fake_ri.reports[1].read_returns_less = true;
    script_report(2, RIM_TYPEMOUSE, mouse_handle(1), 8);  // shorter than a header
    deliver(0, 5000);
    deliver(1, 6000);
    deliver(2, 7000);
    deliver(7, 8000);  // a handle the layer does not know
    EXPECT_EQ(run()->records[0].first_ts, 0);
    EXPECT_EQ(g_dev_last_active[1], 0);
}

TEST_F(ReceptionTest, FixedSelectionsAndFallbackToAutomatic) {
    set_registry(3);
    run()->chosen_slot = 0;
    g_dev_last_active[1] = g_fake_counter_now;
    EXPECT_EQ(display_stats(run()), &run()->records[0]);
    run()->chosen_slot = 2;
    EXPECT_EQ(display_stats(run()), &run()->records[2]);
    run()->chosen_slot = 3;  // not below g_nri: automatic, which finds mouse 1
    EXPECT_EQ(display_stats(run()), &run()->records[1]);
    run()->chosen_slot = -1;
    set_registry(1);
    EXPECT_EQ(display_stats(run()), &run()->records[0]);
}

TEST_F(ReceptionTest, AutomaticSelectionUsesAStrictTruncatedWindow) {
    run()->freq = 3579545.0;  // 1.5 s = 5369317.5 ticks, truncated to 5369317
    const int64_t window = 5369317;
    g_fake_counter_now = 100000000;
    g_dev_last_active[2] = g_fake_counter_now - window;
    EXPECT_EQ(display_stats(run()), &run()->records[0]);
    g_dev_last_active[2] = g_fake_counter_now - window + 1;
    EXPECT_EQ(display_stats(run()), &run()->records[2]);
}

TEST_F(ReceptionTest, AutomaticSelectionPrefersNewestThenLowerSlot) {
    g_fake_counter_now = 100000000;
    g_dev_last_active[1] = 99000000;
    g_dev_last_active[2] = 99500000;
    g_dev_last_active[3] = 99500000;
    EXPECT_EQ(display_stats(run()), &run()->records[2]);
    g_dev_last_active[3] = 99500001;
    EXPECT_EQ(display_stats(run()), &run()->records[3]);
}

// The UTC read's place between its two counter reads is known only when they
// lie close: a read the thread was held in is taken again, a bounded number
// of times, and the tightest kept.
TEST_F(ReceptionTest, AClockSampleHeldBetweenItsReadsIsTakenAgain) {
    ClockMap* map = &run()->clock_map;
    clock_map_clear(map, run()->freq);  // 10 ticks a microsecond
    const int64_t held_then_steady[] = {1000, 1400, 2000, 2020};  // 40 us, then 2 us
    const int64_t utc[] = {5000000, 5000100};
    fake_counter_script(held_then_steady, 4);
    fake_utc_script(utc, 2);
    reception_sample_clock(run());
    EXPECT_EQ(fake_counter_script_left(), 0);
    ASSERT_EQ(map->count, 1);
    EXPECT_EQ(map->samples[0].counter, 2010);
    EXPECT_EQ(map->samples[0].utc_us, 5000100);

    int64_t always_held[2 * CLOCK_SAMPLE_TRIES + 2], utcs[CLOCK_SAMPLE_TRIES + 1];
    for (int i = 0; i <= CLOCK_SAMPLE_TRIES; i++) {
        always_held[2 * i] = 10000 + 1000 * i;
        always_held[2 * i + 1] = always_held[2 * i] + (i == 3 ? 60 : 100 + i);
        utcs[i] = 6000000 + i;
    }
    fake_counter_script(always_held, 2 * CLOCK_SAMPLE_TRIES + 2);
    fake_utc_script(utcs, CLOCK_SAMPLE_TRIES + 1);
    reception_sample_clock(run());
    EXPECT_EQ(fake_counter_script_left(), 2);  // the tries stop at their bound
    EXPECT_EQ(fake_utc_script_left(), 1);
    ASSERT_EQ(map->count, 2);
    EXPECT_EQ(map->samples[1].counter, 13030);
    EXPECT_EQ(map->samples[1].utc_us, 6000003);
    fake_counter_script(NULL, 0);
    fake_utc_script(NULL, 0);
}

}  // namespace
