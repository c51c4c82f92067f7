// PNG through WIC: the pixels, turned into 24-bit BGR rows, go to the PNG
// encoder writing into a memory stream, whose bytes are then written to the
// file; the file itself stays the caller's (a partial file, renamed when whole).
#include "platform/png_write.h"

#include <windows.h>
#include <objbase.h>
#include <wincodec.h>

#include "core/heap.h"

// Every row as BGR into frame.
static bool write_rows(IWICBitmapFrameEncode* frame, const uint32_t* pixels, int width, int height) {
    const UINT stride = (UINT)width * 3;
    BYTE* row = (BYTE*)heap_alloc(stride);
    bool ok = row != NULL;
    for (int y = 0; ok && y < height; y++) {
        const uint32_t* in = pixels + (size_t)y * (size_t)width;
        for (int x = 0; x < width; x++) {
            row[3 * x] = (BYTE)in[x];
            row[3 * x + 1] = (BYTE)(in[x] >> 8);
            row[3 * x + 2] = (BYTE)(in[x] >> 16);
        }
        ok = SUCCEEDED(frame->WritePixels(1, stride, stride, row));
    }
    heap_free(row);
    return ok;
}

// One frame of 24-bit BGR; the encoder must take that format as it is.
static bool encode_frame(IWICBitmapEncoder* encoder, const uint32_t* pixels, int width, int height) {
    IWICBitmapFrameEncode* frame = NULL;
    if (FAILED(encoder->CreateNewFrame(&frame, NULL)))
        return false;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    bool ok = SUCCEEDED(frame->Initialize(NULL)) && SUCCEEDED(frame->SetSize((UINT)width, (UINT)height)) &&
              SUCCEEDED(frame->SetPixelFormat(&format)) && IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) &&
              write_rows(frame, pixels, width, height) && SUCCEEDED(frame->Commit());
    frame->Release();
    return ok;
}

// The stream's bytes from its start to its end, into f.
static bool copy_out(IStream* stream, FILE* f) {
    HGLOBAL memory = NULL;
    ULARGE_INTEGER end;
    const LARGE_INTEGER zero = {};
    if (FAILED(stream->Seek(zero, STREAM_SEEK_CUR, &end)) || FAILED(GetHGlobalFromStream(stream, &memory)))
        return false;
    const void* bytes = GlobalLock(memory);
    const bool ok = bytes && fwrite(bytes, 1, (size_t)end.QuadPart, f) == (size_t)end.QuadPart && fflush(f) == 0;
    if (bytes)
        GlobalUnlock(memory);
    return ok;
}

static bool encode(IWICImagingFactory* factory, FILE* f, const uint32_t* pixels, int width, int height) {
    IStream* stream = NULL;
    IWICBitmapEncoder* encoder = NULL;
    bool ok = SUCCEEDED(CreateStreamOnHGlobal(NULL, TRUE, &stream)) &&
              SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, NULL, &encoder)) &&
              SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
              encode_frame(encoder, pixels, width, height) && SUCCEEDED(encoder->Commit()) && copy_out(stream, f);
    if (encoder)
        encoder->Release();
    if (stream)
        stream->Release();
    return ok;
}

bool png_write(FILE* f, const uint32_t* pixels, int width, int height) {
    const HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = NULL;
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, NULL, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                         (void**)&factory)) &&
              encode(factory, f, pixels, width, height);
    if (factory)
        factory->Release();
    if (SUCCEEDED(com))  // S_FALSE too: each successful call is undone by one
        CoUninitialize();
    return ok;
}
