// Pictures: PNG resources decoded by GDI+, scaled copies, blank DIBs and window backgrounds.
#include "ui/images.h"

#include "ui/com_ref.h"
#include "ui/object_ledger.h"

#include <objidl.h>

#include <cstring>
#include <memory>

namespace {

void prepareScaling(Gdiplus::Graphics& graphics) {
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
}

}  // namespace

Gdiplus::Bitmap* loadImageResource(HMODULE module, const wchar_t* id, int32_t width, int32_t height) {
    HRSRC found = FindResourceW(module, id, L"IMAGE");
    if (!found) {
        return nullptr;
    }
    DWORD size = SizeofResource(module, found);
    if (!size) {
        return nullptr;
    }
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) {
        return nullptr;
    }
    // The stream frees its memory when released; the bitmap keeps its own reference.
    ComRef<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream.object))) {
        return nullptr;
    }
    ULARGE_INTEGER streamSize{};
    streamSize.QuadPart = size;
    ULONG written = 0;
    if (FAILED(stream->SetSize(streamSize)) || FAILED(stream->Write(bytes, size, &written)) || written != size) {
        return nullptr;
    }
    // The decoder reads from where the stream stands, which the write left at its end.
    LARGE_INTEGER start{};
    if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) {
        return nullptr;
    }
    auto* decoded = new Gdiplus::Bitmap(stream.object);
    if (decoded->GetLastStatus() != Gdiplus::Ok) {
        delete decoded;
        return nullptr;
    }
    auto ownWidth = static_cast<int32_t>(decoded->GetWidth());
    auto ownHeight = static_cast<int32_t>(decoded->GetHeight());
    int32_t wantedWidth = width ? width : ownWidth;
    int32_t wantedHeight = height ? height : ownHeight;
    if (wantedWidth == ownWidth && wantedHeight == ownHeight) {
        return decoded;
    }
    auto* scaled = new Gdiplus::Bitmap(wantedWidth, wantedHeight, PixelFormat32bppARGB);
    if (scaled->GetLastStatus() != Gdiplus::Ok) {
        delete scaled;
        delete decoded;
        return nullptr;
    }
    {
        Gdiplus::Graphics graphics(scaled);
        prepareScaling(graphics);
        graphics.DrawImage(decoded, 0, 0, wantedWidth, wantedHeight);
    }
    delete decoded;
    return scaled;
}

Gdiplus::Bitmap* loadImageForDpi(HMODULE module,
                                 const wchar_t* id,
                                 const wchar_t* largeId,
                                 UINT dpi,
                                 int32_t width,
                                 int32_t height) {
    Gdiplus::Bitmap* large =
        largeId && dpi > USER_DEFAULT_SCREEN_DPI ? loadImageResource(module, largeId, width, height) : nullptr;
    return large ? large : loadImageResource(module, id, width, height);
}

bool scaleImageInto(Gdiplus::Image* source, Gdiplus::Image* target, int32_t width, int32_t height) {
    if (!source || !target) {
        return false;
    }
    Gdiplus::Graphics graphics(target);
    if (graphics.GetLastStatus() != Gdiplus::Ok) {
        return false;
    }
    prepareScaling(graphics);
    return graphics.DrawImage(source, 0, 0, width, height) == Gdiplus::Ok;
}

Gdiplus::Bitmap* fadedImage(Gdiplus::Image* source, Gdiplus::ARGB background, int32_t width, int32_t height) {
    if (!source) {
        return nullptr;
    }
    std::unique_ptr<Gdiplus::Bitmap> faded(new Gdiplus::Bitmap(width, height, PixelFormat32bppPARGB));
    if (faded->GetLastStatus() != Gdiplus::Ok) {
        return nullptr;
    }
    // Grey by the usual luminance weights, at a third of its strength.
    Gdiplus::ColorMatrix grey = {{{0.299f, 0.299f, 0.299f, 0, 0},
                                  {0.587f, 0.587f, 0.587f, 0, 0},
                                  {0.114f, 0.114f, 0.114f, 0, 0},
                                  {0, 0, 0, 0.35f, 0},
                                  {0, 0, 0, 0, 1}}};
    Gdiplus::ImageAttributes attributes;
    Gdiplus::Graphics graphics(faded.get());
    if (graphics.GetLastStatus() != Gdiplus::Ok || attributes.SetColorMatrix(&grey) != Gdiplus::Ok ||
        graphics.Clear(Gdiplus::Color(background)) != Gdiplus::Ok) {
        return nullptr;
    }
    prepareScaling(graphics);
    if (graphics.DrawImage(source, Gdiplus::Rect(0, 0, width, height), 0, 0, static_cast<INT>(source->GetWidth()),
                           static_cast<INT>(source->GetHeight()), Gdiplus::UnitPixel, &attributes) != Gdiplus::Ok) {
        return nullptr;
    }
    graphics.Flush(Gdiplus::FlushIntentionSync);
    return faded.release();
}

HBITMAP createBlankDib(int32_t width, int32_t height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap) {
            DeleteObject(bitmap);
        }
        return nullptr;
    }
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int64_t i = 0, count = static_cast<int64_t>(width) * height; i < count; ++i) {
        pixels[i] = 0x01000000;
    }
    return bitmap;
}

void adoptBackgroundBitmap(UiWindow& window, HBITMAP bitmap) {
    if (window.backgroundKind != BorrowedBrush) {
        deleteGdiObject(window.backgroundBrush);
    }
    window.backgroundBrush = heldGdiObject(CreatePatternBrush(bitmap));
    // The old background is still selected into the DC: it can only go once it comes out.
    auto previous = static_cast<HBITMAP>(SelectObject(window.memoryDC, bitmap));
    if (!window.initialDcBitmap) {
        window.initialDcBitmap = previous;
    } else if (previous && previous != window.initialDcBitmap && previous != bitmap) {
        deleteGdiObject(previous);
    }
    window.backgroundBitmap = bitmap;
    window.backgroundKind = TiledPattern;
    // What was painted with the old background, the controls drawn over it included, is stale.
    if (window.hwnd) {
        RedrawWindow(window.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

void setBackgroundImage(UiWindow& window, Gdiplus::Bitmap* image, int32_t width, int32_t height) {
    if (!window.memoryDC || !image) {
        return;
    }
    auto ownWidth = static_cast<int32_t>(image->GetWidth());
    auto ownHeight = static_cast<int32_t>(image->GetHeight());
    RECT client{};
    if (width == 0 || height == 0) {
        GetClientRect(window.hwnd, &client);
    }
    if (width == 0) {
        width = client.right - client.left;
    }
    if (height == 0) {
        height = client.bottom - client.top;
    }
    if (width == -1) {
        width = ownWidth;
    }
    if (height == -1) {
        height = ownHeight;
    }
    Gdiplus::Bitmap* source = nullptr;
    Gdiplus::Bitmap* scaled = nullptr;
    if (width != ownWidth || height != ownHeight) {
        scaled = new Gdiplus::Bitmap(width, height, PixelFormat32bppPARGB);
        scaleImageInto(image, scaled, width, height);
        source = scaled;
    } else {
        source = image;
    }
    HBITMAP bitmap = nullptr;
    source->GetHBITMAP(Gdiplus::Color(UI_WINDOW_BACKGROUND_ARGB), &bitmap);
    heldGdiObject(bitmap);
    if (bitmap) {
        adoptBackgroundBitmap(window, bitmap);
    }
    delete scaled;
}
