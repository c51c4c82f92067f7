// The English texts. Keep each group where texts.h has it, and a format's
// conversions (%d, %.1f, %ls ...) the same as in texts_zh.cpp.
#include "core/views/texts.h"

const TextRow kEnglishTexts[] = {
    // --- start-up and the command line ---
    {TX_LANG_REFUSED, "--lang takes en or zh, not '%ls'."},

    // --- console and offline reports ---
    {TX_STABILITY_WITHIN, "%.1f%% of intervals within 10%% of the median"},
    {TX_WHILE_MOVING_NOTE, "(intervals between consecutive moving reports)"},
    {TX_LOG_HELD,
     "holds the last %.1f s (older reports were dropped to bound memory); the summary and the "
     "CSV cover the whole run, a USB comparison only that span"},
    {TX_LOG_OUT_OF_MEMORY,
     "out of memory after %llu reports; the CSV, the report clock and a USB comparison cover "
     "those only"},
    {TX_LOG_NO_INTERVALS, "no memory to count the intervals; only the counts above hold"},
    {TX_HINT_HAND,
     "the hand limited the rate: most moving reports carried a single count, and the median "
     "speed, %.0f counts/s, is well below the %.0f reports/s the mouse reached while moving; "
     "move about %.1f times faster (%.0f counts/s or more) so that every report has a count "
     "to carry."},
    {TX_HINT_SATURATED,
     "%.1f%% of moving reports were saturated (a delta of 127 or 128): the mouse reports "
     "8-bit deltas; move slower or lower the CPI."},
    {TX_HINT_IDLE,
     "%.1f%% of reports were idle (no motion, button or wheel change): the mouse sends "
     "reports without motion, as some firmware does to fake a rate."},
    {TX_THROTTLE_WARNING,
     "Windows limits background mouse input to about %.0f Hz (%s), and console mode always "
     "listens in the background. For true rates use the window, or set the DWORD "
     "RawMouseThrottleEnabled=0 under HKEY_CURRENT_USER\\Control Panel\\Mouse and sign in "
     "again."},
    {TX_BACKGROUND_THROTTLED, " (throttled: Windows delivered them at whole multiples of %.0f ms)"},
    {TX_NO_MOUSE, "No mouse found via Raw Input."},
    {TX_MOVE_TO_MEASURE, "Move the mouse to measure. Ctrl+C to quit."},
    {TX_NO_REPORTS, "No reports received: move the mouse during the measurement."},
    {TX_NO_HIDDEN_WINDOW, "Failed to create hidden window."},
    {TX_REGISTER_FAILED, "RegisterRawInputDevices failed (err %lu)."},
    {TX_INDEX_ONE_MOUSE,
     "INDEX %.100ls names no mouse (one mouse found: 1; 0 = all mice); measuring all mice."},
    {TX_INDEX_MICE,
     "INDEX %.100ls names no mouse (%d mice found: 1 to %d; 0 = all mice); measuring all mice."},
    {TX_KEPT_IN, "what was written is kept in %.500ls."},
    {TX_WHAT_USB_CAPTURE, "the USB capture "},
    {TX_USB_SAVE_INCOMPLETE,
     "the USB capture %.500ls is incomplete: it holds %llu records (%llu bytes)%hs."},
    {TX_HUB_KEPT_NONE, "; %ls kept none of its records (%s)"},
    {TX_HUB_KEPT_UNTIL, "; %ls kept its records up to %.3f s, later ones were dropped (%s)"},
    {TX_HUB_OUT_OF_MEMORY, "out of memory"},
    {TX_HUB_MIB, "%llu MiB per hub"},
    {TX_HUB_BYTES, "%llu bytes per hub"},
    {TX_USB_HUB_STOPPED, "%ls stopped during the run (%hs); the capture lacks its later reports."},
    {TX_USB_FULL, "the capture filled its memory bound; later USB reports were not kept."},
    {TX_USB_NO_MATCH,
     "no endpoint's reports match the program's (none came within 2 ms before them)."},
    {TX_USB_NO_OVERLAP, "the capture and the measurement do not overlap in time."},
    {TX_CLOCK_TOO_FEW, "fewer than 1000 reports"},
    {TX_CLOCK_NO_PERIOD, "the times follow no fixed period"},
    {TX_CLOCK_NO_MEMORY, "no memory for the jitter figures"},
    {TX_MESSAGE_TOO_LONG, "(the message did not fit)"},
    {TX_OPEN_IS_DIRECTORY, "it is a directory; give the name of a file"},
    {TX_OPEN_NO_SUCH, "no such file or folder; check the name"},
    {TX_OPEN_DENIED_WRITE,
     "permission denied; choose a folder you may write to, or close the program that holds "
     "the file"},
    {TX_OPEN_DENIED_READ, "permission denied; check that you may read it"},
    {TX_CANNOT_CREATE, "cannot create %.500ls for %ls: %ls."},
    {TX_CANNOT_OPEN, "cannot open %.500ls: %ls."},
    {TX_WRITE_FAILED, "writing %ls%.500ls failed (%hs): check the free space of its drive."},
    {TX_STANDARD_OUTPUT, "standard output"},
    {TX_CONSOLE_TITLE, " - Console"},
    {TX_CSV_ERROR_AT, "%ls:%llu: %hs; give the CSV of a -c run as it was written."},
    {TX_CSV_UNREADABLE, "%ls cannot be analysed: %hs; give the CSV of a -c run."},
    {TX_CSV_NO_REPORTS, "%ls holds no reports; give the CSV of a -c run that measured."},
    {TX_CSV_NO_SLOT, "%ls has no rows of slot %d; give another slot to --slot."},
    {TX_AB_NO_MEMORY, "no memory to compare %ls; close other programs and try again."},
    {TX_AB_TRUNCATED, "%ls is longer than %d s: the comparison takes its first %d s."},
    {TX_AB_FEW_BLOCKS, "run %c has %u blocks of 1 s; a verdict needs at least %d in each run."},
    {TX_AB_NO_INTERVALS, "run %c has no accepted intervals."},
    {TX_AB_NO_MEMORY_VERDICT, "no memory for the comparison."},
    {TX_AB_FIRST_CHANGE, "B's %s %s"},
    {TX_AB_NEXT_CHANGE, "its %s %s"},
    {TX_AB_AMOUNT_PCT, "%.*f%% "},
    {TX_AB_AMOUNT_POINTS, "%.*f points "},
    {TX_AB_CHANGE_JOIN, ", "},
    {TX_AB_CHANGE_JOIN_LAST, " and "},
    {TX_AB_SAME_JOIN, ", "},
    {TX_AB_SAME_JOIN_LAST, " and "},
    {TX_AB_BOTH, "; "},
    {TX_AB_END_ALL_DIFFER, "."},
    {TX_AB_END_ONE_SAME, " does not differ."},
    {TX_AB_END_SAME, " do not differ."},
    {TX_AB_MEDIAN_FIRST, "median rate is"},
    {TX_AB_MEDIAN, "median rate"},
    {TX_AB_MEDIAN_UP, "%sfaster"},
    {TX_AB_MEDIAN_DOWN, "%sslower"},
    {TX_AB_MEDIAN_SAME, "the median rate"},
    {TX_AB_SLOW_FIRST, "slow end is"},
    {TX_AB_SLOW, "slow end"},
    {TX_AB_SLOW_UP, "%sfaster"},
    {TX_AB_SLOW_DOWN, "%sslower"},
    {TX_AB_SLOW_SAME, "the slow end"},
    {TX_AB_SPREAD_FIRST, "intervals are"},
    {TX_AB_SPREAD, "intervals"},
    {TX_AB_SPREAD_UP, "%smore spread"},
    {TX_AB_SPREAD_DOWN, "%sless spread"},
    {TX_AB_SPREAD_SAME, "the spread"},
    {TX_AB_STABILITY_FIRST, "stability is"},
    {TX_AB_STABILITY, "stability"},
    {TX_AB_STABILITY_UP, "%shigher"},
    {TX_AB_STABILITY_DOWN, "%slower"},
    {TX_AB_STABILITY_SAME, "the stability"},
    {TX_AB_CLOCK_FIRST, "report clock period is"},
    {TX_AB_CLOCK, "report clock period"},
    {TX_AB_CLOCK_UP, "%slonger"},
    {TX_AB_CLOCK_DOWN, "%sshorter"},
    {TX_AB_CLOCK_SAME, "the report clock period"},
    {TX_PLOT_HINT_HAND,
     "The hand limited the rate: median speed %.0f counts/s; move about %.1f times faster"},
    {TX_PLOT_HINT_SATURATED,
     "%.1f%% of moving reports saturated (8-bit deltas): move slower or lower the CPI"},
    {TX_PLOT_HINT_IDLE, "%.1f%% of reports idle: sent without motion (some firmware fakes a rate so)"},

    // --- capture headline and diagnostic ---

    // --- main window, about box, message boxes ---

    // --- plot window and saved pictures ---

    // --- mouse names and choosing a mouse ---

};
const size_t kEnglishTextCount = sizeof kEnglishTexts / sizeof kEnglishTexts[0];
