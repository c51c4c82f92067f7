// The test thread's messages handled until a condition holds: windows under
// test (and their threads' posted results) need their messages dispatched.
#pragma once

#include <windows.h>

// Handles the test thread's messages until done() or ms have passed; done()'s last word.
template <class Done>
bool pump_until(Done done, DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (!done() && GetTickCount64() < end) {
        MSG m;
        while (PeekMessageW(&m, NULL, 0, 0, PM_REMOVE))
            DispatchMessageW(&m);
        MsgWaitForMultipleObjects(0, NULL, FALSE, 5, QS_ALLINPUT);
    }
    return done();
}
