// The words the user reads, in English and in Chinese: one table per language
// (texts_en.cpp, texts_zh.cpp), looked up by a TextId. Console keys, CSV
// headers and JSON names are not here: scripts read them, so they stay English
// in both languages.
#pragma once

#include <stddef.h>
#include <wchar.h>

enum Lang { LANG_EN, LANG_ZH };

// Grouped by where the text is shown; each group adds its own names at its end.
enum TextId {
    // --- start-up and the command line ---
    TX_LANG_REFUSED,  // --lang given something other than en or zh

    // --- console and offline reports ---

    // --- capture headline and diagnostic ---

    // --- main window, about box, message boxes ---

    // --- plot window and saved pictures ---

    // --- mouse names and choosing a mouse ---

    // --- the report clock ---
    TX_CLOCK_LATE_READS,     // why there is no report clock: reads came %d periods late
    TX_CLOCK_LATE_READ_ONE,  // ... one period late

    TEXT_COUNT
};

struct TextRow {
    TextId id;
    const char* text;  // UTF-8
};

// The tables: every id exactly once in each (tests/texts_test checks it,
// and that a format's conversions are the same in both).
extern const TextRow kEnglishTexts[];
extern const size_t kEnglishTextCount;
extern const TextRow kChineseTexts[];
extern const size_t kChineseTextCount;

// The language every later lookup answers in. Chosen once at start-up, before
// any thread starts; English until then.
void texts_set_lang(Lang lang);
Lang texts_lang(void);
// "en" or "zh" (as --lang takes them); false for anything else.
bool texts_lang_from_name(const wchar_t* name, Lang* out);

// The text in the chosen language, UTF-8; a wide copy for Windows calls and
// wide formats. Both live as long as the program; an id missing from a table
// reads as its English text, or "" past that.
const char* tx(TextId id);
const wchar_t* txw(TextId id);
// The text in a given language, whatever was chosen (tests and the
// language-independent parts of a report).
const char* tx_in(Lang lang, TextId id);
const wchar_t* txw_in(Lang lang, TextId id);
