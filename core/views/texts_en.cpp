// The English texts. Keep each group where texts.h has it, and a format's
// conversions (%d, %.1f, %ls ...) the same as in texts_zh.cpp.
#include "core/views/texts.h"

const TextRow kEnglishTexts[] = {
    // --- start-up and the command line ---
    {TX_LANG_REFUSED, "--lang takes en or zh, not '%ls'."},
    // The usage's columns: options in 35, the words after them.
    {TX_USAGE_HEAD, "Quorvin %ls - mouse polling-rate tester\n\nUsage: %ls [OPTION]\n"},
    {TX_USAGE_NO_OPTION, "  (no option)                      open the window\n"},
    {TX_USAGE_OPTIONS,
     "  -c, --console [INDEX [SECONDS]]  measure mouse INDEX (0 = all mice) until Ctrl+C"
     " or for SECONDS\n"
     "  --list                           list the mice, each with the INDEX that -c takes\n"
     "  --pcap FILE                      analyse a saved USBPcap capture (pcap or pcapng)\n"
     "  --csv FILE                       after -c or --pcap: also write every report to FILE\n"
     "  --json FILE                      after -c, --pcap, --compare, --analyze or --ab: also\n"
     "                                   write the figures to FILE as JSON\n"
     "  --usb, --usb-save FILE           after -c: also capture USB (USBPcap, administrator) and\n"
     "                                   compare it with what Windows delivered; FILE: the pcap\n"
     "  --compare CAPTURE CSV [ENDPOINT] compare a USBPcap capture with a -c run's CSV\n"
     "  --analyze CSV                    print a -c run's summary again from its CSV\n"
     "  --ab A.csv B.csv                 compare two -c runs: B - A with 95%% intervals, a verdict\n"
     "  --slot N                         after --compare, --analyze or --ab: only the rows of\n"
     "                                   mouse N in the CSV (0 = all mice, the default)\n"
     "  --lang en|zh                     English or Chinese text (default: Windows' display language)\n"
     "  --help, -h, /?                   show this help\n"
     "  --version                        show the version\n"},
    {TX_USAGE_WINDOW_EXAMPLE,
     "\nExample: quorvin.exe -c 0 10   measures all mice for 10 seconds.\n"
     "In a terminal, use quorvin-cli.exe: it prints there and the shell waits for it.\n"},
    {TX_USAGE_CLI_EXAMPLE,
     "\nExample: quorvin-cli.exe -c 0 10 --csv run.csv   measures all mice for 10 seconds\n"
     "         and writes every report to run.csv.\n"
     "quorvin.exe (without options) opens the window.\n"},
    {TX_UNKNOWN_OPTION, "unknown option %.500ls; the options are:\n"},
    {TX_ARGS_CANNOT_RUN, "the arguments cannot run together; see --help"},
    {TX_FILE_OPTION_NEEDS_NAME, "%ls needs the name of the file to write (like %ls %ls)."},
    {TX_SLOT_REFUSED, "--slot needs a mouse number from 0 to 63 (0 = all mice), not '%ls'."},
    {TX_UNEXPECTED_ARGUMENT, "unexpected argument '%ls': %ls takes %ls at most."},
    {TX_TAKES_INDEX_AND_SECONDS, "INDEX and SECONDS"},
    {TX_TAKES_CAPTURE, "one capture file"},
    {TX_TAKES_COMPARE, "CAPTURE, CSV and ENDPOINT"},
    {TX_TAKES_TWO_CSV, "two CSV files"},
    {TX_TAKES_ONE_CSV, "one CSV file"},
    {TX_CSV_IS_USB_SAVE, "--csv and --usb-save name the same file, %ls; give each its own."},
    {TX_CSV_IS_CAPTURE, "--csv names the capture itself, %ls; give the CSV a name of its own."},
    {TX_JSON_IS_OUTPUT, "--json and %ls name the same file, %ls; give each its own."},
    {TX_JSON_IS_CAPTURE, "--json names the capture itself, %ls; give the JSON a name of its own."},
    {TX_JSON_IS_CSV_READ, "--json names a CSV being read, %ls; give the JSON a name of its own."},
    {TX_SECONDS_REFUSED,
     "SECONDS must be a positive number (like 10 or 2.5), not '%ls'; leave it out to measure "
     "until Ctrl+C."},
    {TX_PCAP_NEEDS_FILE, "--pcap needs the name of a capture file (like --pcap capture.pcapng)."},
    {TX_COMPARE_NEEDS_FILES, "--compare needs a capture file and a -c run's CSV file."},
    {TX_USB_ONLY_AFTER_CONSOLE,
     "%ls does not combine with %ls: it captures USB during a live measurement, so it works "
     "only after -c."},
    {TX_ANALYZE_NEEDS_CSV, "--analyze needs the CSV of a -c run (like --analyze run.csv)."},
    {TX_AB_NEEDS_CSVS, "--ab needs the CSVs of two -c runs (like --ab a.csv b.csv)."},
    {TX_CSV_WITH_READER, "--csv does not combine with %ls: it reads a run's CSV and writes none."},
    {TX_SLOT_ONLY_READERS, "--slot works only with --compare, --analyze and --ab; with %ls %ls."},
    {TX_SLOT_CONSOLE_WHY, "INDEX chooses the mouse"},
    {TX_SLOT_PCAP_WHY, "every endpoint is listed"},
    {TX_OPTION_BEFORE_MODE,
     "%ls follows a mode: -c, --pcap, --compare, --analyze or --ab comes first (like "
     "-c 0 10 --csv run.csv)."},

    // --- console and offline reports ---

    // --- capture headline and diagnostic ---

    // --- main window, about box, message boxes ---

    // --- plot window and saved pictures ---

    // --- mouse names and choosing a mouse ---
    {TX_MOUSE_ALL_COUNT, "All mice (%d)"},
    {TX_MOUSE_ALL, "All mice"},
    {TX_MOUSE_IDS, "Mouse VID_%ls PID_%ls"},
    {TX_MOUSE_HID, "HID mouse"},
    {TX_INDEX_REFUSED,
     "INDEX must be a whole number (0 = all mice, 1 and up one mouse; --list shows them), "
     "not '%ls'."},
    {TX_LIST_NONE, "No mouse found via Raw Input."},

    // --- the report clock ---

};
const size_t kEnglishTextCount = sizeof kEnglishTexts / sizeof kEnglishTexts[0];
