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
    // The console's lines (app/console_text, app/console): the key before
    // each stays English in the code; these are the words after it.
    TX_STABILITY_WITHIN,     // after "Stability: "
    TX_WHILE_MOVING_NOTE,    // the end of the "While moving:" line
    TX_LOG_HELD,             // after "Log: "
    TX_LOG_OUT_OF_MEMORY,    // after "Log: "
    TX_LOG_NO_INTERVALS,     // after "Log: "
    TX_HINT_HAND,            // after "Hint: "
    TX_HINT_SATURATED,       // after "Hint: "
    TX_HINT_IDLE,            // after "Hint: "
    TX_THROTTLE_WARNING,     // after "Warning: "
    TX_BACKGROUND_THROTTLED, // after "Background reports: N of M"
    TX_NO_MOUSE,
    TX_MOVE_TO_MEASURE,
    TX_NO_REPORTS,
    TX_NO_HIDDEN_WINDOW,
    TX_REGISTER_FAILED,
    TX_INDEX_ONE_MOUSE,      // notes
    TX_INDEX_MICE,
    TX_KEPT_IN,              // errors
    TX_WHAT_USB_CAPTURE,     // the %ls before a path in TX_WRITE_FAILED
    TX_USB_SAVE_INCOMPLETE,
    TX_HUB_KEPT_NONE,
    TX_HUB_KEPT_UNTIL,
    TX_HUB_OUT_OF_MEMORY,
    TX_HUB_MIB,
    TX_HUB_BYTES,
    TX_USB_HUB_STOPPED,      // after "USB layer: "
    TX_USB_FULL,
    TX_USB_NO_MATCH,
    TX_USB_NO_OVERLAP,
    // The report clock's refusals, wherever shown.
    TX_CLOCK_TOO_FEW,
    TX_CLOCK_NO_PERIOD,
    TX_CLOCK_NO_MEMORY,
    // Errors and notes of every console mode (app/text_out).
    TX_MESSAGE_TOO_LONG,
    TX_OPEN_IS_DIRECTORY,
    TX_OPEN_NO_SUCH,
    TX_OPEN_DENIED_WRITE,
    TX_OPEN_DENIED_READ,
    TX_CANNOT_CREATE,
    TX_CANNOT_OPEN,
    TX_WRITE_FAILED,
    TX_STANDARD_OUTPUT,
    TX_CONSOLE_TITLE,        // after the program's short name
    // --analyze and --ab.
    TX_CSV_ERROR_AT,
    TX_CSV_UNREADABLE,
    TX_CSV_NO_REPORTS,
    TX_CSV_NO_SLOT,
    TX_AB_NO_MEMORY,
    TX_AB_TRUNCATED,
    // The A/B verdict (core/views/ab_text), after "Verdict: ": "B's median
    // rate is 2.6% faster and its intervals 61% more spread; the stability
    // does not differ." Each figure has its subject as the first change
    // says it (with its verb), as a later one does, its words for a rise and
    // a fall around the amount (%s), and its name among those that do not
    // differ.
    TX_AB_FEW_BLOCKS,        // after "Verdict: none: "
    TX_AB_NO_INTERVALS,
    TX_AB_NO_MEMORY_VERDICT,
    TX_AB_FIRST_CHANGE,      // first subject, then its change
    TX_AB_NEXT_CHANGE,
    TX_AB_AMOUNT_PCT,
    TX_AB_AMOUNT_POINTS,
    TX_AB_CHANGE_JOIN,
    TX_AB_CHANGE_JOIN_LAST,
    TX_AB_SAME_JOIN,
    TX_AB_SAME_JOIN_LAST,
    TX_AB_BOTH,              // between the changes and the figures that do not differ
    TX_AB_END_ALL_DIFFER,
    TX_AB_END_ONE_SAME,
    TX_AB_END_SAME,
    TX_AB_MEDIAN_FIRST, TX_AB_MEDIAN, TX_AB_MEDIAN_UP, TX_AB_MEDIAN_DOWN, TX_AB_MEDIAN_SAME,
    TX_AB_SLOW_FIRST, TX_AB_SLOW, TX_AB_SLOW_UP, TX_AB_SLOW_DOWN, TX_AB_SLOW_SAME,
    TX_AB_SPREAD_FIRST, TX_AB_SPREAD, TX_AB_SPREAD_UP, TX_AB_SPREAD_DOWN, TX_AB_SPREAD_SAME,
    TX_AB_STABILITY_FIRST, TX_AB_STABILITY, TX_AB_STABILITY_UP, TX_AB_STABILITY_DOWN,
    TX_AB_STABILITY_SAME,
    TX_AB_CLOCK_FIRST, TX_AB_CLOCK, TX_AB_CLOCK_UP, TX_AB_CLOCK_DOWN, TX_AB_CLOCK_SAME,
    // The plot window's hint line (gui/plot_hints): short forms of the hints.
    TX_PLOT_HINT_HAND,
    TX_PLOT_HINT_SATURATED,
    TX_PLOT_HINT_IDLE,

    // --- capture headline and diagnostic ---

    // --- main window, about box, message boxes ---

    // --- plot window and saved pictures ---

    // --- mouse names and choosing a mouse ---

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
