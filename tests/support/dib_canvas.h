// A top-down 32-bit memory bitmap to paint into and read pixels back from,
// for the painter tests and the plot benchmark, and to save as a BMP file to
// look at.
#pragma once

#include <stdint.h>
#include <stdio.h>
#include <windows.h>

struct DibCanvas {
    HDC dc = NULL;
    HBITMAP bitmap = NULL;
    uint32_t* pixels = nullptr;
    int width = 0, height = 0;

    // A fresh canvas of width x height (any earlier one is given back).
    bool make(int w, int h) {
        release();
        width = w;
        height = h;
        dc = CreateCompatibleDC(NULL);
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;  // top-down rows
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, (void**)&pixels, NULL, 0);
        if (bitmap)
            SelectObject(dc, bitmap);
        return bitmap != NULL;
    }
    void release() {
        if (dc)
            DeleteDC(dc);
        if (bitmap)
            DeleteObject(bitmap);
        dc = NULL;
        bitmap = NULL;
        pixels = nullptr;
    }
    COLORREF pixel(int x, int y) const {
        uint32_t v = pixels[y * width + x];  // 0x00RRGGBB in a DIB
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    bool save_bmp(const char* path) const {
        BITMAPFILEHEADER file = {};
        BITMAPINFOHEADER info = {};
        const DWORD bytes = (DWORD)width * (DWORD)height * 4;
        file.bfType = 0x4D42;  // "BM"
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = file.bfOffBits + bytes;
        info.biSize = sizeof info;
        info.biWidth = width;
        info.biHeight = -height;
        info.biPlanes = 1;
        info.biBitCount = 32;
        FILE* f = fopen(path, "wb");
        if (!f)
            return false;
        GdiFlush();
        bool ok = fwrite(&file, sizeof file, 1, f) == 1 && fwrite(&info, sizeof info, 1, f) == 1 &&
                  fwrite(pixels, bytes, 1, f) == 1;
        return fclose(f) == 0 && ok;
    }
    ~DibCanvas() { release(); }
};
