// The real message box.
#include "platform/message_box.h"

int message_box(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    return MessageBoxW(owner, text, caption, type);
}
