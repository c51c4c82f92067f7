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
     "  --pcap FILE                      analyse a saved USBPcap or usbmon capture (pcap, pcapng)\n"
     "  --csv FILE                       after -c or --pcap: also write every report to FILE\n"
     "  --json FILE                      after -c, --pcap, --compare, --analyze or --ab: also\n"
     "                                   write the figures to FILE as JSON\n"
     "  --usb, --usb-save FILE           after -c: also capture USB (USBPcap, administrator) and\n"
     "                                   compare it with what Windows delivered; FILE: the pcap\n"
     "  --compare CAPTURE CSV [ENDPOINT] compare a USBPcap or usbmon capture with a -c run's CSV\n"
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
     "the USB capture %.500ls is incomplete: it holds %llu records (%llu bytes)%ls."},
    {TX_HUB_KEPT_NONE, "; %ls kept none of its records (%s)"},
    {TX_HUB_KEPT_UNTIL, "; %ls kept its records up to %.3f s, later ones were dropped (%s)"},
    {TX_HUB_OUT_OF_MEMORY, "out of memory"},
    {TX_HUB_MIB, "%llu MiB per hub"},
    {TX_HUB_BYTES, "%llu bytes per hub"},
    {TX_USB_HUB_STOPPED, "%ls stopped during the run (%ls); the capture lacks its later reports."},
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
    {TX_CSV_ERROR_AT, "%ls:%llu: %ls; give the CSV of a -c run as it was written."},
    {TX_CSV_UNREADABLE, "%ls cannot be analysed: %ls; give the CSV of a -c run."},
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
    {TX_CAP_SECONDS, "%.1f s"},
    {TX_CAP_THREE_SECONDS, "3 s"},
    {TX_CAP_TITLE, "USBPcap diagnostic result (USB host controller layer, %ls)\n"},
    {TX_CAP_SUMMARY,
     "\n"
     "Data summary:\n"
     "  Total packets     : %llu\n"
     "  Bulk/interrupt    : %llu\n"
     "  Control transfers : %llu\n"
     "  Valid IN gaps     : %llu\n"
     "\n"
     "Report rate (interrupt-IN only, 100 us to 50 ms):\n"},
    {TX_CAP_MOUSE, "  Mouse endpoint    : %ls (%llu reports)\n"},
    {TX_CAP_MOUSE_CHOSEN, "  Mouse endpoint    : %ls (%llu reports, the chosen mouse %04X:%04X)\n"},
    {TX_CAP_NO_MOUSE, "  Mouse endpoint    : none (no interrupt-IN endpoint carried data)\n"},
    {TX_CAP_RATES,
     "  Average delivery  : %7.1f Hz\n"
     "  Lowest instant    : %7.1f Hz\n"},
    {TX_CAP_NO_FIGURES, "  (no memory for this endpoint's figures)\n"},
    {TX_CAP_COARSE_CLOCK,
     "  ⚠ The capture stamps in steps of about %ls ms: these figures are limited by its clock.\n"},
    {TX_CAP_OTHERS, "  Not in these figures (endpoint and reports): "},
    {TX_CAP_OTHER_BULK, "%ls (bulk %llu)"},
    {TX_CAP_SEPARATOR, ", "},
    {TX_CAP_MORE, " and %d more"},
    {TX_CAP_NO_BINTERVAL,
     "\n"
     "\n"
     "No interrupt endpoint's bInterval was found in the control transfers\n"
     "  (its descriptors are only seen when the device enumerates during the capture)\n"},
    {TX_CAP_NO_MOUSE_BINTERVAL,
     "\n"
     "\n"
     "The bInterval of endpoint %ls was not found in the control transfers\n"
     "  (its descriptors are only seen when the device enumerates during the capture)\n"},
    {TX_CAP_BINTERVAL,
     "\n"
     "\n"
     "Interrupt endpoint bInterval = %d\n"},
    {TX_CAP_LIMIT, "  → this endpoint's theoretical limit is about %.0f Hz\n"},
    {TX_CAP_LIMIT_BOTH,
     "  → this endpoint's theoretical limit depends on the device's speed: about %ls Hz at full "
     "speed, %ls Hz at high speed\n"},
    {TX_CAP_LIMIT_FULL_ONLY,
     "  → this endpoint's theoretical limit is about %ls Hz at full speed (this bInterval is not "
     "valid at high speed)\n"},
    {TX_CAP_NOT_VALID,
     "  → a bInterval of %d is not valid for an interrupt endpoint at this speed\n"},
    {TX_CAP_WHY_BCD_USB,
     "  (device %ls has bcdUSB %x.%02x, below 2.0: not high speed, so bInterval counts 1 ms "
     "frames)\n"},
    {TX_CAP_WHY_MAX_PACKET0,
     "  (device %ls has bMaxPacketSize0 %d, below 64: not high speed, so bInterval counts 1 ms "
     "frames)\n"},
    {TX_CAP_WHY_ENDPOINT_SIZE,
     "  (device %ls has an interrupt endpoint of wMaxPacketSize %d, above full speed's 64: high "
     "speed, so bInterval counts 125 us microframes)\n"},
    {TX_CAP_EIGHT_K,
     "  √ The endpoint allows 8K; if the real rate is still low, check the settings and the "
     "driver.\n"},
    {TX_CAP_TWO_K,
     "  ⚠ If you set 8K but the limit is 2000 Hz or less, the receiver's USB side is limited to "
     "2K.\n"},
    {TX_CAP_EIGHT_K_DEPENDS,
     "  ? Whether the endpoint allows 8K depends on the device's speed, which the capture does "
     "not show: 8000 Hz at high speed, 1000 Hz at full speed.\n"},
    {TX_CAP_NO_EIGHT_K,
     "  ⚠ Not a high-speed device: the endpoint's limit is 1000 Hz, so 8K is out of reach.\n"},
    {TX_CAP_NO_DIRECTION,
     "\n"
     "Hint: no direction info byte was read; if the figures look wrong, the direction may have "
     "been misjudged.\n"},
    {TX_CAP_NO_VALID_IN,
     "\n"
     "⚠ No valid interrupt-IN transfers were captured.\n"
     "Possible causes: the mouse was not moved during the measurement, or USBPcap did not capture "
     "its data.\n"},
    {TX_PCAP_BULK_NOTE,
     "\n"
     "Note: the summary counts %llu bulk or isochronous transfers from devices as interrupt-IN "
     "deliveries. They are not mouse reports; bulk endpoints that carried data are marked bulk "
     "below.\n"},
    {TX_PCAP_ENDPOINTS,
     "\n"
     "Interrupt-IN and bulk-IN endpoints (bus.device.endpoint):\n"},
    {TX_PCAP_NO_ENDPOINTS, "  (none)\n"},
    {TX_PCAP_IGNORED_TAIL,
     "\n"
     "Ignored %llu bytes at the end of the file (an incomplete, impossible or oversized record "
     "and what follows it).\n"},
    {TX_PCAP_READ_ERROR, "cannot read %ls; check the drive and try again."},
    {TX_PCAP_EMPTY, "%ls is empty; give a capture saved by USBPcapCMD or Wireshark."},
    {TX_PCAP_NOT_PCAP,
     "%ls is not a pcap or pcapng file (it starts with %ls); give a capture saved by USBPcapCMD "
     "or Wireshark."},
    {TX_PCAP_NO_USBPCAP, "%ls has no USB interface (USBPcap: link type 249; usbmon: 220 or 189); capture with USBPcap on Windows or usbmon on Linux."},
    {TX_PCAP_NO_COMPLETE_PACKET,
     "%ls holds no complete USBPcap packet (%llu bytes ignored); capture for longer."},
    {TX_PCAP_NO_PACKETS, "%ls holds no USBPcap packets; capture for longer."},
    {TX_PCAP_NO_MEMORY, "out of memory for the report; close other programs and try again."},
    {TX_DIAG_CAPTION, "USBPcap diagnostic"},
    {TX_DIAG_STEP1_CAPTION, "USBPcap diagnostic — step 1 failed"},
    {TX_DIAG_STEP2_CAPTION, "USBPcap diagnostic — step 2 failed"},
    {TX_DIAG_STEP3_CAPTION, "USBPcap diagnostic — step 3 failed"},
    {TX_DIAG_STEP4_CAPTION, "USBPcap diagnostic — step 4 failed"},
    {TX_DIAG_READ_CAPTION, "USBPcap diagnostic — read failed"},
    {TX_DIAG_MISMATCH_CAPTION, "USBPcap diagnostic — version mismatch"},
    {TX_DIAG_RESULT_CAPTION, "USBPcap diagnostic — result"},
    {TX_DIAG_DOWNLOAD,
     "\n"
     "\n"
     "Download: https://github.com/desowin/usbpcap/releases\n"
     "(install USBPcapSetup-1.5.4.0.exe, then restart the computer)"},
    {TX_DIAG_STEP1,
     "[Step 1/4] RegOpenKeyEx failed (err=%lu)\n"
     "\n"
     "Possible causes:\n"
     "1) The USBPcap driver is not installed — download and install it from this address%ls\n"
     "2) The computer was not restarted after installing\n"
     "3) Antivirus software blocked the driver (check Windows Security)\n"
     "4) The system is not supported (USBPcap has no ARM64 version yet)"},
    {TX_DIAG_STEP2_NONE,
     "%ls[Step 2/4] Listing the USBPcap instances failed (err=259 ERROR_NO_MORE_ITEMS)\n"
     "\n"
     "The USBPcap driver is installed but attached to no USB host controller.\n"
     "\n"
     "Try these in order:\n"
     "1) Restart the computer (fixes it most often)\n"
     "2) Run this program as administrator (right-click → Run as administrator)\n"
     "3) Open Device Manager → System devices → double-click USBPcap → disable it, then enable "
     "it\n"
     "4) Uninstall it, then install the latest version%ls\n"
     "5) Check whether this is an ARM64 system (USBPcap may not support it)"},
    {TX_DIAG_STEP2,
     "%ls[Step 2/4] QueryDosDevice failed (err=%lu)\n"
     "\n"
     "Possible causes:\n"
     "1) The USBPcap service is not running (look for USBPcap Filter Driver in the list of "
     "services)\n"
     "2) The program needs administrator rights\n"
     "3) Suggestion: restart the computer and try again%ls"},
    {TX_DIAG_STEP3,
     "%ls[Step 3/4] Getting the device path failed (err=%lu)\n"
     "\n"
     "This should not happen; if it keeps happening, reinstall USBPcap.%ls"},
    {TX_DIAG_STEP4,
     "%ls[Step 4/4] %ls could not open the USBPcap device (err=%lu)\n"
     "\n"
     "Path: %ls\n"
     "\n"
     "Possible causes:\n"
     "1) **Not run as administrator** (right-click the exe → Run as administrator) ← the most "
     "common!\n"
     "2) The USBPcap service is not running%ls"},
    {TX_DIAG_NO_HEADER,
     "%lsCannot read the USBPcap global header.\n"
     "\n"
     "The device opened but returned no data — the USBPcap service may still be starting; wait 2 "
     "to 3 seconds and try again."},
    {TX_DIAG_BIG_ENDIAN,
     "%lsThe USBPcap global header is big-endian (first bytes %02X %02X %02X %02X)\n"
     "\n"
     "USBPcap writes its stream little-endian on Windows; this program does not read a big-endian "
     "stream as a little-endian one.\n"
     "This usually means an incompatible USBPcap version.\n"
     "Version tested: USBPcap 1.5.x\n"
     "If you use a newer or older version, download the latest one from this address%ls"},
    {TX_DIAG_MISMATCH,
     "%lsThe USBPcap global header's magic does not match (0x%08X)\n"
     "\n"
     "This usually means an incompatible USBPcap version.\n"
     "Version tested: USBPcap 1.5.x\n"
     "If you use a newer or older version, download the latest one from this address%ls"},
    {TX_DIAG_STEP1_DONE, "[√] Step 1: found the USBPcap device class\n"},
    {TX_DIAG_STEP2_DONE, "[√] Step 2: listed the USBPcap instances\n"},
    {TX_DIAG_STEP3_DONE, "[√] Step 3: got the device paths\n"},
    {TX_DIAG_STEP4_DONE,
     "[√] Step 4: opened the USBPcap devices\n"
     "\n"},
    {TX_DIAG_NO_MEMORY, "Out of memory."},
    {TX_USB_NO_DRIVER,
     "%s needs the USBPcap capture driver, which is not installed (error %lu). Install it from "
     "https://github.com/desowin/usbpcap/releases and restart Windows."},
    {TX_USB_NOT_ELEVATED,
     "%s needs administrator rights to open the USBPcap devices. Run the terminal as "
     "administrator and try again."},
    {TX_USB_LIST_FAILED,
     "%s could not list the USBPcap devices (error %lu); restart Windows and try again."},
    {TX_USB_NO_HUBS, "%s found no USBPcap device: restart Windows after installing the driver."},
    {TX_USB_NO_MEMORY, "out of memory for %s; close other programs and try again."},
    {TX_USB_OPEN_FAILED,
     "%s could not open any USBPcap device (%ls error %lu). Run the terminal as administrator."},
    {TX_USB_LOST_NO_MEMORY, "out of memory"},
    {TX_USB_LOST_CORRUPT, "it sent a record larger than USBPcap writes"},
    {TX_USB_LOST_READS, "its reads kept failing"},
    {TX_USB_LOST_NEXT_READ, "its next read could not be started"},
    {TX_USB_LOST_WAIT, "the wait for its reads failed"},
    {TX_CMP_NEEDS_FILES, "--compare needs a capture file and a -c run's CSV file."},
    {TX_CMP_NO_MEMORY_CAPTURE,
     "out of memory for the capture; close other programs and try again."},
    {TX_CMP_NO_MEMORY, "out of memory for the comparison; close other programs and try again."},
    {TX_CMP_CSV_LINE, "%ls:%llu: %ls; give the CSV of a -c run as it was written."},
    {TX_CMP_CSV_UNUSABLE, "%ls cannot be compared: %ls; give the CSV of a -c run."},
    {TX_CMP_CSV_EMPTY, "%ls holds no reports; give the CSV of a -c run that measured."},
    {TX_CMP_NO_SLOT_ROWS,
     "%ls has no rows of slot %d (its rows are of slot %hs); give one of those to --slot."},
    {TX_CMP_NO_OVERLAP,
     "%ls and %ls do not overlap in time: the CSV runs from %ls to %ls, %ls from %ls to %ls. "
     "Compare a run and a capture taken at the same time."},
    {TX_CMP_THE_CAPTURE, "the capture"},
    {TX_CMP_ENDPOINT, "endpoint %hs"},
    {TX_CMP_NONE, "none"},
    {TX_CMP_NO_MATCH,
     "no endpoint of the capture matches the program's reports (none has a report in the 2 ms "
     "before any of them); name one, or check --slot."},
    {TX_CMP_BAD_ENDPOINT,
     "%.100ls is not an endpoint like 1.3.0x81; the capture's interrupt-IN endpoints: %ls."},
    {TX_CMP_EMPTY_ENDPOINT,
     "endpoint %.100ls has no interrupt-IN reports in the capture; its interrupt-IN endpoints: "
     "%ls."},
    {TX_CMP_USB_BOUND,
     "USB layer: the capture holds more interrupt-IN reports than the comparison keeps; later "
     "ones were not compared.\n"},
    {TX_CMP_CSV_BOUND,
     "Program layer: the CSV holds more reports than the comparison keeps; later ones were not "
     "compared.\n"},
    {TX_LAYER_COARSE,
     "The capture's clock is too coarse for delays: over %d%% of its gaps are exactly 0 (an old "
     "USBPcap driver stamps in steps of about 15.6 ms).\n"},
    {TX_LAYER_MOUSE_CLOCK, "The mouse's clock is %.0f us (%.0f Hz)"},
    {TX_LAYER_MOUSE_SENT, "The mouse sent %s%.0f Hz"},
    {TX_LAYER_ABOUT, "about "},
    {TX_LAYER_TOO_FEW, "Too few reports in the common span to compare the two layers.\n"},
    {TX_LAYER_BURSTS,
     ", but Windows delivered in bursts of %.0f: it merged %.0f of every %.0f reports into one "
     "delivery, as its background throttle does.\n"},
    {TX_LAYER_NOT_BEHIND,
     "The program received %llu reports with no new USB report behind them: they did not come "
     "from this endpoint, or the capture missed some.\n"},
    {TX_LAYER_SOME_MERGED,
     "; Windows delivered most reports one by one but merged %llu into other deliveries.\n"},
    {TX_LAYER_ONE_BY_ONE, " and Windows delivered every report one by one.\n"},
    {TX_LAYER_ONE_BY_ONE_LATER,
     " and Windows delivered every report one by one, about %.1f ms later.\n"},
    {TX_CAP_MOUSE_GAPS, "  Valid gaps        : %llu\n"},

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
    {TX_CLOCK_LATE_READS, "reads came up to %d periods late, too late to place reports on one lattice"},
    {TX_CLOCK_LATE_READ_ONE, "reads came up to 1 period late, too late to place reports on one lattice"},

    // --- leftovers found later ---
    {TX_CSV_CR_INSIDE, "a carriage return in the middle of a line"},
    {TX_CSV_AFTER_QUOTE, "text after a quoted field's closing quote"},
    {TX_CSV_LINE_TOO_LONG, "the line is longer than %d bytes"},
    {TX_CSV_QUOTE_OPEN, "a quoted field that starts here is not closed"},
    {TX_CSV_EMPTY, "it is empty"},
    {TX_CSV_READ_FAILED, "it cannot be read"},
    {TX_CSV_NO_MEMORY, "there is no memory to read it into"},
    {TX_CSV_OUT_OF_MEMORY, "out of memory"},
    {TX_CSV_NO_T_US, "it has no t_us column (write one with -c ... --csv)"},
    {TX_CSV_NO_UTC_US, "it has no utc_us column (write one with -c ... --csv)"},
    {TX_CSV_NO_SLOT_COLUMN, "it has no slot column to choose slot %d by"},
    {TX_CSV_ROW_SHORT, "the row ends before its %s field (field %d)"},
    {TX_CSV_NOT_WHOLE, "%s is \"%s\", not a whole number from %lld to %lld"},
    {TX_CSV_BAD_CLASS, "class is \"%s\", not first, accepted, coalesced or pause"},
    {TX_CSV_BAD_TIME, "t_us is \"%s\", not a time in microseconds"},
    {TX_CSV_TIME_BACKWARDS, "t_us is %s, before the row above's"},
    {TX_CSV_UTC_EMPTY, "utc_us is empty"},
    {TX_CSV_UTC_NOT_WHOLE, "utc_us is \"%s\", not a whole number of microseconds"},
    {TX_CSV_SLOT_RANGE, "slot is \"%s\", not a slot number from 0 to %d"},
    {TX_THROTTLE_ABSENT, "absent"},

    // --- buttons and wheel ---
    {TX_BUTTON_LEFT, "left button"},
    {TX_BUTTON_RIGHT, "right button"},
    {TX_BUTTON_MIDDLE, "middle button"},
    {TX_BUTTON_BACK, "back button"},
    {TX_BUTTON_FORWARD, "forward button"},
    {TX_WHEEL_VERTICAL, "wheel"},
    {TX_WHEEL_HORIZONTAL, "horizontal wheel"},
    {TX_HINT_CHATTER,
     "the %s chattered: %llu of its %llu presses came less than %.1f ms after its release "
     "(the shortest gap %.1f ms). A switch that bounces like this double-clicks by itself."},
    {TX_HINT_WHEEL_REVERSALS,
     "%.1f%% of the %s's notches (%llu of %llu) went against the scroll, each a lone notch "
     "between notches the other way: a worn or dirty wheel jumps back like this."},
    {TX_CHATTER_MS_REFUSED,
     "--chatter-ms takes milliseconds from 0.5 to 100 (like --chatter-ms 10), not '%ls'."},
    {TX_CHATTER_MS_ONLY, "--chatter-ms works only with -c and --analyze, not with %ls."},
    {TX_USAGE_CHATTER,
     "  --chatter-ms N                   after -c or --analyze: count a press less than N ms\n"
     "                                   after its button's release as chatter (default 10)\n"},

    // --- buttons in the window and the plot ---
    {TX_PLOT_VIEW_BUTTONS, "Buttons"},
    {TX_BUTTON_SHORT_LEFT, "Left"},
    {TX_BUTTON_SHORT_RIGHT, "Right"},
    {TX_BUTTON_SHORT_MIDDLE, "Middle"},
    {TX_BUTTON_SHORT_BACK, "Back"},
    {TX_BUTTON_SHORT_FORWARD, "Forward"},
    {TX_WHEEL_SHORT, "Wheel"},
    {TX_HWHEEL_SHORT, "H-wheel"},
    {TX_PANEL_BUTTON_PRESSES, "%ls %llu presses"},
    {TX_PANEL_BUTTON_ONE_PRESS, "%ls 1 press"},
    {TX_PANEL_BUTTON_CHATTER, " · chatter %llu"},
    {TX_PANEL_WHEEL_NOTCHES, "%ls %llu notches"},
    {TX_PANEL_WHEEL_ONE_NOTCH, "%ls 1 notch"},
    {TX_PANEL_WHEEL_REVERSALS, " · reversals %llu"},
    {TX_PLOT_LEGEND_HELD, "Held, press to release"},
    {TX_PLOT_LEGEND_CHATTER, "Chatter: pressed again under %g ms after release"},
    {TX_PLOT_LEGEND_NOTCHES, "Wheel notches, up and down"},
    {TX_PLOT_LEGEND_REVERSAL, "Reversal: a lone notch against the scroll"},
    {TX_PLOT_NOTE_PRESS, "No presses yet: click the mouse's buttons or turn its wheel"},
    {TX_PLOT_NOTE_NO_PRESSES, "No button was pressed and no wheel turned"},

    // --- usbmon captures ---
    {TX_USBMON_TITLE, "usbmon (Linux) diagnostic result (USB host controller layer, %ls)\n"},
    {TX_USBMON_NO_VALID_IN,
     "\n"
     "⚠ No valid interrupt-IN transfers were captured.\n"
     "Possible causes: the mouse was not moved during the measurement, or usbmon did not capture "
     "its data.\n"},
    {TX_USBMON_NO_COMPLETE_PACKET,
     "%ls holds no complete usbmon packet (%llu bytes ignored); capture for longer."},
    {TX_USBMON_NO_PACKETS, "%ls holds no usbmon packets; capture for longer."},
    {TX_USBMON_CLOCKS_APART,
     "The capture is a Linux host's (usbmon) and does not overlap the run in time: the two clocks "
     "are not the same, so the figures stand side by side, not matched report by report.\n"},

    {TX_USBMON_UNUSABLE,
     "\n"
     "%llu of the %llu usbmon records could not be read (shorter than their header, cut short, "
     "or of an unknown type) and are in no figure; a capture cut to a small snap length keeps "
     "too little of each record.\n"},

    // --- the native offline program ---
    {TX_NEEDS_WINDOWS,
     "%ls measures mice through Windows and needs it; this build runs only --pcap, --compare,"
     " --analyze and --ab."},

    // --- layers: reads of several reports ---
    {TX_LAYER_READS_LATER,
     " and the program read %s reports at a time, about %.1f ms later; none was lost or "
     "merged.\n"},
    {TX_LAYER_READS, " and the program read %s reports at a time; none was lost or merged.\n"},
    {TX_LAYER_READS_MERGED,
     " and the program read %s reports at a time, but Windows merged %llu into other reports.\n"},

    // --- clock map, JSON and package ---
};
const size_t kEnglishTextCount = sizeof kEnglishTexts / sizeof kEnglishTexts[0];
