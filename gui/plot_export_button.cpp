// The export button's side in the live plot window: it asks where, starts
// the export's thread (gui/plot_export), shows its progress and says how it
// ended, in the live window's status line and, for a failure, in a box.
#include "gui/plot_export_button.h"

#include <commctrl.h>
#include <string.h>
#include <wchar.h>

#include "engine/reception.h"
#include "gui/plot_export.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"

// While an export runs its button cancels it and the bar shows how far it got.
static void show_exporting(HWND plot, bool on) {
    SetDlgItemTextW(plot, ID_PLOT_EXPORT, on ? L"取消导出" : L"导出 CSV");
    HWND bar = GetDlgItem(plot, ID_PLOT_PROGRESS);
    SendMessageW(bar, PBM_SETPOS, 0, 0);
    ShowWindow(bar, on ? SW_SHOW : SW_HIDE);
}

static void say_failed(PlotWin* live, HWND owner, const wchar_t* path, const wchar_t* reason) {
    wchar_t text[MAX_PATH + 160];
    swprintf(text, MAX_PATH + 160, L"导出失败：%ls", path);
    plot_set_status(live, text);
    message_box(owner, reason, L"错误", MB_OK | MB_ICONERROR);
}

static void say_write_failed(PlotWin* live, HWND owner, const wchar_t* path, int error) {
    wchar_t text[MAX_PATH + 160];
    swprintf(text, MAX_PATH + 160, L"无法写入 CSV 文件：\n%ls\n\n%hs", path, strerror(error));
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
        plot_set_status(live, L"报告太少：至少要有 2 个有效间隔才能导出 CSV。");
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
    swprintf(text, MAX_PATH + 160, L"正在导出：%ls", path);
    plot_set_status(live, text);
    return true;
}

LRESULT plot_export_on_end(PlotWin* live, HWND hwnd) {
    const PlotExportResult r = plot_export_join();
    show_exporting(hwnd, false);
    wchar_t text[MAX_PATH + 160];
    switch (r.end) {
    case PLOT_EXPORT_WRITTEN:
        swprintf(text, MAX_PATH + 160, L"已导出 %lld 行：%ls", r.rows, r.path);
        plot_set_status(live, text);
        break;
    case PLOT_EXPORT_CANCELLED:
        plot_set_status(live, L"已取消导出");
        break;
    case PLOT_EXPORT_LOST:
        swprintf(text, MAX_PATH + 160,
                 L"无法导出 CSV 文件：\n%ls\n\n导出时数据被清除，或日志已覆盖尚未写出的报告；没有写出文件。",
                 r.path);
        say_failed(live, hwnd, r.path, text);
        break;
    case PLOT_EXPORT_FAILED:
        say_write_failed(live, hwnd, r.path, r.error);
        break;
    }
    return 0;
}

