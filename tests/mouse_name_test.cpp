// The window's Chinese names of the registry's mice, as the chooser and the
// panel show them, from the ids devices/ keeps.
#include <gtest/gtest.h>

#include <string>

#include "devices/mouse_registry.h"
#include "gui/mouse_name.h"

namespace {

std::wstring name_of(int slot) {
    wchar_t name[64];
    gui_mouse_name(slot, name, 64);
    return name;
}

void set_slot(int slot, const wchar_t* vid, const wchar_t* pid, bool gone) {
    g_ri_devs[slot] = RiDevice{};
    g_ri_devs[slot].handle = (HANDLE)(INT_PTR)(0x3000 + slot);
    g_ri_devs[slot].gone = gone;
    wcscpy(g_ri_devs[slot].vid, vid);
    wcscpy(g_ri_devs[slot].pid, pid);
}

TEST(MouseNameTest, AllMiceCountTheListedOnesAndAMouseIsNamedByBothIds) {
    g_nri = 1;
    g_ri_devs[0] = RiDevice{};
    EXPECT_EQ(name_of(0), L"全部鼠标");
    set_slot(1, L"845E", L"0001", false);
    set_slot(2, L"046D", L"C08B", true);
    set_slot(3, L"ABCD", L"12", false);
    set_slot(4, L"1234", L"", false);
    set_slot(5, L"", L"5678", false);
    g_nri = 6;
    EXPECT_EQ(name_of(0), L"全部鼠标 (4 只)") << "the gone mouse is not counted";
    EXPECT_EQ(name_of(1), L"鼠标 VID_845E PID_0001");
    EXPECT_EQ(name_of(2), L"鼠标 VID_046D PID_C08B");
    EXPECT_EQ(name_of(3), L"鼠标 VID_ABCD PID_12");
    EXPECT_EQ(name_of(4), L"HID 鼠标");
    EXPECT_EQ(name_of(5), L"HID 鼠标");
    g_nri = 0;
}

}  // namespace
