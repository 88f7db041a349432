#include "plot/emf_canvas.h"

#include <uemf.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "plot/picture_export.h"
#include "plot/text_font.h"

namespace varnel::plot {

// libUEMF builds records in the host's byte order; the file format is little-endian.
static_assert(std::endian::native == std::endian::little);

struct EmfCanvas::Recorder {
    std::string bytes;
    EMFHANDLES* handles = nullptr;
    std::uint32_t records = 0;
    bool finished = false;
    Rgb pen{0, 0, 0};
    Rgb brush{255, 255, 255};
    BrushStyle brushStyle = BrushStyle::Solid;
    Rgb selectedPen{0, 0, 0};
    Rgb selectedBrush{255, 255, 255};
    BrushStyle selectedBrushStyle = BrushStyle::Solid;
    std::uint32_t penHandle = 0;  // 0 while the stock object is selected
    std::uint32_t brushHandle = 0;
    U_RECTL bounds{0, 0, -1, -1};  // inclusive; empty until something is drawn
    U_POINTL position{0, 0};
    std::uint32_t fontHandle = 0;  // 0 while the device's default font is selected
    int fontHeight = 0;
    Rgb textColor{0, 0, 0};  // a device context starts with black text, aligned top left,
    std::uint32_t textAlign = U_TA_TOP | U_TA_LEFT;
    bool transparentText = false;  // on an opaque background
    U_FLOAT hundredthsOfMillimetrePerPixelX = 0, hundredthsOfMillimetrePerPixelY = 0;

    // Takes a record made by libUEMF (malloc'd, its size in its header) and frees it.
    void Append(char* record) {
        if (record == nullptr) return;
        const auto* header = reinterpret_cast<const U_EMR*>(record);
        bytes.append(record, header->nSize);
        ++records;
        std::free(record);
    }

    void Include(int left, int top, int right, int bottom) {
        if (bounds.right < bounds.left) {
            bounds = {left, top, right, bottom};
            return;
        }
        bounds.left = std::min(bounds.left, left);
        bounds.top = std::min(bounds.top, top);
        bounds.right = std::max(bounds.right, right);
        bounds.bottom = std::max(bounds.bottom, bottom);
    }

    // Creates and selects a pen of the current colour, then deletes the one it replaces.
    void RealizePen() {
        if (pen == selectedPen) return;
        std::uint32_t handle = 0;
        const U_LOGPEN logPen =
            logpen_set(U_PS_SOLID, point32_set(1, 0), colorref3_set(pen.r, pen.g, pen.b));
        Append(createpen_set(&handle, handles, logPen));
        Append(selectobject_set(handle, handles));
        if (penHandle != 0) Append(deleteobject_set(&penHandle, handles));
        penHandle = handle;
        selectedPen = pen;
    }

    void RealizeBrush() {
        const bool clear = brushStyle == BrushStyle::Clear;
        const bool same = brushStyle == selectedBrushStyle && (clear || brush == selectedBrush);
        if (same) return;
        std::uint32_t handle = 0;
        const U_LOGBRUSH logBrush = logbrush_set(clear ? U_BS_NULL : U_BS_SOLID,
                                                 colorref3_set(brush.r, brush.g, brush.b), 0);
        Append(createbrushindirect_set(&handle, handles, logBrush));
        Append(selectobject_set(handle, handles));
        if (brushHandle != 0) Append(deleteobject_set(&brushHandle, handles));
        brushHandle = handle;
        selectedBrush = brush;
        selectedBrushStyle = brushStyle;
    }

    // Creates and selects an Arial font of characters `height` pixels high (a negative logical
    // height asks for the character height), then deletes the one it replaces.
    void RealizeFont(int height) {
        if (fontHandle != 0 && fontHeight == height) return;
        std::uint16_t face[U_LF_FACESIZE] = {'A', 'r', 'i', 'a', 'l', 0};
        U_LOGFONT font = logfont_set(-height, 0, 0, 0, U_FW_NORMAL, 0, 0, 0, U_DEFAULT_CHARSET,
                                     U_OUT_DEFAULT_PRECIS, U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY,
                                     U_DEFAULT_PITCH | U_FF_SWISS, face);
        std::uint32_t handle = 0;
        Append(extcreatefontindirectw_set(&handle, handles, reinterpret_cast<const char*>(&font),
                                          nullptr));
        Append(selectobject_set(handle, handles));
        if (fontHandle != 0) Append(deleteobject_set(&fontHandle, handles));
        fontHandle = handle;
        fontHeight = height;
    }

