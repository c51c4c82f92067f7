// The mouse registry built from scripted device lists: slots, ids, limits,
// failures, and that every temporary block is released.
#include <gtest/gtest.h>
#include <wchar.h>

#include "devices/mouse_registry.h"
#include "engine/reception.h"
#include "tests/fakes/fake_heap.h"
#include "tests/fakes/fake_hid_product.h"
#include "tests/fakes/fake_rawinput.h"

namespace {

HANDLE handle_of(int n) { return (HANDLE)(INT_PTR)(0x2000 + n); }

const wchar_t kWineMouse[] = L"\\\\?\\HID#VID_845E&PID_0001#1&2d595ca7&0&0000#{378de44c}";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake_rawinput_reset();
        fake_heap_reset();
        fake_hid_product_reset();
        for (int i = 0; i < REGISTRY_SLOTS; i++)
            g_dev_last_active[i] = 77;
    }
    void TearDown() override {
        EXPECT_EQ(g_fake_heap.live_blocks, 0);
        fake_hid_product_reset();
    }
};

TEST_F(RegistryTest, OnlyKeyboardsGiveSlotZeroWithoutCount) {
    fake_rawinput_add_device(handle_of(1), RIM_TYPEKEYBOARD, L"\\\\?\\HID#VID_1234&PID_5678");
    fake_rawinput_add_device(handle_of(2), RIM_TYPEHID, L"\\\\?\\HID#VID_1234&PID_9999");
    enumerate_mice();
    EXPECT_EQ(g_nri, 1);
    EXPECT_EQ(registry_mice_present(), 0);
    EXPECT_STREQ(g_ri_devs[0].vid, L"");
    EXPECT_EQ(g_ri_devs[0].handle, nullptr);
    for (int i = 0; i < REGISTRY_SLOTS; i++)
        EXPECT_EQ(g_dev_last_active[i], 0);
}

TEST_F(RegistryTest, TwoMiceInListOrderWithCountAndIds) {
    fake_rawinput_add_device(handle_of(1), RIM_TYPEMOUSE, kWineMouse);
    fake_rawinput_add_device(handle_of(2), RIM_TYPEKEYBOARD, L"kbd");
    fake_rawinput_add_device(handle_of(3), RIM_TYPEMOUSE, L"\\\\?\\HID#VID_046D&PID_C08B&MI_00");
    enumerate_mice();
    ASSERT_EQ(g_nri, 3);
    EXPECT_EQ(registry_mice_present(), 2);
    EXPECT_STREQ(g_ri_devs[1].vid, L"845E");
    EXPECT_STREQ(g_ri_devs[1].pid, L"0001");
    EXPECT_EQ(g_ri_devs[1].handle, handle_of(1));
    EXPECT_STREQ(g_ri_devs[2].vid, L"046D");
    EXPECT_STREQ(g_ri_devs[2].pid, L"C08B");
    EXPECT_EQ(g_ri_devs[2].handle, handle_of(3));
}

TEST_F(RegistryTest, SeventyMiceFillSixtyThreeSlots) {
    for (int i = 0; i < 70; i++)
        fake_rawinput_add_device(handle_of(i), RIM_TYPEMOUSE, kWineMouse);
    enumerate_mice();
    EXPECT_EQ(g_nri, 64);
    EXPECT_EQ(registry_mice_present(), 63);
    EXPECT_EQ(g_ri_devs[63].handle, handle_of(62));
}

TEST_F(RegistryTest, IdsAreTheFourUnitsAfterUpperCaseKeys) {
    fake_rawinput_add_device(handle_of(1), RIM_TYPEMOUSE, L"\\\\?\\HID#VID_1234&MI_00");
    fake_rawinput_add_device(handle_of(2), RIM_TYPEMOUSE, L"\\\\?\\HID#vid_1234&pid_5678");
    fake_rawinput_add_device(handle_of(3), RIM_TYPEMOUSE, L"\\\\?\\ACPI#PNP0F13");
    fake_rawinput_add_device(handle_of(4), RIM_TYPEMOUSE, L"VID_ABCDEF&PID_12");
    fake_rawinput_add_device(handle_of(5), RIM_TYPEMOUSE, L"VID_1&PID_");
    enumerate_mice();
    ASSERT_EQ(g_nri, 6);
    EXPECT_STREQ(g_ri_devs[1].vid, L"1234");
    EXPECT_STREQ(g_ri_devs[1].pid, L"");
    EXPECT_STREQ(g_ri_devs[2].vid, L"");  // lower case keys are not looked for
    EXPECT_STREQ(g_ri_devs[2].pid, L"");
    EXPECT_STREQ(g_ri_devs[3].vid, L"");
    EXPECT_STREQ(g_ri_devs[3].pid, L"");
    EXPECT_STREQ(g_ri_devs[4].vid, L"ABCD");
    EXPECT_STREQ(g_ri_devs[4].pid, L"12");  // the path ends two units after PID_
    EXPECT_STREQ(g_ri_devs[5].vid, L"1&PI");
    EXPECT_STREQ(g_ri_devs[5].pid, L"");    // empty product identifier
}

