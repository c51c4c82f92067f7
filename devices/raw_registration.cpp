// Registration entries shared by the console and the window. The keyboard entry
// exists only for its device-change notices; its reports are dropped on arrival.
#include "devices/raw_registration.h"

#include "platform/rawinput.h"

static const USHORT kGenericDesktopPage = 0x01;
static const USHORT kUsageMouse = 0x02;
static const USHORT kUsageKeyboard = 0x06;

static void fill_entry(RAWINPUTDEVICE* e, USHORT usage, DWORD flags, HWND target) {
    e->usUsagePage = kGenericDesktopPage;
    e->usUsage = usage;
    e->dwFlags = flags;
    e->hwndTarget = target;
}

BOOL raw_registration_start(HWND target) {
    RAWINPUTDEVICE entries[2];
    fill_entry(&entries[0], kUsageMouse, RIDEV_INPUTSINK | RIDEV_DEVNOTIFY, target);
    fill_entry(&entries[1], kUsageKeyboard, RIDEV_DEVNOTIFY, target);
    return rawinput_register(entries, 2, sizeof(RAWINPUTDEVICE));
}

void raw_registration_end(void) {
    RAWINPUTDEVICE entries[2];
    fill_entry(&entries[0], kUsageMouse, RIDEV_REMOVE, NULL);
    fill_entry(&entries[1], kUsageKeyboard, RIDEV_REMOVE, NULL);
    rawinput_register(entries, 2, sizeof(RAWINPUTDEVICE));
}
