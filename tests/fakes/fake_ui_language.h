// Scripted UI language: Chinese when a test sets g_fake_ui_chinese.
#pragma once

extern bool g_fake_ui_chinese;
