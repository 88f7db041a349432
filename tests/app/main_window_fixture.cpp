#include "tests/app/main_window_fixture.h"

#include <sstream>

namespace varnel::testing_support {

std::string MainWindowTest::WriteFile(const std::string& name, const std::string& content) {
    return folder.Write(name, content);
}

std::string MainWindowTest::WriteSample(const std::string& name, int n) {
    std::ostringstream text;
    for (int k = 1; k <= n; ++k) {
        text << 1.4 + 0.11 * ((k * 7) % 11) << ',' << -60 + (k * 53) % 140 << "\r\n";
    }
    return WriteFile(name, text.str());
}

int MainWindowTest::CountPixels(const char* image, QRgb colour) const {
    const QImage& surface = Image(image)->Surface();
    int count = 0;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) count += surface.pixel(x, y) == colour ? 1 : 0;
    }
    return count;
}

void MainWindowTest::Blank(const char* image) {
    plot::Canvas& canvas = Image(image)->Canvas();
    canvas.SetBrushColor({255, 255, 255});
    canvas.FillRect(0, 0, 2000, 2000);
}

}  // namespace varnel::testing_support
