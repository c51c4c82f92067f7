// The export button's side in the live plot window: it asks where, starts
// the export's thread (gui/plot_export), shows its progress and says how it
// ended, in the live window's status line and, for a failure, in a box.
#include "gui/plot_export_button.h"

#include <commctrl.h>
#include <string.h>
#include <wchar.h>

#include "core/views/texts.h"
#include "engine/reception.h"
#include "gui/plot_export.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"

// While an export runs its button cancels it and the bar shows how far it got.
static void show_exporting(HWND plot, bool on) {
    SetDlgItemTextW(plot, ID_PLOT_EXPORT, txw(on ? TX_PLOT_CANCEL_EXPORT : TX_PLOT_EXPORT_BUTTON));
    HWND bar = GetDlgItem(plot, ID_PLOT_PROGRESS);
    SendMessageW(bar, PBM_SETPOS, 0, 0);
    ShowWindow(bar, on ? SW_SHOW : SW_HIDE);
}

static void say_failed(PlotWin* live, HWND owner, const wchar_t* path, const wchar_t* reason) {
    wchar_t text[MAX_PATH + 160];
    swprintf(text, MAX_PATH + 160, txw(TX_PLOT_EXPORT_FAILED), path);
    plot_set_status(live, text);
    message_box(owner, reason, txw(TX_PLOT_ERROR), MB_OK | MB_ICONERROR);
}

static void say_write_failed(PlotWin* live, HWND owner, const wchar_t* path, int error) {
    wchar_t text[MAX_PATH + 160];
    swprintf(text, MAX_PATH + 160, txw(TX_PLOT_CSV_WRITE_FAILED), path, strerror(error));
    say_failed(live, owner, path, text);
}

bool plot_export_button(PlotWin* live, HWND plot) {
    if (plot_export_running()) {
        plot_export_cancel();  // its end comes as a message
        return true;
    }
    Run* run = live->run;
    if (!run)
        return true;  // the live plot never opened: no run to export
    StatsSnapshot all;
    stats_take_snapshot(&run->records[0], &all);
    if (all.interval_count < 2) {
        plot_set_status(live, txw(TX_PLOT_TOO_FEW));
        return true;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t name[64], path[MAX_PATH], text[MAX_PATH + 160];
    swprintf(name, 64, L"quorvin-%04u%02u%02u-%02u%02u%02u.csv", now.wYear, now.wMonth, now.wDay,
             now.wHour, now.wMinute, now.wSecond);
    if (!file_dialog_save(plot, name, L"CSV (*.csv)\0*.csv\0\0", L"csv", path, MAX_PATH))
        return true;  // cancelled: nothing to do
    if (!IsWindow(plot))
        return true;  // closed with the main window while the dialog was up
    reception_sample_clock(run);  // the map reaches the last report; the export takes a copy
    int error = 0;
    if (!plot_export_start(plot, &run->log, path, run->freq, &run->clock_map, &error)) {
        say_write_failed(live, plot, path, error);
        return false;
    }
    show_exporting(plot, true);
    swprintf(text, MAX_PATH + 160, txw(TX_PLOT_EXPORTING), path);
    plot_set_status(live, text);
    return true;
}

LRESULT plot_export_on_end(PlotWin* live, HWND hwnd) {
    const PlotExportResult r = plot_export_join();
    show_exporting(hwnd, false);
    wchar_t text[MAX_PATH + 160];
    switch (r.end) {
    case PLOT_EXPORT_WRITTEN:
        swprintf(text, MAX_PATH + 160, txw(TX_PLOT_EXPORTED), r.rows, r.path);
        plot_set_status(live, text);
        break;
    case PLOT_EXPORT_CANCELLED:
        plot_set_status(live, txw(TX_PLOT_EXPORT_CANCELLED));
        break;
    case PLOT_EXPORT_LOST:
        swprintf(text, MAX_PATH + 160, txw(TX_PLOT_EXPORT_LOST), r.path);
        say_failed(live, hwnd, r.path, text);
        break;
    case PLOT_EXPORT_FAILED:
        say_write_failed(live, hwnd, r.path, r.error);
        break;
    }
    return 0;
}

