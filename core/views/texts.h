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
    TX_CAP_SECONDS,
    TX_CAP_THREE_SECONDS,
    TX_CAP_HEAD,
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
    TX_CAP_WHY_QUALIFIER,
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
