// The English texts. Keep each group where texts.h has it, and a format's
// conversions (%d, %.1f, %ls ...) the same as in texts_zh.cpp.
#include "core/views/texts.h"

const TextRow kEnglishTexts[] = {
    // --- start-up and the command line ---
    {TX_LANG_REFUSED, "--lang takes en or zh, not '%ls'."},

    // --- console and offline reports ---

    // --- capture headline and diagnostic ---
    {TX_CAP_SECONDS, "%.1f s"},
    {TX_CAP_THREE_SECONDS, "3 s"},
    {TX_CAP_HEAD,
     "USBPcap diagnostic result (USB host controller layer, %ls)\n"
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
    {TX_CAP_WHY_QUALIFIER,
     "  (device %ls answered a device-qualifier request: high speed, so bInterval counts 125 us "
     "microframes)\n"},
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
    {TX_PCAP_NO_USBPCAP, "%ls has no USBPcap interface (link type 249); capture with USBPcap."},
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
    {TX_CMP_CSV_LINE, "%ls:%llu: %hs; give the CSV of a -c run as it was written."},
    {TX_CMP_CSV_UNUSABLE, "%ls cannot be compared: %hs; give the CSV of a -c run."},
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

    // --- main window, about box, message boxes ---

    // --- plot window and saved pictures ---

    // --- mouse names and choosing a mouse ---

};
const size_t kEnglishTextCount = sizeof kEnglishTexts / sizeof kEnglishTexts[0];
