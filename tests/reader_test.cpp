// The reader thread against the scripted Raw Input queue: reads of 1, 2 and
// 16 reports, a buffer that must grow, a queue drained over several reads,
// a stop while reports keep coming, and a rescan during a run.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <thread>

#include "devices/mouse_registry.h"
#include "engine/reader.h"
#include "engine/reception.h"
#include "tests/fakes/fake_counter.h"
#include "tests/fakes/fake_rawinput.h"
#include "tests/support/stats_suite.h"

namespace {

HANDLE mouse(int n) { return (HANDLE)(INT_PTR)(0x7000 + n); }
const wchar_t* const kNames[] = {L"\\\\?\\HID#VID_0001&PID_0001#a", L"\\\\?\\HID#VID_0002&PID_0002#b",
                                 L"\\\\?\\HID#VID_0003&PID_0003#c"};
const int64_t kTicksPerRead = 10000;  // 1 ms at 10 MHz

int threads_of_this_process(void) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 e = {};
    e.dwSize = sizeof e;
    int n = 0;
    for (BOOL more = Thread32First(snap, &e); more; more = Thread32Next(snap, &e))
        n += e.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snap);
    return n;
}

class ReaderTest : public StatsSuite {
protected:
    void SetUp() override {
        fake_rawinput_reset();
        for (int i = 0; i < 2; i++)
            fake_rawinput_add_device(mouse(i + 1), RIM_TYPEMOUSE, kNames[i]);
        enumerate_mice();
        g_fake_counter_now = 5000000;
        fake_queue_reset(kTicksPerRead, 0);
        DWORD error = 0;
        ASSERT_TRUE(reader_start(run(), NULL, &error));
        reception_start_run(run());
        run_set_measuring(run(), true);
    }
    void TearDown() override {
        reader_stop();
        run_set_measuring(run(), false);
    }
    // Queues reports of mouse m and waits until the reader has read them all.
    static void deliver(int m, int count, UINT size = sizeof(RAWINPUT)) {
        const int before = fake_queue_read_reports();
        fake_queue_push(mouse(m), RIM_INPUTSINK, size, count);
        for (int i = 0; i < 2000 && fake_queue_read_reports() < before + count; i++)
            Sleep(1);
    }
    // Waits until record slot holds n reports (the stamping follows the read).
    static StatsReadings settled(int slot, uint64_t n) {
        StatsReadings r = {};
        for (int i = 0; i < 2000; i++, Sleep(1)) {
            stats_read(&run()->records[slot], &r);
            if (r.arrival_count >= n)
                break;
        }
        return r;
    }
};

// One stamp per read: a read of n makes n - 1 coalesced deliveries; the
// batch figures count reads, the largest, and the reports of reads of 2+.
TEST_F(ReaderTest, EachReadIsOneBatchWithOneStamp) {
    deliver(1, 1);
    deliver(1, 2);
    deliver(1, 16);
    deliver(2, 1);
    StatsReadings r = settled(0, 20);
    EXPECT_EQ(r.arrival_count, 20u);
    EXPECT_EQ(r.batch_count, 4u);
    EXPECT_EQ(r.max_batch, 16u);
    EXPECT_EQ(r.batched_reports, 18u);
    EXPECT_EQ(r.coalesced_count, 1u + 15u);
    EXPECT_EQ(r.report_count, 3u) << "one interval between reads, 1 ms each";
    EXPECT_DOUBLE_EQ(r.highest_instant_hz, 1000.0);
    StatsReadings one = settled(1, 19);
    EXPECT_EQ(one.batch_count, 3u);
    EXPECT_EQ(settled(2, 1).batch_count, 1u);
    EXPECT_EQ(r.background_count, 20u);
}

// The reader's window gets the device-change notices (it is the
// registrations' target) and passes them on to the window given.
TEST_F(ReaderTest, DeviceChangeNoticesArePassedOnToTheWindow) {
    reader_stop();
    HWND notify = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    DWORD error = 0;
    ASSERT_TRUE(reader_start(run(), notify, &error));
    PostMessageW(FindWindowExW(HWND_MESSAGE, NULL, L"QuorvinReader", NULL), WM_INPUT_DEVICE_CHANGE,
                 GIDC_ARRIVAL, (LPARAM)mouse(9));
    MSG m = {};
    bool passed_on = false;
    for (int i = 0; i < 200 && !passed_on; i++, Sleep(5))
        passed_on = PeekMessageW(&m, notify, WM_INPUT_DEVICE_CHANGE, WM_INPUT_DEVICE_CHANGE, PM_REMOVE);
    EXPECT_TRUE(passed_on);
    EXPECT_EQ(m.lParam, (LPARAM)mouse(9));
    reader_stop();
    DestroyWindow(notify);
}

