// The UI language that tests choose (English unless a test says otherwise).
#include "tests/fakes/fake_ui_language.h"

#include "platform/ui_language.h"

bool g_fake_ui_chinese = false;

bool ui_language_is_chinese(void) { return g_fake_ui_chinese; }
