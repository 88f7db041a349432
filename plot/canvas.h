#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varnel::plot {

/// An RGB colour.
struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

/// A pixel position: origin at the top-left corner, Y downwards.
struct PixelPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

/// The colours the plots draw with.
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kGrey{128, 128, 128};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kDarkRed{128, 0, 0};

enum class BrushStyle { Solid, Clear };

/// Which point of a text's top edge its reference point names.
enum class TextAlign { Left, Center, Right };

/// The drawing surface the plots need, in device pixels, with GDI semantics. A canvas keeps its
/// pen and brush from one call to the next; a new one starts with a black pen and a solid white
/// brush. Pens are 1 pixel wide and solid. Implementations never throw out of a call.
class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void SetPenColor(Rgb color) = 0;
    virtual void SetBrushColor(Rgb color) = 0;
    virtual void SetBrushStyle(BrushStyle style) = 0;
    /// Fills with the brush colour, no outline; the right column and bottom row stay unfilled.
    virtual void FillRect(int left, int top, int right, int bottom) = 0;
    virtual void MoveTo(int x, int y) = 0;
    /// Draws from the current position to (x, y), the end pixel not drawn; (x, y) becomes current.
    virtual void LineTo(int x, int y) = 0;
    /// The ellipse inscribed in the box, outlined with the pen, filled unless the brush is clear.
    virtual void Ellipse(int left, int top, int right, int bottom) = 0;
    /// The closed outline through the points, filled unless the brush is clear.
    virtual void Polygon(const std::vector<PixelPoint>& points) = 0;
    /// Fills with the brush the connected area around (x, y) that has the given colour.
    virtual void FloodFill(int x, int y, Rgb surfaceColor) = 0;
    /// One line of UTF-8 text in the pen colour, Arial with characters `pixelHeight` pixels
    /// high, on no background: its top edge at y, its left end, middle or right end at x.
    virtual void Text(int x, int y, const std::string& text, TextAlign align, int pixelHeight) = 0;
};

}  // namespace varnel::plot
