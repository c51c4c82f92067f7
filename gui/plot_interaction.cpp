// How the user changes what a plot window shows: the wheel zooms time about
// the pointer (Shift+wheel the y axis about its row), a drag pans, a
// double-click shows the whole run again, and the view buttons switch between
// intervals, counts, speeds and buttons over the same time range. Each change is a new
// PlotView; the next paint asks the builder for its model.
#include "gui/plot_interaction.h"

#include <math.h>

#include "core/views/plot_model.h"
#include "gui/plot_paint.h"

static const double kZoomPerNotch = 0.8;
static const double kNarrowestViewS = 0.002;

// Another view of the same time range; its y axis is its own again. The
// focus goes back to the plot, so the wheel keeps zooming it.
void plot_show_view(PlotWin* w, int kind) {
    if (kind != w->view->kind) {
        w->view->kind = kind;
        w->view->y_fixed = false;
        InvalidateRect(w->hwnd, NULL, FALSE);
    }
    CheckRadioButton(w->hwnd, ID_PLOT_VIEW, ID_PLOT_VIEW + PLOT_KINDS - 1, ID_PLOT_VIEW + kind);
    SetFocus(w->hwnd);
}

// The visible range as it stands, for zooming and panning; false before the
// first model, when nothing is shown to zoom.
static bool current_view(const PlotWin* w, PlotView* v) {
    *v = *w->view;
    if (v->whole) {
        v->whole = false;
        v->t0_s = 0;
        v->t1_s = w->shown.span_s > 0 ? w->shown.span_s : 1;
    }
    return w->shown.any;
}

// Where the last paint put the plot: its header and foot take as many lines
// as their words need.
static PlotArea client_area(const PlotWin* w) {
    if (w->area_known)
        return w->area;
    RECT r;
    GetClientRect(w->hwnd, &r);
    return plot_area(r.right, r.bottom, w->dpi);
}

static double time_at_x(const PlotWin* w, int x, const PlotView* v) {
    const PlotArea a = client_area(w);
    double f = (double)(x - a.left) / (double)(a.right - a.left);
    f = f < 0 ? 0 : f > 1 ? 1 : f;
    return v->t0_s + f * (v->t1_s - v->t0_s);
}

// Shift+wheel: the y axis as last painted, scaled about the pointer's row;
// nothing while the view just chosen is not shown yet (its axis is another's),
// nor in the buttons' rows, which have no scale.
static void zoom_intervals(PlotWin* w, int y, double scale) {
    if (w->shown.kind != w->view->kind || w->view->kind == PLOT_BUTTONS)
        return;
    const PlotArea a = client_area(w);
    const double share = (double)(a.bottom - y) / (double)(a.bottom - a.top);
    const PlotAxis* shown = &w->shown.axis;
    const double at = shown->lo_ms + share * (shown->hi_ms - shown->lo_ms);
    const PlotAxis zoomed = plot_zoom_axis(shown, w->shown.kind, at, scale);
    w->view->y_fixed = true;
    w->view->y_lo_ms = zoomed.lo_ms;
    w->view->y_hi_ms = zoomed.hi_ms;
}

static void zoom_time(PlotWin* w, int x, double scale) {
    PlotView v;
    current_view(w, &v);
    const double at = time_at_x(w, x, &v);
    double width = (v.t1_s - v.t0_s) * scale;
    if (width < kNarrowestViewS)
        width = kNarrowestViewS;
    const double left_share = (at - v.t0_s) / (v.t1_s - v.t0_s);
    v.t0_s = at - width * left_share;
    v.t1_s = at + width * (1 - left_share);
    // Zooming out stops at the bound the model draws, so the next notch in
    // zooms in from what is shown.
    v.whole = !plot_bound_view(w->shown.span_s, &v.t0_s, &v.t1_s);
    *w->view = v;
}

static LRESULT plot_on_wheel(PlotWin* w, WPARAM wparam, LPARAM lparam) {
    POINT p = {(short)LOWORD(lparam), (short)HIWORD(lparam)};
    ScreenToClient(w->hwnd, &p);
    const double scale = pow(kZoomPerNotch, (double)GET_WHEEL_DELTA_WPARAM(wparam) / WHEEL_DELTA);
    if (!w->shown.any)
        return 0;  // nothing shown yet to zoom
    if (GET_KEYSTATE_WPARAM(wparam) & MK_SHIFT)
        zoom_intervals(w, p.y, scale);
    else
        zoom_time(w, p.x, scale);
    InvalidateRect(w->hwnd, NULL, FALSE);
    return 0;
}

static LRESULT plot_on_drag(PlotWin* w, int x) {
    if (w->drag_x < 0)
        return 0;
    double shift = time_at_x(w, w->drag_x, &w->drag_view) - time_at_x(w, x, &w->drag_view);
    *w->view = w->drag_view;
    w->view->t0_s += shift;
    w->view->t1_s += shift;
    InvalidateRect(w->hwnd, NULL, FALSE);
    return 0;
}

static LRESULT plot_on_press(PlotWin* w, int x) {
    if (!current_view(w, &w->drag_view))
        return 0;
    w->drag_x = x;
    SetCapture(w->hwnd);
    return 0;
}

static LRESULT plot_show_whole(PlotWin* w) {
    *w->view = PlotView{true, 0, 0, false, 0, 0, w->view->kind};
    InvalidateRect(w->hwnd, NULL, FALSE);
    return 0;
}

static LRESULT plot_on_release(PlotWin* w) {
    w->drag_x = -1;
    ReleaseCapture();
    return 0;
}

LRESULT plot_on_mouse(PlotWin* w, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_MOUSEWHEEL:
        return plot_on_wheel(w, wparam, lparam);
    case WM_LBUTTONDOWN:
        return plot_on_press(w, (short)LOWORD(lparam));
    case WM_MOUSEMOVE:
        return (wparam & MK_LBUTTON) ? plot_on_drag(w, (short)LOWORD(lparam)) : 0;
    case WM_LBUTTONUP:
        return plot_on_release(w);
    default:  // WM_LBUTTONDBLCLK
        return plot_show_whole(w);
    }
}
