#include "plot/emf_canvas.h"

#include <gtest/gtest.h>
#include <uemf_safe.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace varnel::plot {
namespace {

// EMF record types the canvas writes.
enum : std::uint32_t {
    kHeader = 1, kPolygon = 3, kEof = 14, kMoveTo = 27, kSelectObject = 37, kCreatePen = 38,
    kCreateBrush = 39, kDeleteObject = 40, kEllipse = 42, kLineTo = 54,
};

std::uint32_t Word(const std::string& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

// The record types in file order; each record's size must be a positive multiple of 4, and
// libUEMF's own record checks must accept it.
std::vector<std::uint32_t> RecordTypes(const std::string& bytes) {
    std::vector<std::uint32_t> types;
    for (std::size_t at = 0; at + 8 <= bytes.size();) {
        const std::uint32_t size = Word(bytes, at + 4);
        EXPECT_TRUE(size >= 8 && size % 4 == 0) << "record at " << at;
        if (size < 8 || at + size > bytes.size()) break;
        std::vector<char> record(bytes.begin() + at, bytes.begin() + at + size);  // checks may swap
        EXPECT_TRUE(U_emf_record_safe(record.data())) << "record " << Word(bytes, at) << " at " << at;
        types.push_back(Word(bytes, at));
        at += size;
    }
    return types;
}

TEST(EmfCanvas, HeaderFramesTheDisplayAndCountsTheFile) {
    EmfCanvas canvas(DisplayGeometry{1280, 1024, 338.0, 270.5});
    canvas.SetPenColor({0, 0, 255});
    canvas.Ellipse(10, 10, 16, 16);
    const std::string& bytes = canvas.Finish();
    EXPECT_EQ(Word(bytes, 0), kHeader);
    EXPECT_EQ(Word(bytes, 40), 0x464D4520u);  // " EMF"
    EXPECT_EQ(Word(bytes, 24), 0u);           // frame left, top, right, bottom in 0.01 mm
    EXPECT_EQ(Word(bytes, 32), 33800u);
    EXPECT_EQ(Word(bytes, 36), 27050u);
    EXPECT_EQ(Word(bytes, 48), bytes.size());  // nBytes
    EXPECT_EQ(Word(bytes, 52), RecordTypes(bytes).size());
    EXPECT_EQ(Word(bytes, 72), 1280u);  // reference device in pixels
    EXPECT_EQ(Word(bytes, 76), 1024u);
    EXPECT_EQ(Word(bytes, 8), 10u);  // bounds of the drawing, inclusive
    EXPECT_EQ(Word(bytes, 20), 15u);
}

TEST(EmfCanvas, DefaultDisplayIs1920By1080At96Dpi) {
    EmfCanvas canvas;
    const std::string& bytes = canvas.Finish();
    EXPECT_EQ(Word(bytes, 32), 50800u);
    EXPECT_EQ(Word(bytes, 36), 28575u);
    EXPECT_EQ(RecordTypes(bytes), (std::vector<std::uint32_t>{kHeader, kEof}));
}

TEST(EmfCanvas, ObjectsAreCreatedSelectedAndDeletedAsTheDrawingChangesThem) {
    EmfCanvas canvas;
    canvas.SetPenColor({0, 0, 0});  // the starting pen: nothing to create
    canvas.MoveTo(1, 1);
    canvas.LineTo(5, 1);
    canvas.SetPenColor({128, 128, 128});
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.Ellipse(0, 0, 9, 9);
    canvas.SetPenColor({255, 0, 0});
    canvas.Polygon({{1, 1}, {8, 1}, {4, 6}});
    const std::vector<std::uint32_t> expected = {
        kHeader, kMoveTo, kLineTo,
        kCreatePen, kSelectObject, kCreateBrush, kSelectObject, kEllipse,
        kCreatePen, kSelectObject, kDeleteObject, kPolygon,
        kSelectObject, kDeleteObject, kSelectObject, kDeleteObject, kEof};
    EXPECT_EQ(RecordTypes(canvas.Finish()), expected);
}

}  // namespace
}  // namespace varnel::plot
