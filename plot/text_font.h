#pragma once

#include <QFont>
#include <QString>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "plot/canvas.h"

class QGuiApplication;

namespace varnel::plot {

/// The font of every plot text: Arial (or the system's metric twin of it) with characters
/// `pixelHeight` pixels high.
QFont PlotTextFont(int pixelHeight);

/// A text laid out in the plot font, in pixels: its advance width, the distance from its top
/// edge to its baseline, its height, and the advance of each UTF-16 unit in order.
struct TextLayout {
    QString text;
    int width = 0;
    int ascent = 0;
    int height = 0;
    std::vector<int> advances;
};

/// Lays out UTF-8 text in PlotTextFont(pixelHeight). Needs a QGuiApplication.
TextLayout LayOutText(const std::string& text, int pixelHeight);

/// The left end of a text of `width` pixels whose reference point is x under `align`.
int TextLeft(int x, int width, TextAlign align);

/// Makes text drawable where there is no window system (the command line, a test): while it
/// lives, an off-screen QGuiApplication exists when no application object did before.
class TextSupport {
public:
    TextSupport();
    ~TextSupport();
    TextSupport(const TextSupport&) = delete;
    TextSupport& operator=(const TextSupport&) = delete;

    /// True when a QGuiApplication is there, so fonts can be measured and drawn.
    static bool Available();

private:
    // The application keeps references to its argument count and vector for its whole life,
    // and takes the options it reads out of them.
    int argumentCount_ = 0;
    std::array<std::string, 3> argumentText_{"varnel", "-platform", "offscreen"};
    std::vector<char*> arguments_;
    std::unique_ptr<QGuiApplication> application_;
};

}  // namespace varnel::plot