TEST_F(RegistryTest, MiceWhoseNameCannotBeHadTakeNoSlot) {
    fake_rawinput_add_device(handle_of(1), RIM_TYPEMOUSE, kWineMouse);
    g_fake_ri.devices[0].name_read_fails = true;
    fake_rawinput_add_device(handle_of(2), RIM_TYPEMOUSE, kWineMouse);
    g_fake_ri.devices[1].name_length_zero = true;
    fake_rawinput_add_device(handle_of(3), RIM_TYPEMOUSE, kWineMouse);
    fake_rawinput_add_device(handle_of(4), RIM_TYPEMOUSE, kWineMouse);
    // Allocations: the list, then one name per mouse asked for: refuse mouse 3's.
    g_fake_heap.fail_allocation = 3;
    enumerate_mice();
    ASSERT_EQ(g_nri, 2);
    EXPECT_EQ(g_ri_devs[1].handle, handle_of(4));
    EXPECT_EQ(registry_mice_present(), 1);
}

TEST_F(RegistryTest, AMouseUnpluggedBetweenTheTwoListCallsIsNotRead) {
    fake_rawinput_add_device(handle_of(1), RIM_TYPEMOUSE, kWineMouse);
    fake_rawinput_add_device(handle_of(2), RIM_TYPEMOUSE, kWineMouse);
    g_fake_ri.unplugged_before_read = 1;
    enumerate_mice();
    EXPECT_EQ(g_nri, 2);
    EXPECT_EQ(registry_mice_present(), 1);
}

TEST_F(RegistryTest, ListFailuresLeaveTheRegistryEmpty) {
    fake_rawinput_add_device(handle_of(1), RIM_TYPEMOUSE, kWineMouse);
    g_fake_ri.list_count_fails = true;
    enumerate_mice();
    EXPECT_EQ(g_nri, 0);

    g_fake_ri.list_count_fails = false;
    g_fake_ri.list_read_fails = true;
    enumerate_mice();
    EXPECT_EQ(g_nri, 0);

    g_fake_ri.list_read_fails = false;
    g_fake_heap.fail_all = true;
    enumerate_mice();
    EXPECT_EQ(g_nri, 0);

    g_fake_heap.fail_all = false;
    fake_rawinput_reset();  // no device at all
    enumerate_mice();
    EXPECT_EQ(g_nri, 0);
}

// The product string is read once, when a mouse is added, through the path
// Raw Input gives: blanks some devices pad it with go, a long one is cut to
// fit a name, and a mouse that tells none (as under Wine) keeps an empty one.
TEST_F(RegistryTest, ProductStringsAreReadWhenAMouseIsAdded) {
    const wchar_t* const paths[] = {L"\\\\?\\HID#VID_046D&PID_C08B#1",
                                    L"\\\\?\\HID#VID_1532&PID_0099#2", kWineMouse};
    fake_hid_product_set(paths[0], L"  G502 HERO Gaming Mouse \t ");
    fake_hid_product_set(paths[1], L"A Very Long Product String That Goes On And On Past Forty");
    for (int i = 0; i < 3; i++)
        fake_rawinput_add_device(handle_of(i + 1), RIM_TYPEMOUSE, paths[i]);
    enumerate_mice();
    ASSERT_EQ(g_nri, 4);
    EXPECT_STREQ(g_ri_devs[1].product, L"G502 HERO Gaming Mouse");
    EXPECT_STREQ(g_ri_devs[2].product, L"A Very Long Product String That Goes On");  // 40 units, then blanks go
    EXPECT_STREQ(g_ri_devs[3].product, L"");
    EXPECT_STREQ(g_ri_devs[0].product, L"");
    EXPECT_EQ(g_fake_hid_product_reads, 3);
    EXPECT_FALSE(rescan_mice());
    EXPECT_EQ(g_fake_hid_product_reads, 3) << "a mouse already listed is not asked again";
}

// A rescan keeps every slot: the mouse that stays keeps its number, the one
// that left keeps its slot marked gone, a new one takes the next slot, and a
// list that cannot be read changes nothing.
TEST_F(RegistryTest, RescansNeverRenumber) {
    fake_rawinput_add_device(handle_of(1), RIM_TYPEMOUSE, L"\\\\?\\HID#VID_1111&PID_0001");
    fake_rawinput_add_device(handle_of(2), RIM_TYPEMOUSE, L"\\\\?\\HID#VID_2222&PID_0002");
    enumerate_mice();
    ASSERT_EQ(g_nri, 3);

    fake_rawinput_reset();
    fake_rawinput_add_device(handle_of(3), RIM_TYPEMOUSE, L"\\\\?\\HID#VID_3333&PID_0003");
    fake_rawinput_add_device(handle_of(2), RIM_TYPEMOUSE, L"\\\\?\\HID#VID_2222&PID_0002");
    EXPECT_TRUE(rescan_mice());
    ASSERT_EQ(g_nri, 4);
    EXPECT_EQ(g_ri_devs[1].handle, handle_of(1));
    EXPECT_TRUE(g_ri_devs[1].gone);
    EXPECT_EQ(g_ri_devs[2].handle, handle_of(2));
    EXPECT_FALSE(g_ri_devs[2].gone);
    EXPECT_EQ(g_ri_devs[3].handle, handle_of(3));
    EXPECT_EQ(registry_mice_present(), 2);
    EXPECT_TRUE(registry_has_gone_mice());
    EXPECT_FALSE(rescan_mice());  // nothing changed

    g_fake_ri.list_read_fails = true;
    EXPECT_FALSE(rescan_mice());
    EXPECT_EQ(g_nri, 4);
    EXPECT_FALSE(g_ri_devs[2].gone);

    g_fake_ri.list_read_fails = false;
    enumerate_mice();  // a new run: the mouse that left is dropped
    EXPECT_EQ(g_nri, 3);
    EXPECT_FALSE(registry_has_gone_mice());
}

}  // namespace
