// The names of the registry's mice, in Chinese and in English, as the window's
// chooser, the panel and the console show them, from what devices/ keeps.
#include <gtest/gtest.h>

#include <string>

#include "app/console_text.h"
#include "core/views/texts.h"
#include "devices/mouse_registry.h"
#include "gui/mouse_name.h"

namespace {

std::wstring name_of(int slot) {
    wchar_t name[64];
    gui_mouse_name(slot, name, 64);
    return name;
}

std::wstring console_name_of(int slot) {
    wchar_t name[CONSOLE_NAME_UNITS];
    console_mouse_name(slot, name, CONSOLE_NAME_UNITS);
    return name;
}

void set_slot(int slot, const wchar_t* vid, const wchar_t* pid, bool gone,
              const wchar_t* product = L"") {
    g_ri_devs[slot] = RiDevice{};
    g_ri_devs[slot].handle = (HANDLE)(INT_PTR)(0x3000 + slot);
    g_ri_devs[slot].gone = gone;
    wcscpy(g_ri_devs[slot].vid, vid);
    wcscpy(g_ri_devs[slot].pid, pid);
    wcscpy(g_ri_devs[slot].product, product);
}

TEST(MouseNameTest, AllMiceCountTheListedOnesAndAMouseIsNamedByBothIds) {
    texts_set_lang(LANG_ZH);
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
    texts_set_lang(LANG_EN);
    EXPECT_EQ(name_of(0), L"All mice (4)");
    EXPECT_EQ(name_of(1), L"Mouse VID_845E PID_0001");
    EXPECT_EQ(name_of(4), L"HID mouse");
    g_nri = 1;
    EXPECT_EQ(name_of(0), L"All mice");
    g_nri = 0;
}

// A product string names the mouse in both languages, with its ids after it
// when it has both, so two models of one maker are told apart at a glance;
// the longest one kept still fits the 64 units every front end gives a name.
TEST(MouseNameTest, AProductStringNamesTheMouseBeforeItsIds) {
    g_ri_devs[0] = RiDevice{};
    set_slot(1, L"046D", L"C08B", false, L"G502 HERO Gaming Mouse");
    set_slot(2, L"", L"", false, L"BT Mouse");
    set_slot(3, L"1532", L"0099", false, L"A Very Long Product String That Goes On!");
    g_nri = 4;
    for (Lang lang : {LANG_EN, LANG_ZH}) {
        texts_set_lang(lang);
        EXPECT_EQ(name_of(1), L"G502 HERO Gaming Mouse (VID_046D PID_C08B)");
        EXPECT_EQ(name_of(2), L"BT Mouse");
        EXPECT_EQ(console_name_of(3), L"A Very Long Product String That Goes On! (VID_1532 PID_0099)");
        EXPECT_EQ(name_of(3), console_name_of(3));
    }
    texts_set_lang(LANG_EN);
    g_nri = 0;
}

}  // namespace
