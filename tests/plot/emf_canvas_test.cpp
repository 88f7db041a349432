#include "plot/emf_canvas.h"

#include <gtest/gtest.h>
#include <uemf_safe.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "plot/rfphi_plot.h"
#include "tests/support/recording_canvas.h"

namespace varnel::plot {
namespace {

// EMF record types the canvas writes.
enum : std::uint32_t {
    kHeader = 1,
    kPolygon = 3,
    kEof = 14,
    kMoveTo = 27,
    kSelectObject = 37,
    kCreatePen = 38,
    kCreateBrush = 39,
    kDeleteObject = 40,
    kEllipse = 42,
    kLineTo = 54,
    kSetBkMode = 18,
    kSetTextAlign = 22,
    kSetTextColor = 24,
    kCreateFont = 82,
    kTextOut = 84,
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
        EXPECT_TRUE(U_emf_record_safe(record.data()))
            << "record " << Word(bytes, at) << " at " << at;
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
        kHeader,       kMoveTo,       kLineTo,       kCreatePen,    kSelectObject, kCreateBrush,
        kSelectObject, kEllipse,      kCreatePen,    kSelectObject, kDeleteObject, kPolygon,
        kSelectObject, kDeleteObject, kSelectObject, kDeleteObject, kEof};
    EXPECT_EQ(RecordTypes(canvas.Finish()), expected);
}

// The records of the given type, each as its bytes.
std::vector<std::string> RecordsOf(const std::string& bytes, std::uint32_t type) {
    std::vector<std::string> records;
    for (std::size_t at = 0; at + 8 <= bytes.size(); at += Word(bytes, at + 4)) {
        if (Word(bytes, at) == type) records.push_back(bytes.substr(at, Word(bytes, at + 4)));
        if (Word(bytes, at + 4) < 8) break;
    }
    return records;
}

std::u16string Utf16At(const std::string& record, std::size_t offset, std::size_t units) {
    std::u16string text(units, u'\0');
    std::memcpy(text.data(), record.data() + offset, units * 2);
    return text;
}

TEST(EmfCanvas, TextCreatesItsFontSetsTheTextStateOnceAndWritesUtf16) {
    EmfCanvas canvas;
    canvas.SetPenColor({255, 0, 0});
    canvas.Text(100, 20, "Rφ", TextAlign::Center, 12);
    canvas.Text(100, 40, "Rφ", TextAlign::Center, 12);
    canvas.Text(100, 60, "x", TextAlign::Right, 16);
    const std::string& bytes = canvas.Finish();
    const std::vector<std::uint32_t> expected = {
        kHeader,  kCreateFont,   kSelectObject, kSetBkMode,    kSetTextColor, kSetTextAlign,
        kTextOut, kTextOut,      kCreateFont,   kSelectObject, kDeleteObject, kSetTextAlign,
        kTextOut, kSelectObject, kDeleteObject, kEof};
    EXPECT_EQ(RecordTypes(bytes), expected);

    const std::vector<std::string> fonts = RecordsOf(bytes, kCreateFont);
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(static_cast<std::int32_t>(Word(fonts[0], 12)), -12);  // the character height
    EXPECT_EQ(Utf16At(fonts[0], 40, 6), std::u16string(u"Arial\0", 6));
    EXPECT_EQ(static_cast<std::int32_t>(Word(fonts[1], 12)), -16);

    const std::vector<std::string> texts = RecordsOf(bytes, kTextOut);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(Word(texts[0], 36), 100u);  // the reference point
    EXPECT_EQ(Word(texts[0], 40), 20u);
    ASSERT_EQ(Word(texts[0], 44), 2u);  // two UTF-16 units
    EXPECT_EQ(Utf16At(texts[0], Word(texts[0], 48), 2), u"Rφ");
    EXPECT_EQ(Word(RecordsOf(bytes, kSetTextColor)[0], 8), 0x000000FFu);  // COLORREF red
    const std::vector<std::string> aligns = RecordsOf(bytes, kSetTextAlign);
    EXPECT_EQ(Word(aligns[0], 8), 6u);  // TA_CENTER | TA_TOP
    EXPECT_EQ(Word(aligns[1], 8), 2u);  // TA_RIGHT | TA_TOP
}

TEST(EmfCanvas, RfPhiPlotRecordsOneTextOutPerTextAndPassesTheRecordChecks) {
    const RfPhiPlotData data{{{1.5, 10.0}, {2.2, -30.0}, {3.1, 85.0}}, {2.0, 20.0}};
    testing_support::RecordingCanvas calls;
    DrawRfPhiPlot(data, calls, 500, 500);
    EmfCanvas canvas;
    DrawRfPhiPlot(data, canvas, 500, 500);
    const std::string& bytes = canvas.Finish();
    const std::vector<std::uint32_t> types = RecordTypes(bytes);
    const auto texts = std::count_if(calls.calls.begin(), calls.calls.end(),
                                     [](const std::string& c) { return c.rfind("Text ", 0) == 0; });
    EXPECT_EQ(std::count(types.begin(), types.end(), kTextOut), texts);
    // One font for the labels of the curves, one for the rest.
    EXPECT_EQ(std::count(types.begin(), types.end(), kCreateFont), 2);
    EXPECT_EQ(types.back(), kEof);
}

}  // namespace
}  // namespace varnel::plot
