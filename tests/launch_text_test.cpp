// What the command line prints without measuring: --list through the fake Raw
// Input, and the usage, whose Chinese must offer every option the English does.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "app/startup.h"
#include "core/views/texts.h"
#include "tests/fakes/fake_heap.h"
#include "tests/fakes/fake_hid_product.h"
#include "tests/fakes/fake_rawinput.h"

namespace {

std::wstring mouse_list(bool* found) {
    static wchar_t text[MOUSE_LIST_UNITS];
    *found = format_mouse_list(text, MOUSE_LIST_UNITS);
    return text;
}

TEST(LaunchTextTest, ListGivesEachMouseTheIndexThatConsoleModeTakes) {
    fake_rawinput_reset();
    fake_heap_reset();
    fake_hid_product_reset();
    bool found = true;
    EXPECT_EQ(mouse_list(&found), L"No mouse found via Raw Input.\n");
    EXPECT_FALSE(found);

    fake_rawinput_add_device((HANDLE)1, RIM_TYPEKEYBOARD, L"\\\\?\\HID#VID_1234&PID_5678#0");
    fake_rawinput_add_device((HANDLE)2, RIM_TYPEMOUSE, L"\\\\?\\HID#VID_845E&PID_0001#1");
    fake_rawinput_add_device((HANDLE)3, RIM_TYPEMOUSE, L"\\\\?\\HID#VID_046D&PID_C08B#2");
    fake_hid_product_set(L"\\\\?\\HID#VID_046D&PID_C08B#2", L"G502 HERO Gaming Mouse");
    EXPECT_EQ(mouse_list(&found),
              L"0   All mice (2)\n"
              L"1   Mouse VID_845E PID_0001\n"
              L"2   G502 HERO Gaming Mouse (VID_046D PID_C08B)\n");
    EXPECT_TRUE(found);
    texts_set_lang(LANG_ZH);
    EXPECT_EQ(mouse_list(&found).rfind(L"0   全部鼠标 (2 只)\n1   鼠标 VID_845E PID_0001\n", 0), 0u);
    fake_rawinput_reset();
    EXPECT_EQ(mouse_list(&found), L"通过 Raw Input 未找到鼠标。\n");
    texts_set_lang(LANG_EN);
    fake_hid_product_reset();
    EXPECT_EQ(g_fake_heap.live_blocks, 0);
}

// The options of each line that starts with one ("  -c, --console [INDEX ...").
std::set<std::wstring> options_of(const wchar_t* usage) {
    std::set<std::wstring> options;
    std::wistringstream lines(usage);
    std::wstring line, word;
    while (std::getline(lines, line)) {
        std::wistringstream words(line);
        while (words >> word && (word[0] == L'-' || word[0] == L'/'))
            options.insert(word);
    }
    return options;
}

TEST(LaunchTextTest, TheChineseUsageOffersEveryOption) {
    for (LaunchProgram program : {PROGRAM_WINDOW, PROGRAM_CLI}) {
        texts_set_lang(LANG_EN);
        const std::wstring english = usage_text(program);
        texts_set_lang(LANG_ZH);
        const std::wstring chinese = usage_text(program);
        const std::set<std::wstring> options = options_of(english.c_str());
        EXPECT_EQ(options_of(chinese.c_str()), options);
        for (const wchar_t* option : {L"--list", L"--lang", L"-c,", L"--version"})
            EXPECT_EQ(options.count(option), 1u) << option;
        EXPECT_NE(english.find(L"95% intervals"), std::wstring::npos);
        EXPECT_NE(chinese.find(L"95% 区间"), std::wstring::npos);
    }
    texts_set_lang(LANG_EN);
}

}  // namespace
