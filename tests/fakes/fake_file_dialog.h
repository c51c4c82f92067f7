// Scripted Save As dialog: answers with g_fake_save_path, or cancels when it
// is empty; remembers what it was asked.
#pragma once

#include <string>

extern std::wstring g_fake_save_path;
extern std::wstring g_fake_save_default;  // the default name it was given
extern int g_fake_save_calls;