// Where the platform's input codes do not follow the foreground (Wine), the
// window's own state marks the background; elsewhere the code does.
TEST_F(ReaderTest, BackgroundComesFromTheCodeOnlyWhereItFollowsTheForeground) {
    reader_stop();
    g_fake_ri.codes_follow_foreground = false;
    DWORD error = 0;
    ASSERT_TRUE(reader_start(run(), NULL, &error));
    fake_queue_push(mouse(1), RIM_INPUT, sizeof(RAWINPUT));  // the console: never in front
    EXPECT_EQ(settled(0, 1).background_count, 1u);
    g_app_foreground = true;
    deliver(1, 1);  // RIM_INPUTSINK while the window is in front
    EXPECT_EQ(settled(0, 2).background_count, 1u);
    g_app_foreground = false;
}

// A report larger than the buffer makes it grow; a queue longer than a read
// takes is drained over several reads without waiting for another wake.
TEST_F(ReaderTest, BufferGrowsAndALongQueueIsDrainedOverSeveralReads) {
    deliver(1, 1, 100000);
    EXPECT_EQ(settled(0, 1).arrival_count, 1u);
    reader_stop();
    fake_queue_reset(kTicksPerRead, 5);
    fake_queue_push(mouse(1), RIM_INPUTSINK, sizeof(RAWINPUT), 12);
    DWORD error = 0;
    ASSERT_TRUE(reader_start(run(), NULL, &error));
    StatsReadings r = settled(0, 13);
    EXPECT_EQ(r.arrival_count, 13u);
    EXPECT_EQ(fake_queue_reads(), 3) << "5 + 5 + 2";
    EXPECT_EQ(r.max_batch, 5u);
}

TEST_F(ReaderTest, StopWhileReportsKeepComingEndsAtOnceAndLeavesNothing) {
    reader_stop();
    const int threads = threads_of_this_process();
    DWORD handles_before = 0, handles_after = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles_before);
    std::atomic<bool> stop{false};
    std::thread mouse_thread([&] {
        while (!stop)
            fake_queue_push(mouse(1), RIM_INPUTSINK, sizeof(RAWINPUT));
    });
    DWORD error = 0;
    ASSERT_TRUE(reader_start(run(), NULL, &error));
    Sleep(50);
    DWORD start = GetTickCount();
    reader_stop();
    EXPECT_LT(GetTickCount() - start, 100u);
    stop = true;
    mouse_thread.join();
    GetProcessHandleCount(GetCurrentProcess(), &handles_after);
    EXPECT_EQ(handles_after, handles_before);
    EXPECT_EQ(threads_of_this_process(), threads);
    EXPECT_EQ(FindWindowExW(HWND_MESSAGE, NULL, L"QuorvinReader", NULL), nullptr);
    const FakeRegistration& last = g_fake_ri.registrations[g_fake_ri.register_calls - 1];
    EXPECT_EQ(last.entries[0].dwFlags, (DWORD)RIDEV_REMOVE) << "registrations removed";
}

// Mouse 2 leaves and mouse 3 arrives during the run: mouse 1 keeps slot 1,
// mouse 3 takes a new slot, and the reader uses it from its next read.
TEST_F(ReaderTest, RescanDuringARunKeepsEverySlotOnItsMouse) {
    deliver(1, 1);
    g_fake_ri.device_count = 0;
    fake_rawinput_add_device(mouse(1), RIM_TYPEMOUSE, kNames[0]);
    fake_rawinput_add_device(mouse(3), RIM_TYPEMOUSE, kNames[2]);
    EXPECT_TRUE(rescan_mice());
    deliver(1, 1);
    deliver(3, 1);
    EXPECT_EQ(settled(0, 3).arrival_count, 3u);
    EXPECT_EQ(settled(1, 2).arrival_count, 2u);
    EXPECT_EQ(settled(3, 1).arrival_count, 1u);
    EXPECT_EQ(run()->records[2].arrival_count, 0u);
}

}  // namespace
