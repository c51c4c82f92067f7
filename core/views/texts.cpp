// Looking texts up: each language's table indexed by id once, and its wide
// copies made once, so a lookup is an array read that any thread may make.
#include "core/views/texts.h"

#include <stdlib.h>
#include <string.h>

#include "core/views/wide_text.h"

static Lang s_lang = LANG_EN;  // set once at start-up, before threads

struct TextIndex {
    const char* utf8[TEXT_COUNT];
    const wchar_t* wide[TEXT_COUNT];
};

// The wide copy of a table's text. Plain malloc, not the heap seam: the words
// are the program's own, kept to its end, and no test that makes the run's
// allocations fail should take them away or count them as a leak. A UTF-8
// text never needs more wide units than it has bytes.
static const wchar_t* widen(const char* text) {
    const size_t cap = strlen(text) + 1;
    wchar_t* out = (wchar_t*)malloc(cap * sizeof(wchar_t));
    if (!out)
        return L"";
    utf8_to_wide(text, out, cap);
    return out;
}

static void fill(TextIndex* index, const TextRow* rows, size_t count, const TextIndex* fallback) {
    for (size_t i = 0; i < count; i++) {
        if (rows[i].id >= 0 && rows[i].id < TEXT_COUNT)
            index->utf8[rows[i].id] = rows[i].text;
    }
    for (int id = 0; id < TEXT_COUNT; id++) {
        if (!index->utf8[id])
            index->utf8[id] = fallback ? fallback->utf8[id] : "";
        index->wide[id] = widen(index->utf8[id]);
    }
}

// Built at first use; C++ makes that first use safe from any thread. The
// copies are never freed: they are the program's texts until it ends.
static const TextIndex& index_of(Lang lang) {
    static const TextIndex* const english = [] {
        TextIndex* t = (TextIndex*)calloc(1, sizeof(TextIndex));
        if (t)
            fill(t, kEnglishTexts, kEnglishTextCount, nullptr);
        return t;
    }();
    static const TextIndex* const chinese = [] {
        TextIndex* t = (TextIndex*)calloc(1, sizeof(TextIndex));
        if (t)
            fill(t, kChineseTexts, kChineseTextCount, english);
        return t;
    }();
    static const TextIndex empty = [] {
        TextIndex t;
        for (int id = 0; id < TEXT_COUNT; id++) {
            t.utf8[id] = "";
            t.wide[id] = L"";
        }
        return t;
    }();
    const TextIndex* chosen = lang == LANG_ZH ? chinese : english;
    return chosen ? *chosen : empty;
}

void texts_set_lang(Lang lang) { s_lang = lang; }
Lang texts_lang(void) { return s_lang; }

bool texts_lang_from_name(const wchar_t* name, Lang* out) {
    if (name && wcscmp(name, L"en") == 0) {
        *out = LANG_EN;
        return true;
    }
    if (name && wcscmp(name, L"zh") == 0) {
        *out = LANG_ZH;
        return true;
    }
    return false;
}

static bool valid(TextId id) { return id >= 0 && id < TEXT_COUNT; }

const char* tx_in(Lang lang, TextId id) { return valid(id) ? index_of(lang).utf8[id] : ""; }
const wchar_t* txw_in(Lang lang, TextId id) { return valid(id) ? index_of(lang).wide[id] : L""; }
const char* tx(TextId id) { return tx_in(s_lang, id); }
const wchar_t* txw(TextId id) { return txw_in(s_lang, id); }
