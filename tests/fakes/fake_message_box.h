// Message boxes recorded instead of shown.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct FakeBox {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

extern std::vector<FakeBox> g_fake_boxes;
