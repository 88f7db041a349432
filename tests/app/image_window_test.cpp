#include "app/image_window.h"

#include <QLabel>
#include <QPushButton>
#include <fstream>
#include <sstream>

#include "app/image_zoom.h"
#include "core/data_file_guard.h"
#include "image/image_objects.h"
#include "tests/app/main_window_fixture.h"
#include "tests/app/wait_for_events.h"

namespace varnel::app {
namespace {

using testing_support::MainWindowTest;
using testing_support::WaitFor;

class ImageWindowTest : public MainWindowTest {
protected:
    std::string Grains() const { return std::string(VARNEL_EXAMPLES_DIR) + "/strained_grains.png"; }
    TFormImage* Window() const { return form->ImageWindow(); }
    template <typename Widget>
    Widget* Part(const char* name) const {
        return Window()->findChild<Widget*>(QString::fromLatin1(name));
    }
    void OpenImage(const std::string& path) {
        ui.openAnswers.push_back(path);
        Trigger("MenuOpenImage");
        ASSERT_TRUE(WaitFor([&] { return !Window()->Updating(); }));
    }
    // The first pixel of the first object kept in the view.
    image::PixelPosition KeptPixel() const {
        const image::ImageObjects& found = Window()->ShownMap()->found;
        for (const image::ImageObject& o : found.objects) {
            if (o.exclusion != image::Exclusion::None) continue;
            for (int c = o.left; c <= o.right; ++c) {
                if (found.labels.at<int>(o.top, c) == o.number) return {c, o.top};
            }
        }
        return {-1, -1};
    }
};

// A click excludes a kept object by hand; Analyse opens the image in the main window with the
// rest, as File > Open of a data file does.
TEST_F(ImageWindowTest, ShowsTheCountsAndAnalysesTheObjectsNotExcluded) {
    OpenImage(Grains());
    ASSERT_NE(Window()->ShownMap(), nullptr);
    const image::ImageObjects read = image::ReadImageObjects(Grains(), {});
    EXPECT_TRUE(Part<QLabel>("CountsText")
                    ->text()
                    .startsWith(QString::number(read.objects.size()) +
                                QStringLiteral(" objects: ") + QString::number(read.kept) +
                                QStringLiteral(" kept;")));
    const image::PixelPosition picked = KeptPixel();
    Window()->PickObject(picked);
    ASSERT_TRUE(WaitFor([&] { return !Window()->Updating(); }));
    const int number = image::ObjectNumberAt(Window()->ShownMap()->found, picked);
    EXPECT_EQ(Window()->ShownMap()->found.objects[number - 1].exclusion, image::Exclusion::Hand);
    Part<QPushButton>("ButtonAnalyse")->click();
    EXPECT_EQ(form->windowTitle().toStdString(), " Varnel  [ strained_grains.png ]");
    EXPECT_EQ(form->State().DataCount, read.kept - 1);
    EXPECT_NE(MemoText().find("N = " + std::to_string(read.kept - 1)), std::string::npos);
}

// Each save: onto the image or a file that failed to open refused, a name of another kind
// refused, the file written.
TEST_F(ImageWindowTest, SavesTheOverlayAndTheObjectsOrSaysWhyNot) {
    OpenImage(Grains());
    const std::string junk = WriteFile("junk.png", "not an image");
    OpenImage(junk);
    const struct {
        const char* button;
        std::string answer;
        std::string message;  // empty: saved, the file starting with `start`
        std::string start;
    } cases[] = {
        {"ButtonSaveOverlay", Grains(), SaveOverDataFileMessage(Grains()), ""},
        {"ButtonSaveOverlay", junk, SaveOverDataFileMessage(junk), ""},
        {"ButtonSaveOverlay", Path("o.jpg"),
         "Cannot save an overlay as \"o.jpg\": its name must end in .png or .svg.", ""},
        {"ButtonSaveOverlay", Path("o.svg"), "", "<?xml"},
        {"ButtonSaveOverlay", Path("o.png"), "", "\x89PNG"},
        {"ButtonExportObjects", Grains(), SaveOverDataFileMessage(Grains()), ""},
        {"ButtonExportObjects", Path("o.txt"),
         "Cannot export the objects as \"o.txt\": its name must end in .csv or .geojson.", ""},
        {"ButtonExportObjects", Path("o.csv"), "", "number,x,y,area,R,phi,excluded\n1,"},
        {"ButtonExportObjects", Path("o.geojson"), "", "{\"type\":\"FeatureCollection\""},
    };
    for (const auto& c : cases) {
        ui.messages.clear();
        ui.saveAnswers.push_back(c.answer);
        Part<QPushButton>(c.button)->click();
        EXPECT_EQ(ui.messages, c.message.empty() ? std::vector<std::string>{}
                                                 : std::vector<std::string>{c.message})
            << c.answer;
        if (!c.message.empty()) continue;
        std::ifstream file(c.answer, std::ios::binary);
        std::stringstream bytes;
        bytes << file.rdbuf();
        EXPECT_EQ(bytes.str().substr(0, c.start.size()), c.start) << c.answer;
    }
    // Closed during an update: the update's result is dropped and nothing more is worked out.
    Window()->PickObject(KeptPixel());
    Window()->close();
    ASSERT_TRUE(WaitFor([&] { return !Window()->Updating(); }));
    EXPECT_EQ(Window()->ShownMap(), nullptr);
    EXPECT_FALSE(Part<QPushButton>("ButtonSaveOverlay")->isEnabled());
}

TEST_F(ImageWindowTest, ShowsADamagedImageInTheErrorBox) {
    const std::string cut = WriteFile("cut.png", "\x89PNG\r\n\x1a\n");
    ui.openAnswers.push_back(cut);
    Trigger("MenuOpenImage");
    EXPECT_EQ(ui.errors, std::vector<std::string>{
                             "The image \"cut.png\" cannot be decoded: the file is damaged or not "
                             "a PNG, TIFF, BMP, JPEG or PGM image."});
}

// Fit centres the whole image; the wheel keeps the point under the pointer; a view point
// falls in the pixel it covers.
TEST(ImageZoom, MapsTheViewToImagePixels) {
    const ImageZoom fit = ImageZoom::Fit(200, 100, 400, 400);
    EXPECT_EQ(fit.scale, 2);
    EXPECT_EQ(fit.top, 100);
    const struct {
        ImageZoom zoom;
        double x, y;
        int column, row;
    } cases[] = {
        {fit, 0, 100, 0, 0},
        {fit, 399.9, 299.9, 199, 99},
        {fit, 10, 99, 5, -1},
        {fit.ZoomedAbout(3, 123, 211), 123, 211, 61, 55},
        {fit.Panned(-50, 20), 0, 120, 25, 0},
    };
    for (const auto& c : cases) {
        const image::PixelPosition at = c.zoom.PixelAt(c.x, c.y);
        EXPECT_EQ(at.column, c.column) << c.x;
        EXPECT_EQ(at.row, c.row) << c.x;
    }
    EXPECT_EQ(fit.ZoomedAbout(1000, 0, 0).scale, ImageZoom::kLargestScale);
}

}  // namespace
}  // namespace varnel::app
