// The plot: every report of the displayed record over time, in one of three
// views chosen with buttons at the top left: its interval against a linear
// millisecond axis, with the slow-end P99, median and fast-end P1 lines; its
// dx and dy; or its speed in counts per second. A legend of each view's
// colours, zoom (wheel; Shift+wheel for
// the interval axis), pan (drag), the whole run again (double-click) and a CSV
// export on a thread of its own, with a progress bar, that can be cancelled
// and ends with a status line. The window's thread never walks the log: the
// plot's builder thread makes the models it paints. "打开 CSV" shows a saved
// run in a window of its own (gui/plot_saved), "保存图片" the picture as PNG.
#pragma once

#include <windows.h>

#include "core/plot_model.h"
#include "core/run.h"
#include "gui/panel.h"
#include "gui/plot_builder.h"

enum {
    ID_PLOT_EXPORT = 101,    // 导出 CSV; 取消导出 while an export runs
    ID_PLOT_PROGRESS = 102,
    ID_PLOT_VIEW = 103,      // 间隔, then 计数 and 速度: ID_PLOT_VIEW + a PlotKind
    ID_PLOT_OPEN = 110,      // 打开 CSV
    ID_PLOT_IMAGE = 111,     // 保存图片
    PLOT_CLIENT_WIDTH = 1080,  // at 96 DPI
    PLOT_CLIENT_HEIGHT = 480,
    PLOT_STATUS_CHARS = MAX_PATH + 80,
};

// The plot's drawing area inside a client of width x height at 96 DPI.
struct PlotArea {
    int left, top, right, bottom;
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

struct SavedRun;

// One plot window: the live run's, or a saved run's. The live one's view and
// status are g_plot_view and g_plot_status.
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
    PlotRequest asked;  // the newest request
    bool asked_any;
    unsigned awaited;   // the generation of the newest new look, which a paint waits for
};

extern HWND g_hPlot;
extern PlotView g_plot_view;
// What the last export came to, drawn at the foot of the plot; empty before one.
extern wchar_t g_plot_status[];

PlotArea plot_area(int width, int height, UINT dpi);
// The left edge of the leftmost of n buttons at the top right of a client
// width wide; the summary line ends before it.
int plot_buttons_left(int width, UINT dpi, int n);
// Builds the model on the calling thread and paints the plot of run's record
// slot (0: all mice) for view, in font (made at dpi): one whole picture at once,
// for the tests and the benchmark. The window paints its builder's models.
void plot_draw(HDC dc, int width, int height, UINT dpi, const PanelFont* font, Run* run, int slot,
               const PlotView* view);

// Opens the plot window of run (the main window's) owned by owner, or brings
// it to the front.
void plot_open(HWND owner, Run* run);
// Asks for a new picture while measuring, or when the run stopped or was
// cleared (the main window's 100 ms timer).
void plot_refresh(void);
// The export button: asks where to save and starts writing the arrival log
// as CSV on the export's thread, whose end (posted to plot, the plot window)
// says in g_plot_status where and how many rows, or that it failed (with an
// error box) or was cancelled. With fewer than 2 accepted intervals it says
// so there and asks nothing. While an export runs it cancels it. False after
// an error box. Closing the window cancels an export and waits for its end.
bool plot_export_csv(HWND plot);

// Makes a plot window of w titled title, owned by owner, at owner's DPI; null
// when it could not (w is then untouched by the window).
HWND plot_window_make(HWND owner, const wchar_t* title, PlotWin* w);
// Paints w's picture as its window shows it now into dc (width x height).
void plot_paint_now(PlotWin* w, HDC dc, int width, int height);
// Sets w's status line and repaints.
void plot_set_status(PlotWin* w, const wchar_t* text);

LRESULT CALLBACK plot_wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
