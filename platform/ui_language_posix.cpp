// The UI language on POSIX systems: the locale the environment names for
// messages (LC_ALL, then LC_MESSAGES, then LANG, the first one set), Chinese
// for any zh one.
#include "platform/ui_language.h"

#include <stdlib.h>
#include <string.h>

bool ui_language_is_chinese(void) {
    const char* const names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (const char* name : names) {
        const char* value = getenv(name);
        if (value && value[0])
            return strncmp(value, "zh", 2) == 0;
    }
    return false;
}
