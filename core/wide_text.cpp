// Wide-text formatting for reports. vswprintf cannot say how long a text would
// be, so the growing buffer retries with twice the room until the piece fits.
#include "core/wide_text.h"

#include <stdarg.h>

#include "core/heap.h"

static const size_t kFirstUnits = 1024;
static const size_t kLargestUnits = (size_t)1 << 26;  // no report comes near this

void wide_appendf(wchar_t* out, size_t cap, size_t* used, const wchar_t* fmt, ...) {
    if (*used + 1 >= cap)
        return;
    va_list args;
    va_start(args, fmt);
    int n = vswprintf(out + *used, cap - *used, fmt, args);
    va_end(args);
    if (n > 0)
        *used += (size_t)n;
    else
        out[*used] = 0;  // a piece that does not fit is left out whole
}

static bool grow(WideText* t) {
    size_t cap = t->cap ? t->cap * 2 : kFirstUnits;
    if (cap > kLargestUnits)
        return false;
    wchar_t* grown = (wchar_t*)heap_realloc(t->data, cap * sizeof(wchar_t));
    if (!grown)
        return false;
    if (!t->data)
        grown[0] = 0;
    t->data = grown;
    t->cap = cap;
    return true;
}

void wide_text_appendf(WideText* t, const wchar_t* fmt, ...) {
    if (t->failed)
        return;
    for (;;) {
        if (t->cap - t->len < 2 && !grow(t)) {
            t->failed = true;
            return;
        }
        va_list args;
        va_start(args, fmt);
        int n = vswprintf(t->data + t->len, t->cap - t->len, fmt, args);
        va_end(args);
        if (n >= 0 && (size_t)n < t->cap - t->len) {
            t->len += (size_t)n;
            return;
        }
        t->data[t->len] = 0;
        if (!grow(t)) {
            t->failed = true;
            return;
        }
    }
}

void wide_text_free(WideText* t) {
    heap_free(t->data);
    t->data = NULL;
    t->len = 0;
    t->cap = 0;
    t->failed = false;
}
