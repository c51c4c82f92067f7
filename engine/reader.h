// The reader thread: reads and stamps every mouse report on a thread of its
// own at time-critical priority, so nothing the window or the console does
// (painting, boxes, files, captures) can delay a stamp. It owns a
// message-only window, the target of the Raw Input registrations, and wakes
// on raw input; each wake drains the queue with GetRawInputBuffer (one stamp
// per read: a batch) and reads any WM_INPUT left by message.
#pragma once

#include <windows.h>

#include "core/runs/run.h"

// Starts reading into run, just started (reception_start_run, measuring
// on); the reader writes into no other run until it stops. notify, when given, receives the device-change notices as posted
// WM_INPUT_DEVICE_CHANGE messages. False when the registration failed, with
// its error code in *error; then nothing is left behind.
bool reader_start(Run* run, HWND notify, DWORD* error);
// Ends the reader and waits for it: registrations removed on its thread, its
// window and thread gone, every handle closed. Nothing when none runs.
void reader_stop(void);
bool reader_running(void);
