// The real build number (RtlGetVersion, which no compatibility shim rewrites)
// and registry values (RegGetValue; only a DWORD counts as present).
#include <windows.h>

#include "platform/throttle_settings.h"

typedef LONG(WINAPI* RtlGetVersionFn)(OSVERSIONINFOW*);

static uint32_t windows_build(void) {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    RtlGetVersionFn fn = ntdll ? (RtlGetVersionFn)(void*)GetProcAddress(ntdll, "RtlGetVersion") : NULL;
    OSVERSIONINFOW v;
    ZeroMemory(&v, sizeof v);
    v.dwOSVersionInfoSize = sizeof v;
    if (!fn || fn(&v) != 0)
        return 0;
    return v.dwBuildNumber;
}

static ThrottleValue mouse_value(const wchar_t* name) {
    ThrottleValue v = {false, 0};
    DWORD data = 0, bytes = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Mouse", name, RRF_RT_REG_DWORD, NULL,
                     &data, &bytes) == ERROR_SUCCESS) {
        v.present = true;
        v.value = data;
    }
    return v;
}

void read_throttle_settings(ThrottleSettings* out) {
    out->build = windows_build();
    out->enabled = mouse_value(L"RawMouseThrottleEnabled");
    out->forced = mouse_value(L"RawMouseThrottleForced");
    out->duration = mouse_value(L"RawMouseThrottleDuration");
    out->leeway = mouse_value(L"RawMouseThrottleLeeway");
}
