// The English texts. Keep each group where texts.h has it, and a format's
// conversions (%d, %.1f, %ls ...) the same as in texts_zh.cpp.
#include "core/views/texts.h"

const TextRow kEnglishTexts[] = {
    // --- start-up and the command line ---
    {TX_LANG_REFUSED, "--lang takes en or zh, not '%ls'."},

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

};
const size_t kEnglishTextCount = sizeof kEnglishTexts / sizeof kEnglishTexts[0];
