#pragma once

#include <string>
#include <vector>

#include "plot/canvas.h"

namespace varnel::testing_support {

/// A canvas that writes each call as one line of text, e.g. "Ellipse 1 2 7 8", "Pen 0 0 255".
class RecordingCanvas : public plot::Canvas {
public:
    std::vector<std::string> calls;

    void SetPenColor(plot::Rgb c) override { Add("Pen", {c.r, c.g, c.b}); }
    void SetBrushColor(plot::Rgb c) override { Add("Brush", {c.r, c.g, c.b}); }
    void SetBrushStyle(plot::BrushStyle s) override {
        calls.push_back(s == plot::BrushStyle::Solid ? "BrushStyle Solid" : "BrushStyle Clear");
    }
    void FillRect(int l, int t, int r, int b) override { Add("FillRect", {l, t, r, b}); }
    void MoveTo(int x, int y) override { Add("MoveTo", {x, y}); }
    void LineTo(int x, int y) override { Add("LineTo", {x, y}); }
    void Ellipse(int l, int t, int r, int b) override { Add("Ellipse", {l, t, r, b}); }
    void Polygon(const std::vector<plot::PixelPoint>& points) override {
        std::vector<int> values;
        for (const plot::PixelPoint& p : points) {
            values.push_back(p.X);
            values.push_back(p.Y);
        }
        Add("Polygon", values);
    }
    void FloodFill(int x, int y, plot::Rgb c) override { Add("FloodFill", {x, y, c.r, c.g, c.b}); }
    /// "Text x y Left|Center|Right height text".
    void Text(int x, int y, const std::string& text, plot::TextAlign align, int height) override {
        static const char* const kAligns[] = {"Left", "Center", "Right"};
        calls.push_back("Text " + std::to_string(x) + " " + std::to_string(y) + " " +
                        kAligns[static_cast<int>(align)] + " " + std::to_string(height) + " " +
                        text);
    }

private:
    void Add(const std::string& name, const std::vector<int>& values) {
        std::string line = name;
        for (int v : values) line += " " + std::to_string(v);
        calls.push_back(line);
    }
};

}  // namespace varnel::testing_support
