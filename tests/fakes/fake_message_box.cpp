// Records every message box with its owner, text, caption and type.
#include "tests/fakes/fake_message_box.h"

#include "platform/message_box.h"

std::vector<FakeBox> g_fake_boxes;

int message_box(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    g_fake_boxes.push_back(FakeBox{owner, text, caption, type});
    return IDOK;
}
