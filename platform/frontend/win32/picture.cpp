// Picture controls: Win32 cannot draw SVG, so the image named in the resource is drawn
// from its raster copy beside the resource ("logo" is logo.png, made from logo.svg at
// build time) through GDI+, scaled to the control with its proportions kept. An image
// that cannot be read leaves the control empty.
#include <algorithm>

// GDI+'s headers use min and max unqualified; <windows.h> is told not to define them.
#include "platform/frontend/win32/win32_internal.h"
using std::max;
using std::min;
#include <objidl.h>
#include <gdiplus.h>

#include <map>
#include <memory>

#include "platform/ui/resource.h"

namespace platform::win32 {
namespace {

std::string RasterFile(const std::string &image)
{
    size_t dot = image.rfind('.');
    std::string stem = dot == std::string::npos ? image : image.substr(0, dot);
    return ResolveResourcePath(stem + ".png");
}

Gdiplus::Bitmap *Loaded(const std::string &image)
{
    static ULONG_PTR token = [] {
        ULONG_PTR t = 0;
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&t, &input, nullptr);
        return t;
    }();
    (void)token;
    static std::map<std::string, std::unique_ptr<Gdiplus::Bitmap>> bitmaps;
    auto &bitmap = bitmaps[image];
    if (!bitmap) {
        bitmap.reset(Gdiplus::Bitmap::FromFile(Wide(RasterFile(image)).c_str()));
        if (bitmap && bitmap->GetLastStatus() != Gdiplus::Ok) bitmap.reset();
    }
    return bitmap.get();
}

}  // namespace

void DrawPicture(HDC dc, const RECT &area, const std::string &image)
{
    Gdiplus::Bitmap *bitmap = Loaded(image);
    if (!bitmap || bitmap->GetWidth() == 0 || bitmap->GetHeight() == 0) return;
    const double w = area.right - area.left, h = area.bottom - area.top;
    const double scale = std::min(w / bitmap->GetWidth(), h / bitmap->GetHeight());
    const double dw = bitmap->GetWidth() * scale, dh = bitmap->GetHeight() * scale;
    Gdiplus::Graphics graphics(dc);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.DrawImage(bitmap, static_cast<Gdiplus::REAL>(area.left + (w - dw) / 2),
                       static_cast<Gdiplus::REAL>(area.top + (h - dh) / 2), static_cast<Gdiplus::REAL>(dw),
                       static_cast<Gdiplus::REAL>(dh));
}

}  // namespace platform::win32
