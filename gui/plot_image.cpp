// "保存图片": the window's own painter draws into a 32-bit DIB section of the
// client's size, whose pixels go to the PNG encoder (platform/png_write)
// through platform/output_file, so a file is written whole or not at all.
#include "gui/plot_image.h"

#include <errno.h>
#include <stdint.h>
#include <string.h>
#include <wchar.h>

#include "gui/plot_paint.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/output_file.h"
#include "platform/png_write.h"

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

// The picture w shows now into path; 0, or errno's value.
static int write_picture(PlotWin* w, const wchar_t* path, int width, int height) {
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = NULL;
    HBITMAP dib = CreateDIBSection(NULL, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    HDC dc = dib ? CreateCompatibleDC(NULL) : NULL;
    int error = ENOMEM;
    if (dc) {
        HGDIOBJ previous = SelectObject(dc, dib);
        plot_paint_now(w, dc, width, height);
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
        message_box(w->hwnd, L"窗口太小：没有可保存的图片。", L"保存图片", MB_OK | MB_ICONINFORMATION);
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
        swprintf(text, MAX_PATH + 160, L"已保存图片：%ls", path);
        plot_set_status(w, text);
        return true;
    }
    swprintf(text, MAX_PATH + 160, L"保存图片失败：%ls", path);
    plot_set_status(w, text);
    if (error == EIO)
        swprintf(text, MAX_PATH + 160, L"无法保存图片：\n%ls\n\nPNG 编码失败。", path);
    else
        swprintf(text, MAX_PATH + 160, L"无法保存图片：\n%ls\n\n%hs", path, strerror(error));
    message_box(w->hwnd, text, L"错误", MB_OK | MB_ICONERROR);
    return false;
}
