// The UI language as Windows reports it for the user.
#include "platform/ui_language.h"

#include <windows.h>

bool ui_language_is_chinese(void) { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE; }
