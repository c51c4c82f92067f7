// "Save picture": the window's own painter draws into a 32-bit DIB section of the
// client's size, whose pixels go to the PNG encoder (platform/png_write)
// through platform/output_file, so a file is written whole or not at all.
// A picture is made to be shared: at its foot, in place of the status
// (which names local files), the program's version, the device and when the
// run was measured (a saved run) or the picture taken (the live run).
#include "gui/plot_image.h"

#include <errno.h>
#include <stdint.h>
#include <string.h>
#include <wchar.h>

#include "core/views/plot_model.h"
#include "core/views/texts.h"
#include "engine/reception.h"
#include "gui/mouse_name.h"
#include "gui/plot_paint.h"
#include "gui/plot_saved.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/output_file.h"
#include "platform/png_write.h"
#include "platform/utc_clock.h"

static const int64_t kFileTimeTo1970Us = 11644473600000000LL;  // 1601 to 1970

static int64_t filetime_us(const FILETIME* ft) {
    return (int64_t)(((uint64_t)ft->dwHighDateTime << 32) | ft->dwLowDateTime) / 10;
}

// A UTC time as this machine's local time and its offset; not known when
// Windows cannot convert it.
static PlotStamp local_stamp(int64_t utc_us) {
    PlotStamp s = {};
    const uint64_t ticks = (uint64_t)(utc_us + kFileTimeTo1970Us) * 10;
    const FILETIME utc_ft = {(DWORD)ticks, (DWORD)(ticks >> 32)};
    SYSTEMTIME utc, local;
    FILETIME local_ft;
    if (utc_us <= 0 || !FileTimeToSystemTime(&utc_ft, &utc) ||
        !SystemTimeToTzSpecificLocalTime(NULL, &utc, &local) || !SystemTimeToFileTime(&local, &local_ft))
        return s;
    s.known = true;
    s.year = local.wYear;
    s.month = local.wMonth;
    s.day = local.wDay;
    s.hour = local.wHour;
    s.minute = local.wMinute;
    s.second = local.wSecond;
    s.utc_offset_min = (int)((filetime_us(&local_ft) - filetime_us(&utc_ft)) / 60000000);
    return s;
}

void plot_image_info(PlotWin* w, wchar_t* out, size_t cap) {
    wchar_t device[MAX_PATH + 40];
    int64_t utc_us = 0;
    bool saved_run = w->saved != NULL;
    if (saved_run) {
        swprintf(device, MAX_PATH + 40, txw(TX_PLOT_INFO_SAVED_RUN), plot_saved_name(w->saved));
        if (!plot_saved_first_utc(w->saved, &utc_us))
            utc_us = 0;
    } else {
        gui_mouse_name((int)(display_stats(w->run) - w->run->records), device, MAX_PATH + 40);
        utc_us = utc_now_us();
    }
    const PlotStamp when = local_stamp(utc_us);
    plot_picture_info(out, cap, device, saved_run, &when);
}

// The pixels as a PNG file at path; 0, or errno's value (EIO: the encoder failed).
static int write_png_file(const wchar_t* path, const uint32_t* pixels, int width, int height) {
    const int error = output_file_check(path);
    if (error)
        return error;
    OutputFile out;
    if (!output_file_open(&out, path))
        return errno;
    if (!png_write(out.f, pixels, width, height)) {
        output_file_discard(&out);
        return EIO;
    }
    return output_file_commit(&out) ? 0 : errno;
}

// The picture w shows now, with its info at the foot, into path; 0, or errno's value.
static int write_picture(PlotWin* w, const wchar_t* path, int width, int height) {
    wchar_t info[PLOT_STATUS_CHARS];
    plot_image_info(w, info, PLOT_STATUS_CHARS);
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = NULL;
    HBITMAP dib = CreateDIBSection(NULL, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    HDC dc = dib ? CreateCompatibleDC(NULL) : NULL;
    int error = ENOMEM;
    if (dc) {
        HGDIOBJ previous = SelectObject(dc, dib);
        plot_paint_now(w, dc, width, height, info);
        GdiFlush();
        error = write_png_file(path, (const uint32_t*)bits, width, height);
        SelectObject(dc, previous);
        DeleteDC(dc);
    }
    if (dib)
        DeleteObject(dib);
    return error;
}

bool plot_save_image(PlotWin* w) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t name[64], path[MAX_PATH], text[MAX_PATH + 160];
    RECT r;
    GetClientRect(w->hwnd, &r);
    // Minimised, or shrunk to its frame: there are no pixels to make a DIB of.
    if (r.right <= 0 || r.bottom <= 0) {
        message_box(w->hwnd, txw(TX_PLOT_IMAGE_TOO_SMALL), txw(TX_PLOT_IMAGE_BUTTON), MB_OK | MB_ICONINFORMATION);
        return false;
    }
    swprintf(name, 64, L"quorvin-%04u%02u%02u-%02u%02u%02u.png", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond);
    const HWND hwnd = w->hwnd;
    if (!file_dialog_save(hwnd, name, L"PNG (*.png)\0*.png\0\0", L"png", path, MAX_PATH))
        return true;  // cancelled: nothing to do
    if (!IsWindow(hwnd))
        return true;  // closed with the main window while the dialog was up
    const int error = write_picture(w, path, r.right, r.bottom);
    if (!error) {
        swprintf(text, MAX_PATH + 160, txw(TX_PLOT_IMAGE_SAVED), path);
        plot_set_status(w, text);
        return true;
    }
    swprintf(text, MAX_PATH + 160, txw(TX_PLOT_IMAGE_FAILED), path);
    plot_set_status(w, text);
    if (error == EIO)
        swprintf(text, MAX_PATH + 160, txw(TX_PLOT_IMAGE_ENCODE_FAILED), path);
    else
        swprintf(text, MAX_PATH + 160, txw(TX_PLOT_IMAGE_WRITE_FAILED), path, strerror(error));
    message_box(w->hwnd, text, txw(TX_PLOT_ERROR), MB_OK | MB_ICONERROR);
    return false;
}
