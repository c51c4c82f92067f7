// Scripted Save As dialog: answers with g_fake_save_path, or cancels when it
// is empty; remembers what it was asked. The Open dialog the same with
// g_fake_open_path, after calling g_fake_open_during (when set) as though the
// user did that elsewhere while the dialog was up.
#pragma once

#include <string>

extern std::wstring g_fake_save_path;
extern std::wstring g_fake_save_default;  // the default name it was given
extern int g_fake_save_calls;
extern std::wstring g_fake_open_path;
extern void (*g_fake_open_during)(void);
