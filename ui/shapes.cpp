// Rounded shapes: rounded rectangles painted into GDI+ images and rounded window regions.
#include "ui/shapes.h"

#include "ui/object_ledger.h"

#include <uxtheme.h>

namespace {

// The outline of a rounded rectangle; D is each corner's full diameter. Building goes on
// after a failed step: the shape is whatever GDI+ managed to build.
void buildRoundedPath(Gdiplus::GraphicsPath& path,
                      int32_t left,
                      int32_t top,
                      int32_t width,
                      int32_t height,
                      int32_t diameter) {
    auto l = static_cast<Gdiplus::REAL>(left);
    auto t = static_cast<Gdiplus::REAL>(top);
    auto r = static_cast<Gdiplus::REAL>(left + width);
    auto b = static_cast<Gdiplus::REAL>(top + height);
    auto d = static_cast<Gdiplus::REAL>(diameter);
    Gdiplus::REAL half = d * 0.5f;
    path.AddLine(l + half, t, r - half, t);
    path.AddArc(r - d, t, d, d, -90, 90);
    path.AddLine(r, t + half, r, b - half);
    path.AddArc(r - d, b - d, d, d, 0, 90);
    path.AddLine(r - half, b, l + half, b);
    path.AddArc(l, b - d, d, d, 90, 90);
    path.AddLine(l, b - half, l, t + half);
    path.AddArc(l, t, d, d, 180, 90);
    path.CloseFigure();
}

void prepareShapes(Gdiplus::Graphics& graphics) {
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
}

// The path as a region handle in the window's device space, or null.
HRGN roundedRegion(HWND hwnd, int32_t left, int32_t top, int32_t width, int32_t height, int32_t diameter) {
    Gdiplus::GraphicsPath path(Gdiplus::FillModeAlternate);
    buildRoundedPath(path, left, top, width, height, diameter);
    Gdiplus::Region region(&path);
    Gdiplus::Graphics graphics(hwnd);
    prepareShapes(graphics);
    return heldGdiObject(region.GetHRGN(&graphics));
}

bool applyRegion(HWND hwnd, HRGN region) {
    if (SetWindowRgn(hwnd, region, FALSE)) {
        if (region) {
            handOverGdiObject();  // the window owns the region now
        }
        return true;
    }
    deleteGdiObject(region);
    return false;
}

// No region from GDI+ is a failure: handed on, it would take the window's outline away.
bool applyRoundedRegion(HWND hwnd, int32_t left, int32_t top, int32_t width, int32_t height, int32_t diameter) {
    HRGN region = roundedRegion(hwnd, left, top, width, height, diameter);
    return region && applyRegion(hwnd, region);
}

}  // namespace

bool fillRoundedRect(Gdiplus::Image* image,
                     int32_t left,
                     int32_t top,
                     int32_t width,
                     int32_t height,
                     Gdiplus::ARGB argb,
                     int32_t diameter) {
    if (!image) {
        return false;
    }
    Gdiplus::Graphics graphics(image);
    prepareShapes(graphics);
    Gdiplus::GraphicsPath path(Gdiplus::FillModeAlternate);
    buildRoundedPath(path, left, top, width, height, diameter);
    Gdiplus::Color colour(argb);
    // The outline gives curved edges their antialiased rim. Square corners need none, and a
    // pen centred on the edges would spill past the right and bottom ones.
    if (diameter > 0) {
        Gdiplus::Pen pen(colour, 1.0f);
        graphics.DrawPath(&pen, &path);
    }
    Gdiplus::SolidBrush brush(colour);
    return graphics.FillPath(&brush, &path) == Gdiplus::Ok;
}

bool setRoundedRegion(HWND hwnd, int32_t width, int32_t height, int32_t diameter) {
    if (!hwnd) {
        return false;
    }
    return applyRoundedRegion(hwnd, 0, 0, width, height, diameter);
}

bool setWindowShape(UiWindow& window, int32_t diameter) {
    HWND hwnd = window.hwnd;
    if (!hwnd) {
        return false;
    }
    SetWindowTheme(hwnd, L"", L"");
    GetClientRect(hwnd, &window.scratchRect);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&window.scratchRect), 2);
    const RECT client = window.scratchRect;
    int32_t cw = client.right - client.left;
    int32_t ch = client.bottom - client.top;
    window.clientWidth = cw;
    window.clientHeight = ch;
    if (diameter < 1) {
        window.frameless = 1;
        SetWindowPos(hwnd, nullptr, client.left, client.top, cw, ch, SWP_FRAMECHANGED);
        return applyRegion(hwnd, nullptr);
    }
    window.frameless = 0;
    GetWindowRect(hwnd, &window.scratchRect2);
    int32_t cl = client.left - window.scratchRect2.left;
    int32_t ct = client.top - window.scratchRect2.top;
    if (diameter == 1) {
        HRGN clientArea = heldGdiObject(CreateRectRgn(cl, ct, cl + cw, ct + ch));
        return clientArea && applyRegion(hwnd, clientArea);
    }
    return applyRoundedRegion(hwnd, cl, ct, cw, ch, diameter);
}
