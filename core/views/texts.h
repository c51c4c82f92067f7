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
    // The usage: a head (version, program), the window's no-option line, the
    // options (a format without arguments: "%%" is one "%"), and each program's example.
    TX_USAGE_HEAD,
    TX_USAGE_NO_OPTION,
    TX_USAGE_OPTIONS,
    TX_USAGE_WINDOW_EXAMPLE,
    TX_USAGE_CLI_EXAMPLE,
    TX_UNKNOWN_OPTION,
    // Arguments refused before anything is opened: what is wrong and what to do.
    TX_ARGS_CANNOT_RUN,
    TX_FILE_OPTION_NEEDS_NAME,
    TX_SLOT_REFUSED,
    TX_UNEXPECTED_ARGUMENT,
    TX_TAKES_INDEX_AND_SECONDS,  // what a mode takes, in TX_UNEXPECTED_ARGUMENT
    TX_TAKES_CAPTURE,
    TX_TAKES_COMPARE,
    TX_TAKES_TWO_CSV,
    TX_TAKES_ONE_CSV,
    TX_CSV_IS_USB_SAVE,
    TX_CSV_IS_CAPTURE,
    TX_JSON_IS_OUTPUT,
    TX_JSON_IS_CAPTURE,
    TX_JSON_IS_CSV_READ,
    TX_SECONDS_REFUSED,
    TX_PCAP_NEEDS_FILE,
    TX_COMPARE_NEEDS_FILES,
    TX_USB_ONLY_AFTER_CONSOLE,
    TX_ANALYZE_NEEDS_CSV,
    TX_AB_NEEDS_CSVS,
    TX_CSV_WITH_READER,
    TX_SLOT_ONLY_READERS,
    TX_SLOT_CONSOLE_WHY,  // in TX_SLOT_ONLY_READERS after -c
    TX_SLOT_PCAP_WHY,     // and after --pcap
    TX_OPTION_BEFORE_MODE,

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
    TX_CAP_SECONDS,
    TX_CAP_THREE_SECONDS,
    TX_CAP_TITLE,
    TX_CAP_SUMMARY,     // the tally's lines under either kind's title
    TX_CAP_MOUSE,
    TX_CAP_MOUSE_CHOSEN,
    TX_CAP_NO_MOUSE,
    TX_CAP_RATES,
    TX_CAP_NO_FIGURES,
    TX_CAP_COARSE_CLOCK,
    TX_CAP_OTHERS,
    TX_CAP_OTHER_BULK,
    TX_CAP_SEPARATOR,
    TX_CAP_MORE,
    TX_CAP_NO_BINTERVAL,
    TX_CAP_NO_MOUSE_BINTERVAL,
    TX_CAP_BINTERVAL,
    TX_CAP_LIMIT,
    TX_CAP_LIMIT_BOTH,
    TX_CAP_LIMIT_FULL_ONLY,
    TX_CAP_NOT_VALID,
    TX_CAP_WHY_BCD_USB,
    TX_CAP_WHY_MAX_PACKET0,
    TX_CAP_WHY_ENDPOINT_SIZE,
    TX_CAP_EIGHT_K,
    TX_CAP_TWO_K,
    TX_CAP_EIGHT_K_DEPENDS,
    TX_CAP_NO_EIGHT_K,
    TX_CAP_NO_DIRECTION,
    TX_CAP_NO_VALID_IN,
    TX_PCAP_BULK_NOTE,
    TX_PCAP_ENDPOINTS,
    TX_PCAP_NO_ENDPOINTS,
    TX_PCAP_IGNORED_TAIL,
    TX_PCAP_READ_ERROR,
    TX_PCAP_EMPTY,
    TX_PCAP_NOT_PCAP,
    TX_PCAP_NO_USBPCAP,
    TX_PCAP_NO_COMPLETE_PACKET,
    TX_PCAP_NO_PACKETS,
    TX_PCAP_NO_MEMORY,
    TX_DIAG_CAPTION,
    TX_DIAG_STEP1_CAPTION,
    TX_DIAG_STEP2_CAPTION,
    TX_DIAG_STEP3_CAPTION,
    TX_DIAG_STEP4_CAPTION,
    TX_DIAG_READ_CAPTION,
    TX_DIAG_MISMATCH_CAPTION,
    TX_DIAG_RESULT_CAPTION,
    TX_DIAG_DOWNLOAD,
    TX_DIAG_STEP1,
    TX_DIAG_STEP2_NONE,
    TX_DIAG_STEP2,
    TX_DIAG_STEP3,
    TX_DIAG_STEP4,
    TX_DIAG_NO_HEADER,
    TX_DIAG_BIG_ENDIAN,
    TX_DIAG_MISMATCH,
    TX_DIAG_STEP1_DONE,
    TX_DIAG_STEP2_DONE,
    TX_DIAG_STEP3_DONE,
    TX_DIAG_STEP4_DONE,
    TX_DIAG_NO_MEMORY,
    TX_USB_NO_DRIVER,
    TX_USB_NOT_ELEVATED,
    TX_USB_LIST_FAILED,
    TX_USB_NO_HUBS,
    TX_USB_NO_MEMORY,
    TX_USB_OPEN_FAILED,
    TX_USB_LOST_NO_MEMORY,
    TX_USB_LOST_CORRUPT,
    TX_USB_LOST_READS,
    TX_USB_LOST_NEXT_READ,
    TX_USB_LOST_WAIT,
    TX_CMP_NEEDS_FILES,
    TX_CMP_NO_MEMORY_CAPTURE,
    TX_CMP_NO_MEMORY,
    TX_CMP_CSV_LINE,
    TX_CMP_CSV_UNUSABLE,
    TX_CMP_CSV_EMPTY,
    TX_CMP_NO_SLOT_ROWS,
    TX_CMP_NO_OVERLAP,
    TX_CMP_THE_CAPTURE,
    TX_CMP_ENDPOINT,
    TX_CMP_NONE,
    TX_CMP_NO_MATCH,
    TX_CMP_BAD_ENDPOINT,
    TX_CMP_EMPTY_ENDPOINT,
    TX_CMP_USB_BOUND,
    TX_CMP_CSV_BOUND,
    TX_LAYER_COARSE,
    TX_LAYER_MOUSE_CLOCK,
    TX_LAYER_MOUSE_SENT,
    TX_LAYER_ABOUT,
    TX_LAYER_TOO_FEW,
    TX_LAYER_BURSTS,
    TX_LAYER_NOT_BEHIND,
    TX_LAYER_SOME_MERGED,
    TX_LAYER_ONE_BY_ONE,
    TX_LAYER_ONE_BY_ONE_LATER,
    TX_CAP_MOUSE_GAPS,

    // --- main window, about box, message boxes ---
    TX_WIN_START,             // the start button, its accelerator marked
    TX_WIN_STOP,
    TX_WIN_CLEAR,
    TX_WIN_DIAG,
    TX_WIN_ABOUT,
    TX_WIN_PLOT,
    TX_ABOUT_CAPTION,         // %ls: the program's name
    TX_HELP,                  // the about box's text; %ls: the program's name
    TX_BOX_NO_MICE,
    TX_BOX_NOTICE,            // a message box's caption
    TX_BOX_REGISTER_FAILED,
    TX_BOX_ERROR,             // a message box's caption
    TX_BOX_CLASS_FAILED,
    TX_BOX_WINDOW_FAILED,
    TX_PANEL_STOPPED,
    TX_PANEL_BACKGROUND_THROTTLED,
    TX_PANEL_BACKGROUND,
    TX_PANEL_MOVE_MOUSE,
    TX_PANEL_MEASURING,
    TX_PANEL_ACTIVE,
    TX_PANEL_ACTIVE_NONE,
    TX_PANEL_AVERAGE,
    TX_PANEL_LOWEST,
    TX_PANEL_HIGHEST,
    TX_PANEL_LAST_SECOND,
    TX_PANEL_REPORTS,
    TX_PANEL_COALESCED,
    TX_PANEL_HISTOGRAM,
    TX_PANEL_LEGEND,
    TX_PANEL_CLOCK,           // the rate line, large: the report clock's rate and filled share
    TX_PANEL_CLOCK_PENDING,   // the rate line while the clock is still being fed
    TX_PANEL_MEDIAN,          // the rate line without a clock, large: %ls the rate or a dash
    TX_PANEL_NO_CLOCK,        // after it, small: %ls why there is no clock
    TX_PANEL_NO_CLOCK_FEW,
    TX_PANEL_NO_CLOCK_PERIOD,
    TX_PANEL_NO_CLOCK_MEMORY,

    // --- plot window and saved pictures ---
    // view buttons
    TX_PLOT_VIEW_INTERVALS,
    TX_PLOT_VIEW_COUNTS,
    TX_PLOT_VIEW_SPEED,
    // the buttons at the top right
    TX_PLOT_EXPORT_BUTTON,
    TX_PLOT_CANCEL_EXPORT,
    TX_PLOT_OPEN_BUTTON,
    TX_PLOT_IMAGE_BUTTON,
    // titles: the program's short name; a saved run's file name first
    TX_PLOT_TITLE,
    TX_PLOT_SAVED_TITLE,
    TX_PLOT_WINDOW_FAILED,
    TX_PLOT_ERROR,
    // the lines across the plot and their labels
    TX_PLOT_LINE_SLOW,
    TX_PLOT_LINE_MEDIAN,
    TX_PLOT_LINE_FAST,
    TX_PLOT_CLOCK_LABEL,
    // the legend
    TX_PLOT_LEGEND_MERGED,
    TX_PLOT_LEGEND_BEYOND,
    TX_PLOT_LEGEND_STILL,
    TX_PLOT_LEGEND_SPEED,
    // the summary's figures, each a piece the header never cuts
    TX_PLOT_SUM_N,
    TX_PLOT_SUM_SLOW,
    TX_PLOT_SUM_MEDIAN,
    TX_PLOT_SUM_FAST,
    TX_PLOT_SUM_SD,
    TX_PLOT_SUM_STABILITY,
    TX_PLOT_SUM_CLOCK,
    TX_PLOT_SUM_NO_CLOCK,
    TX_PLOT_SUM_WRAPPED,
    TX_PLOT_SUM_FAILED,
    // the middle of an empty plot
    TX_PLOT_NOTE_POSITIONS,
    TX_PLOT_NOTE_MOVE,
    TX_PLOT_NOTE_START,
    // the export (status line and boxes)
    TX_PLOT_TOO_FEW,
    TX_PLOT_EXPORTING,
    TX_PLOT_EXPORTED,
    TX_PLOT_EXPORT_CANCELLED,
    TX_PLOT_EXPORT_FAILED,
    TX_PLOT_CSV_WRITE_FAILED,
    TX_PLOT_EXPORT_LOST,
    // a saved run
    TX_PLOT_READING,
    TX_PLOT_CSV_READ,
    TX_PLOT_CSV_OPEN_FAILED,
    TX_PLOT_CSV_READ_FAILED_AT,
    TX_PLOT_CSV_READ_FAILED,
    TX_PLOT_CSV_EMPTY,
    TX_PLOT_SAVED_FULL,
    TX_PLOT_SAVED_NO_MEMORY,
    TX_PLOT_ALL_FILES,
    // the picture
    TX_PLOT_IMAGE_TOO_SMALL,
    TX_PLOT_IMAGE_SAVED,
    TX_PLOT_IMAGE_FAILED,
    TX_PLOT_IMAGE_ENCODE_FAILED,
    TX_PLOT_IMAGE_WRITE_FAILED,
    // the picture's line of who, when and which program
    TX_PLOT_INFO_SAVED_RUN,
    TX_PLOT_INFO_MEASURED,
    TX_PLOT_INFO_SAVED,
    TX_PLOT_INFO_NO_DATE,

    // --- mouse names and choosing a mouse ---
    TX_MOUSE_ALL_COUNT,  // slot 0 with how many mice are listed
    TX_MOUSE_ALL,        // slot 0 while none is
    TX_MOUSE_IDS,        // a mouse without a product string: its VID and PID
    TX_MOUSE_HID,        // a mouse that tells neither
    TX_INDEX_REFUSED,    // -c INDEX that is no whole number
    TX_LIST_NONE,        // --list without a mouse

    // --- the report clock ---
    TX_CLOCK_LATE_READS,     // why there is no report clock: reads came %d periods late
    TX_CLOCK_LATE_READ_ONE,  // ... one period late

    // --- leftovers found later ---
    // Why a CSV read back cannot be used: after "FILE:LINE: " or "FILE cannot
    // be ...: " (the readers in core/runs; column names stay English).
    TX_CSV_CR_INSIDE,
    TX_CSV_AFTER_QUOTE,
    TX_CSV_LINE_TOO_LONG,
    TX_CSV_QUOTE_OPEN,
    TX_CSV_EMPTY,
    TX_CSV_READ_FAILED,
    TX_CSV_NO_MEMORY,
    TX_CSV_OUT_OF_MEMORY,
    TX_CSV_NO_T_US,
    TX_CSV_NO_UTC_US,
    TX_CSV_NO_SLOT_COLUMN,
    TX_CSV_ROW_SHORT,     // the column's name, its field number
    TX_CSV_NOT_WHOLE,     // the column's name, the field, the range
    TX_CSV_BAD_CLASS,
    TX_CSV_BAD_TIME,
    TX_CSV_TIME_BACKWARDS,
    TX_CSV_UTC_EMPTY,
    TX_CSV_UTC_NOT_WHOLE,
    TX_CSV_SLOT_RANGE,
    TX_THROTTLE_ABSENT,   // a throttle value not in the registry, in the console's warning

    // --- buttons and wheel ---
    // the buttons and wheels in a hint's sentence (the console's keys stay English)
    TX_BUTTON_LEFT,
    TX_BUTTON_RIGHT,
    TX_BUTTON_MIDDLE,
    TX_BUTTON_BACK,
    TX_BUTTON_FORWARD,
    TX_WHEEL_VERTICAL,
    TX_WHEEL_HORIZONTAL,
    TX_HINT_CHATTER,          // after "Hint: ": a button that chattered
    TX_HINT_WHEEL_REVERSALS,  // after "Hint: ": over 2 % of a wheel's notches reversals
    TX_CHATTER_MS_REFUSED,    // --chatter-ms N out of range
    TX_CHATTER_MS_ONLY,       // --chatter-ms after another mode
    TX_USAGE_CHATTER,         // the usage's line of --chatter-ms

    // --- buttons in the window and the plot ---
    TX_PLOT_VIEW_BUTTONS,  // the plot's fourth view
    TX_BUTTON_SHORT_LEFT,  // the buttons and wheels by short names: the panel's line, the plot's rows
    TX_BUTTON_SHORT_RIGHT,
    TX_BUTTON_SHORT_MIDDLE,
    TX_BUTTON_SHORT_BACK,
    TX_BUTTON_SHORT_FORWARD,
    TX_WHEEL_SHORT,
    TX_HWHEEL_SHORT,
    TX_PANEL_BUTTON_PRESSES,  // the panel's line: a button's presses
    TX_PANEL_BUTTON_ONE_PRESS,
    TX_PANEL_BUTTON_CHATTER,  // after a button's presses, when it chattered
    TX_PANEL_WHEEL_NOTCHES,  // a wheel's notches
    TX_PANEL_WHEEL_ONE_NOTCH,
    TX_PANEL_WHEEL_REVERSALS,  // after a wheel's notches, when some were reversals
    TX_PLOT_LEGEND_HELD,  // the buttons view's legend
    TX_PLOT_LEGEND_CHATTER,
    TX_PLOT_LEGEND_NOTCHES,
    TX_PLOT_LEGEND_REVERSAL,
    TX_PLOT_NOTE_PRESS,  // the buttons view without a press, live
    TX_PLOT_NOTE_NO_PRESSES,  // the same, of a saved run

    // --- usbmon captures ---
    TX_USBMON_TITLE,             // the headline's first line for a Linux capture
    TX_USBMON_NO_VALID_IN,
    TX_USBMON_NO_COMPLETE_PACKET,
    TX_USBMON_NO_PACKETS,
    TX_USBMON_CLOCKS_APART,      // --compare: a Linux capture beside a Windows run
    TX_USBMON_UNUSABLE,          // --pcap: records that could not be read, of how many

    // --- the native offline program ---
    TX_NEEDS_WINDOWS,         // a live mode asked of the native program, which reads files only

    // --- layers: reads of several reports ---
    TX_LAYER_READS_LATER,     // the program read several at a time, nothing merged; the delay
    TX_LAYER_READS,           // the same on a capture clock too coarse for delays
    TX_LAYER_READS_MERGED,    // the program read several at a time, and some were merged

    // --- clock map, JSON and package ---

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