    void RealizeTextState(TextAlign align) {
        if (!transparentText) {
            Append(U_EMRSETBKMODE_set(U_TRANSPARENT));
            transparentText = true;
        }
        if (!(textColor == pen)) {
            Append(U_EMRSETTEXTCOLOR_set(colorref3_set(pen.r, pen.g, pen.b)));
            textColor = pen;
        }
        const std::uint32_t mode = U_TA_TOP | (align == TextAlign::Left     ? U_TA_LEFT
                                               : align == TextAlign::Center ? U_TA_CENTER
                                                                            : U_TA_RIGHT);
        if (mode != textAlign) {
            Append(U_EMRSETTEXTALIGN_set(mode));
            textAlign = mode;
        }
    }

    // Selects the stock objects again so the last pen, brush and font can be deleted, then ends.
    void Finish() {
        if (penHandle != 0) {
            Append(U_EMRSELECTOBJECT_set(U_BLACK_PEN));
            Append(deleteobject_set(&penHandle, handles));
        }
        if (brushHandle != 0) {
            Append(U_EMRSELECTOBJECT_set(U_WHITE_BRUSH));
            Append(deleteobject_set(&brushHandle, handles));
        }
        if (fontHandle != 0) {
            Append(U_EMRSELECTOBJECT_set(U_DEVICE_DEFAULT_FONT));
            Append(deleteobject_set(&fontHandle, handles));
        }
        EMFTRACK track{};
        Append(U_EMREOF_set(0, nullptr, &track));
        auto* header = reinterpret_cast<U_EMRHEADER*>(bytes.data());
        header->rclBounds = bounds;
        header->nBytes = static_cast<std::uint32_t>(bytes.size());
        header->nRecords = records;
        header->nHandles = static_cast<std::uint16_t>(handles->peak + 1);
        finished = true;
    }
};

EmfCanvas::EmfCanvas(const DisplayGeometry& display) : recorder_(std::make_unique<Recorder>()) {
    emf_htable_create(128, 128, &recorder_->handles);
    recorder_->hundredthsOfMillimetrePerPixelX =
        static_cast<U_FLOAT>(display.widthMillimetres * 100 / display.widthPixels);
    recorder_->hundredthsOfMillimetrePerPixelY =
        static_cast<U_FLOAT>(display.heightMillimetres * 100 / display.heightPixels);
    const auto frameWidth = static_cast<std::int32_t>(std::lround(display.widthMillimetres * 100));
    const auto frameHeight =
        static_cast<std::int32_t>(std::lround(display.heightMillimetres * 100));
    const U_RECTL frame{0, 0, frameWidth, frameHeight};
    const U_SIZEL device = sizel_set(display.widthPixels, display.heightPixels);
    const U_SIZEL millimetres =
        sizel_set(static_cast<std::int32_t>(std::lround(display.widthMillimetres)),
                  static_cast<std::int32_t>(std::lround(display.heightMillimetres)));
    recorder_->Append(
        U_EMRHEADER_set(U_RECTL{0, 0, -1, -1}, frame, nullptr, 0, nullptr, device, millimetres, 0));
}

EmfCanvas::~EmfCanvas() { emf_htable_free(&recorder_->handles); }

void EmfCanvas::SetPenColor(Rgb color) { recorder_->pen = color; }

void EmfCanvas::SetBrushColor(Rgb color) { recorder_->brush = color; }

void EmfCanvas::SetBrushStyle(BrushStyle style) { recorder_->brushStyle = style; }

// A fill with the brush and no outline: a pattern copy over the rectangle.
void EmfCanvas::FillRect(int left, int top, int right, int bottom) {
    Recorder& r = *recorder_;
    if (r.finished || right <= left || bottom <= top) return;
    const BrushStyle style = r.brushStyle;
    r.brushStyle = BrushStyle::Solid;
    r.RealizeBrush();
    r.brushStyle = style;
    const U_RECTL bounds{left, top, right - 1, bottom - 1};
    r.Append(U_EMRBITBLT_set(bounds, point32_set(left, top),
                             point32_set(right - left, bottom - top), point32_set(0, 0),
                             xform_set(1, 0, 0, 1, 0, 0), colorref3_set(0, 0, 0), U_DIB_RGB_COLORS,
                             U_PATCOPY, nullptr, 0, nullptr));
    r.Include(left, top, right - 1, bottom - 1);
}

void EmfCanvas::MoveTo(int x, int y) {
    if (recorder_->finished) return;
    recorder_->Append(U_EMRMOVETOEX_set(point32_set(x, y)));
    recorder_->position = point32_set(x, y);
}

void EmfCanvas::LineTo(int x, int y) {
    Recorder& r = *recorder_;
    if (r.finished) return;
    r.RealizePen();
    r.Append(U_EMRLINETO_set(point32_set(x, y)));
    r.Include(std::min(r.position.x, x), std::min(r.position.y, y), std::max(r.position.x, x),
              std::max(r.position.y, y));
    r.position = point32_set(x, y);
}

void EmfCanvas::Ellipse(int left, int top, int right, int bottom) {
    Recorder& r = *recorder_;
    if (r.finished) return;
    r.RealizePen();
    r.RealizeBrush();
    r.Append(U_EMRELLIPSE_set(U_RECTL{left, top, right, bottom}));
    r.Include(left, top, right - 1, bottom - 1);
}

void EmfCanvas::Polygon(const std::vector<PixelPoint>& points) {
    Recorder& r = *recorder_;
    if (r.finished || points.empty()) return;
    r.RealizePen();
    r.RealizeBrush();
    std::vector<U_POINTL> corners;
    U_RECTL box{points[0].X, points[0].Y, points[0].X, points[0].Y};
    for (const PixelPoint& p : points) {
        corners.push_back(point32_set(p.X, p.Y));
        box = {std::min(box.left, p.X), std::min(box.top, p.Y), std::max(box.right, p.X),
               std::max(box.bottom, p.Y)};
    }
    r.Append(U_EMRPOLYGON_set(box, static_cast<std::uint32_t>(corners.size()), corners.data()));
    r.Include(box.left, box.top, box.right, box.bottom);
}

void EmfCanvas::FloodFill(int x, int y, Rgb surfaceColor) {
    Recorder& r = *recorder_;
    if (r.finished) return;
    r.RealizeBrush();
    r.Append(U_EMREXTFLOODFILL_set(point32_set(x, y),
                                   colorref3_set(surfaceColor.r, surfaceColor.g, surfaceColor.b),
                                   U_FLOODFILLSURFACE));
}

// EXTTEXTOUTW with the UTF-16 text and the advance of each unit, so a reader places the
// characters as the font measured them here.
void EmfCanvas::Text(int x, int y, const std::string& text, TextAlign align, int pixelHeight) {
    Recorder& r = *recorder_;
    if (r.finished || text.empty() || pixelHeight <= 0 || !TextSupport::Available()) return;
    const TextLayout layout = LayOutText(text, pixelHeight);
    r.RealizeFont(pixelHeight);
    r.RealizeTextState(align);
    std::vector<std::uint16_t> units(layout.text.utf16(), layout.text.utf16() + layout.text.size());
    std::vector<std::uint32_t> advances(layout.advances.begin(), layout.advances.end());
    const int left = TextLeft(x, layout.width, align);
    const U_RECTL box{left, y, left + std::max(layout.width, 1) - 1, y + layout.height - 1};
    char* emrText = emrtext_set(point32_set(x, y), static_cast<U_NUM_STR>(units.size()), 2,
                                units.data(), U_ETO_NONE, box, advances.data());
    if (emrText == nullptr) return;
    r.Append(U_EMREXTTEXTOUTW_set(box, U_GM_COMPATIBLE, r.hundredthsOfMillimetrePerPixelX,
                                  r.hundredthsOfMillimetrePerPixelY,
                                  reinterpret_cast<PU_EMRTEXT>(emrText)));
    std::free(emrText);
    r.Include(box.left, box.top, box.right, box.bottom);
}

const std::string& EmfCanvas::Finish() {
    if (!recorder_->finished) recorder_->Finish();
    return recorder_->bytes;
}

}  // namespace varnel::plot
