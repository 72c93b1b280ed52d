// Captions written into pictures at run time.
#include "ui/picture_caption.h"

#include <cwchar>
#include <string>

namespace {

// In hundredths of the picture's width: the widest a line may be, the font's largest and
// smallest em, and the baselines of one line or of two.
constexpr Gdiplus::REAL kLineWidth = 92.0f;
constexpr Gdiplus::REAL kLargestEm = 12.5f;
constexpr Gdiplus::REAL kSmallestEm = 6.0f;
constexpr Gdiplus::REAL kEmStep = 0.5f;
constexpr Gdiplus::REAL kOneLineBaseline = 79.0f;
constexpr Gdiplus::REAL kTwoLineBaselines[2] = {68.0f, 83.0f};
// Lines are broken as measured on a picture this many pixels a hundredth wide, whatever the
// picture's own size: text widths do not scale evenly with the font's pixel size, and a caption
// should break alike at every display scale.
constexpr Gdiplus::REAL kMeasuringUnit = 4.0f;

Gdiplus::REAL lineWidth(Gdiplus::Graphics& graphics, const Gdiplus::Font& font, const std::wstring& line) {
    Gdiplus::RectF bounds;
    graphics.MeasureString(line.c_str(), static_cast<INT>(line.size()), &font, Gdiplus::PointF(0, 0),
                           Gdiplus::StringFormat::GenericTypographic(), &bounds);
    return bounds.Width;
}

// Whether a line fits: within `limit` at the reference size and, since some faces are far
// wider at small sizes than in proportion, within the picture's width as drawn.
struct LineFit {
    Gdiplus::Graphics& graphics;
    const Gdiplus::Font& reference;
    Gdiplus::REAL limit;
    const Gdiplus::Font& drawn;
    Gdiplus::REAL pictureWidth;

    bool operator()(const std::wstring& line) const {
        return lineWidth(graphics, reference, line) <= limit && lineWidth(graphics, drawn, line) <= pictureWidth;
    }
};

// The caption on as few lines as fit, at most two: the first line takes as many words as fit.
// Empty when it does not fit on two.
std::wstring breakCaption(const LineFit& fits, const std::wstring& caption) {
    if (fits(caption)) {
        return caption;
    }
    for (size_t space = caption.rfind(L' '); space != std::wstring::npos && space > 0;
         space = caption.rfind(L' ', space - 1)) {
        const std::wstring first = caption.substr(0, space);
        if (fits(first)) {
            const std::wstring second = caption.substr(space + 1);
            return fits(second) ? first + L'\n' + second : std::wstring();
        }
    }
    return std::wstring();
}

}  // namespace

bool drawPictureCaption(Gdiplus::Bitmap& picture, const wchar_t* caption, const wchar_t* face) {
    Gdiplus::Graphics graphics(&picture);
    if (graphics.GetLastStatus() != Gdiplus::Ok || !caption || !*caption) {
        return false;
    }
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    const Gdiplus::REAL unit = static_cast<Gdiplus::REAL>(picture.GetWidth()) / 100.0f;
    Gdiplus::FontFamily chosen(face);
    Gdiplus::FontFamily arial(L"Arial");
    const Gdiplus::FontFamily* family = chosen.IsAvailable()  ? &chosen
                                        : arial.IsAvailable() ? &arial
                                                              : Gdiplus::FontFamily::GenericSansSerif();
    const std::wstring text(caption);
    Gdiplus::REAL em = kLargestEm;
    std::wstring lines;
    for (; em >= kSmallestEm; em -= kEmStep) {
        Gdiplus::Font reference(family, em * kMeasuringUnit, Gdiplus::FontStyleBold, Gdiplus::UnitPixel);
        Gdiplus::Font drawn(family, em * unit, Gdiplus::FontStyleBold, Gdiplus::UnitPixel);
        lines = breakCaption({graphics, reference, kLineWidth * kMeasuringUnit, drawn, 100.0f * unit}, text);
        if (!lines.empty()) {
            break;
        }
    }
    if (lines.empty()) {  // too long even at the smallest size: one line, cut at the edges
        em = kSmallestEm;
        lines = text;
    }
    Gdiplus::Font font(family, em * unit, Gdiplus::FontStyleBold, Gdiplus::UnitPixel);
    // DrawString places a line by its top; the baseline lies the font's ascent below it.
    const Gdiplus::REAL ascent =
        em * unit * family->GetCellAscent(Gdiplus::FontStyleBold) / family->GetEmHeight(Gdiplus::FontStyleBold);
    Gdiplus::SolidBrush white(Gdiplus::Color(255, 255, 255, 255));
    const size_t feed = lines.find(L'\n');
    const std::wstring rows[2] = {lines.substr(0, feed), feed == std::wstring::npos ? L"" : lines.substr(feed + 1)};
    bool drawn = true;
    for (int i = 0; i < 2 && !rows[i].empty(); ++i) {
        const Gdiplus::REAL baseline = feed == std::wstring::npos ? kOneLineBaseline : kTwoLineBaselines[i];
        const Gdiplus::REAL left =
            (static_cast<Gdiplus::REAL>(picture.GetWidth()) - lineWidth(graphics, font, rows[i])) / 2;
        drawn &= graphics.DrawString(rows[i].c_str(), static_cast<INT>(rows[i].size()), &font,
                                     Gdiplus::PointF(left, baseline * unit - ascent),
                                     Gdiplus::StringFormat::GenericTypographic(), &white) == Gdiplus::Ok;
    }
    return drawn;
}
