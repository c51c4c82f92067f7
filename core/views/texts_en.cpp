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
    {TX_PLOT_VIEW_INTERVALS, "Intervals"},
    {TX_PLOT_VIEW_COUNTS, "Counts"},
    {TX_PLOT_VIEW_SPEED, "Speed"},
    {TX_PLOT_EXPORT_BUTTON, "Export CSV"},
    {TX_PLOT_CANCEL_EXPORT, "Cancel export"},
    {TX_PLOT_OPEN_BUTTON, "Open CSV"},
    {TX_PLOT_IMAGE_BUTTON, "Save picture"},
    {TX_PLOT_TITLE, "Interval plot — %ls"},
    {TX_PLOT_SAVED_TITLE, "Interval plot — %ls — %ls"},
    {TX_PLOT_WINDOW_FAILED, "The plot window could not be made."},
    {TX_PLOT_ERROR, "Error"},
    {TX_PLOT_LINE_SLOW, "Slow P99"},
    {TX_PLOT_LINE_MEDIAN, "Median"},
    {TX_PLOT_LINE_FAST, "Fast P1"},
    {TX_PLOT_CLOCK_LABEL, "Clock %.3f ms  %+.0f ppm  fill %.0f%%"},
    {TX_PLOT_LEGEND_MERGED, "Merged by the system (under the axis)"},
    {TX_PLOT_LEGEND_BEYOND, "Beyond the axis"},
    {TX_PLOT_LEGEND_STILL, "Reports without motion"},
    {TX_PLOT_LEGEND_SPEED, "Speed: √(Δx²+Δy²) ÷ accepted interval, counts/s"},
    {TX_PLOT_SUM_N, "n=%llu"},
    {TX_PLOT_SUM_SLOW, "Slow P99 %.2f Hz"},
    {TX_PLOT_SUM_MEDIAN, "Median %.2f Hz"},
    {TX_PLOT_SUM_FAST, "Fast P1 %.2f Hz"},
    {TX_PLOT_SUM_SD, "SD %.1f µs"},
    {TX_PLOT_SUM_STABILITY, "Stability %.1f%%"},
    {TX_PLOT_SUM_CLOCK, "Clock %.3f µs"},
    {TX_PLOT_SUM_NO_CLOCK, "Clock: none (%ls)"},
    {TX_PLOT_CLOCK_TOO_FEW, "under 1000 reports"},
    {TX_PLOT_CLOCK_NO_PERIOD, "no fixed period in the report times"},
    {TX_PLOT_CLOCK_NO_MEMORY, "out of memory"},
    {TX_PLOT_SUM_WRAPPED, "(the plot holds only the last %.1f s)"},
    {TX_PLOT_SUM_FAILED, "(out of memory: the plot's log has stopped)"},
    {TX_PLOT_NOTE_POSITIONS, "Only absolute positions (a tablet, a remote desktop or a virtual machine): no counts to draw"},
    {TX_PLOT_NOTE_MOVE, "No data yet: move the mouse"},
    {TX_PLOT_NOTE_START, "No data yet: start measuring and move the mouse"},
    {TX_PLOT_TOO_FEW, "Too few reports: a CSV export needs at least 2 accepted intervals."},
    {TX_PLOT_EXPORTING, "Exporting: %ls"},
    {TX_PLOT_EXPORTED, "Exported %lld rows: %ls"},
    {TX_PLOT_EXPORT_CANCELLED, "Export cancelled"},
    {TX_PLOT_EXPORT_FAILED, "Export failed: %ls"},
    {TX_PLOT_CSV_WRITE_FAILED, "Cannot write the CSV file:\n%ls\n\n%hs"},
    {TX_PLOT_EXPORT_LOST, "Cannot export the CSV file:\n%ls\n\nThe data were cleared during the export, or the log overwrote reports not yet written; no file was written."},
    {TX_PLOT_READING, "Reading: %ls"},
    {TX_PLOT_CSV_READ, "Read %llu rows: %ls"},
    {TX_PLOT_CSV_OPEN_FAILED, "Cannot open the CSV file:\n%ls\n\n%hs"},
    {TX_PLOT_CSV_READ_FAILED_AT, "Cannot read the CSV file:\n%ls:%llu: %ls"},
    {TX_PLOT_CSV_READ_FAILED, "Cannot read the CSV file:\n%ls: %ls"},
    {TX_PLOT_CSV_EMPTY, "No reports in the CSV file:\n%ls"},
    {TX_PLOT_SAVED_FULL, "%d saved runs are open: close one first."},
    {TX_PLOT_SAVED_NO_MEMORY, "Out of memory: the CSV file cannot be opened."},
    {TX_PLOT_ALL_FILES, "All files"},
    {TX_PLOT_IMAGE_TOO_SMALL, "The window is too small: there is no picture to save."},
    {TX_PLOT_IMAGE_SAVED, "Picture saved: %ls"},
    {TX_PLOT_IMAGE_FAILED, "Picture not saved: %ls"},
    {TX_PLOT_IMAGE_ENCODE_FAILED, "Cannot save the picture:\n%ls\n\nPNG encoding failed."},
    {TX_PLOT_IMAGE_WRITE_FAILED, "Cannot save the picture:\n%ls\n\n%hs"},
    {TX_PLOT_INFO_SAVED_RUN, "Saved run %ls"},
    {TX_PLOT_INFO_MEASURED, "measured %ls"},
    {TX_PLOT_INFO_SAVED, "saved %ls"},
    {TX_PLOT_INFO_NO_DATE, "date of the run unknown"},

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
