// The English texts. Keep each group where texts.h has it, and a format's
// conversions (%d, %.1f, %ls ...) the same as in texts_zh.cpp.
#include "core/views/texts.h"

const TextRow kEnglishTexts[] = {
    // --- start-up and the command line ---
    {TX_LANG_REFUSED, "--lang takes en or zh, not '%ls'."},

    // --- console and offline reports ---

    // --- capture headline and diagnostic ---

    // --- main window, about box, message boxes ---
    {TX_WIN_START, "&Start"},
    {TX_WIN_STOP, "&Stop"},
    {TX_WIN_CLEAR, "&Clear data"},
    {TX_WIN_DIAG, "&USBPcap diagnostic"},
    {TX_WIN_ABOUT, "&About"},
    {TX_WIN_PLOT, "Interval &plot"},
    {TX_ABOUT_CAPTION, "About — %ls"},
    {TX_HELP,
     "%ls  —  How to use it\n"
     "\n"
     "1. How it measures\n"
     "   Every HID report of every mouse comes in through Windows Raw Input and is stamped with the\n"
     "   high-resolution counter (QPC) the moment it arrives.\n"
     "   Two consecutive stamps make one report interval; instantaneous Hz = 1,000,000 ÷ interval (µs).\n"
     "   A separate high-priority reader thread receives the reports, so the window, the plot and exports\n"
     "   never delay a stamp; reports of one read share one stamp.\n"
     "   Works with any HID mouse (USB, Bluetooth, 2.4 GHz, NearLink and other wireless links).\n"
     "\n"
     "2. What the readings mean\n"
     "   • Report clock: the rate of the mouse's own report period, worked out from the report times, and the\n"
     "     share of its report slots that carried a report. This is the rate to quote.\n"
     "     With fewer than 1000 reports, or times that follow no fixed period, the median rate and the reason show instead.\n"
     "   • Average rate: the figure on paper, roughly what you set.\n"
     "   • Lowest instant: the longest interval decides whether it stutters (the most important).\n"
     "   • Highest instant: what the device can reach (false extremes of coalesced deliveries are left out; capped at 10000 Hz).\n"
     "   • Last second low: the worst case within the last second.\n"
     "   • Reports / time: 64-bit counts that do not overflow in normal use.\n"
     "   • After Stop every reading is that run's and no longer changes.\n"
     "\n"
     "3. Histogram and buckets\n"
     "   Bar colours: cyan/green (>8K / 8K / 4K / 2K) = elite/esports class; gold (1K) = competitive standard (the mainstream).\n"
     "   Orange (500) = fair; red (≤125) = clear stutter. Note: 1K and 2K are both good; no need to chase the leftmost bar.\n"
     "   Bucket tolerance: each bucket's upper limit is raised by 15%% in frequency (the 1000 Hz bucket really reaches 1150 Hz),\n"
     "   so that samples just above a nominal rate (such as 1001/1002 Hz) fall into the lower bucket instead of lighting up\n"
     "   the whole bar, which matches intuition better.\n"
     "   Note: the timing of a mouse's reports depends on electromagnetic interference, USB scheduling, CPU preemption and more,\n"
     "   so measured figures are not necessarily exact; the 15%% upward margin keeps the histogram close to intuition.\n"
     "   Each bar's label is the nominal rate of the intervals it holds: the 1K bar holds 575–1150 Hz, the 500 bar 287.5–575 Hz,\n"
     "   and so on; the percentage under the label is the bar's share of all accepted intervals.\n"
     "\n"
     "4. 8K mice stuck at 2K\n"
     "   High-speed USB: bInterval=1 → 125 µs → 8000 Hz; bInterval=3 → 500 µs → 2000 Hz.\n"
     "   Set to 8K but reaching only 2K means the USB endpoint from the receiver to the computer is limited.\n"
     "   Fix: push the 8K setting to the receiver with the vendor's software (such as Logitech G HUB / Razer Synapse)\n"
     "   and use a rear USB port of the motherboard.\n"
     "\n"
     "5. Tips\n"
     "   • Move the mouse while measuring (esports mice keep sending heartbeat reports).\n"
     "   • Windows 11 limits the mouse input of background windows to about 125 Hz (one every 8 ms):\n"
     "     keep this window in front while measuring.\n"
     "   • To measure in the background, set DWORD RawMouseThrottleEnabled=0 under\n"
     "     HKEY_CURRENT_USER\\Control Panel\\Mouse, then sign out and in again.\n"
     "   • Mice plugged in or out are recognised again by themselves.\n"
     "   • Interval plot: every report's interval over time (the wheel zooms time, Shift+wheel the vertical axis,\n"
     "     dragging pans, a double-click resets); exports CSV.\n"
     "   • Keyboard: Tab moves between the controls, Enter or Space starts and stops measuring,\n"
     "     Alt and a button's underlined letter presses that button.\n"
     "   • Works with any HID mouse, no driver and no administrator needed.\n"
     "   • USBPcap diagnostic (optional, needs the driver and administrator rights): https://github.com/desowin/usbpcap/releases\n"},
    {TX_BOX_NO_MICE, "No mouse found (Raw Input)."},
    {TX_BOX_NOTICE, "Notice"},
    {TX_BOX_REGISTER_FAILED, "Could not register for Raw Input."},
    {TX_BOX_ERROR, "Error"},
    {TX_BOX_CLASS_FAILED, "Could not register the window class."},
    {TX_BOX_WINDOW_FAILED, "Could not create the window."},
    {TX_PANEL_STOPPED, "○ Stopped"},
    {TX_PANEL_BACKGROUND_THROTTLED, "● Measuring (in the background: Windows limits it to about %.0f Hz)"},
    {TX_PANEL_BACKGROUND, "● Measuring (in the background)"},
    {TX_PANEL_MOVE_MOUSE, "● Measuring — move the mouse"},
    {TX_PANEL_MEASURING, "● Measuring"},
    {TX_PANEL_ACTIVE, "Active device: %ls  [figures locked to this device]"},
    {TX_PANEL_ACTIVE_NONE, "Active device: (move a mouse to identify it)"},
    {TX_PANEL_AVERAGE, "Average rate    : %8.1f Hz"},
    {TX_PANEL_LOWEST, "Lowest instant  : %8.1f Hz   (the longest interval decides stutter)"},
    {TX_PANEL_HIGHEST, "Highest instant : %8.1f Hz"},
    {TX_PANEL_LAST_SECOND, "Last second low : %8.1f Hz"},
    {TX_PANEL_REPORTS, "Reports         : %llu    time: %.1f s"},
    {TX_PANEL_COALESCED, "Coalesced deliveries (left out): %llu"},
    {TX_PANEL_HISTOGRAM, "Histogram of intervals"},
    {TX_PANEL_LEGEND, "Green/gold = smooth   orange = fair   red = stutters  |  1K = competitive   2K = pro   >4K = elite"},
    {TX_PANEL_CLOCK, "Report clock %.1f Hz · filled %.1f %%"},
    {TX_PANEL_CLOCK_PENDING, "Report clock …"},
    {TX_PANEL_MEDIAN, "Median rate %ls"},
    {TX_PANEL_NO_CLOCK, " (no report clock: %ls)"},
    {TX_PANEL_NO_CLOCK_FEW, "fewer than 1000 reports"},
    {TX_PANEL_NO_CLOCK_PERIOD, "the times follow no fixed period"},
    {TX_PANEL_NO_CLOCK_MEMORY, "no memory left"},

    // --- plot window and saved pictures ---

    // --- mouse names and choosing a mouse ---

};
const size_t kEnglishTextCount = sizeof kEnglishTexts / sizeof kEnglishTexts[0];
