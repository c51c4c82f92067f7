// One plot window's state and the ids of its controls: what the window's own
// files (gui/plot_window, plot_paint, plot_interaction, plot_export_button)
// share with a saved run's (gui/plot_saved) and with the picture's
// (gui/plot_image). It sits below all of them, so none needs another's header.
#pragma once

#include <windows.h>

#include "core/views/plot_model.h"
#include "core/runs/run.h"
#include "gui/panel.h"

enum {
    ID_PLOT_EXPORT = 101,    // 导出 CSV; 取消导出 while an export runs
    ID_PLOT_PROGRESS = 102,
    ID_PLOT_VIEW = 103,      // 间隔, then 计数, 速度 and 按键: ID_PLOT_VIEW + a PlotKind
    ID_PLOT_OPEN = 110,      // 打开 CSV
    ID_PLOT_IMAGE = 111,     // 保存图片
    PLOT_CLIENT_WIDTH = 1080,  // at 96 DPI
    PLOT_CLIENT_HEIGHT = 480,
    PLOT_STATUS_CHARS = MAX_PATH + 80,
};

// The visible time range: the whole run, or seconds since the record's first
// report; the y axis: from what is shown, or the user's (in the view's unit);
// and what is shown (a PlotKind). Every view shares the time range.
struct PlotView {
    bool whole;
    double t0_s, t1_s;
    bool y_fixed;
    double y_lo_ms, y_hi_ms;
    int kind;
};

// The plot's drawing area inside a window's client.
struct PlotArea {
    int left, top, right, bottom;
};

struct PlotBuilder;
struct SavedRun;

// One plot window: the live run's, or a saved run's. The live one's view,
// status and builder are gui/plot_window's own, a saved run's its SavedRun's.
struct PlotWin {
    HWND hwnd;
    PlotView* view;
    wchar_t* status;  // PLOT_STATUS_CHARS
    PlotBuilder* builder;
    Run* run;         // what it shows: the main window's run, or the saved run read back
    ArrivalLog* log;  // the run's
    SavedRun* saved;  // null: the live run's window
    UINT dpi;
    PanelFont font;   // the window's own, at its DPI: painting and the buttons
    int drag_x;       // -1: no drag
    PlotView drag_view;
    struct {          // what the last paint showed, for zooming and panning from it
        bool any;     // false before the first model
        PlotAxis axis;
        int kind;
        double span_s;
    } shown;
    // Where the last paint of the window put the plot: the header and the
    // foot take as many lines as their words need at its width.
    PlotArea area;
    bool area_known;
    PlotRequest asked;  // the newest request
    bool asked_any;
    unsigned awaited;   // the generation of the newest new look, which a paint waits for
};

// Sets w's status line and repaints.
void plot_set_status(PlotWin* w, const wchar_t* text);
