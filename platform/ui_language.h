// The language of Windows' user interface, behind a seam: it chooses the
// program's language when --lang does not, and Wine reports only the one its
// environment gives, so tests choose it.
#pragma once

// True when the user's UI language is Chinese (any zh-*).
bool ui_language_is_chinese(void);
