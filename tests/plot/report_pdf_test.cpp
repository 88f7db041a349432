#include "plot/report_pdf.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "core/varnel_error.h"
#include "tests/plot/plot_test_state.h"
#include "tests/support/pdf_text.h"
#include "tests/support/test_folder.h"

namespace varnel::plot {
namespace {

int Count(const std::string& text, const std::string& what) {
    int count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

std::string PdfTextOf(const std::string& bytes) {
    const testing_support::TestFolder folder;
    const std::string pdf = folder.PathOf("report.pdf");
    std::ofstream(pdf, std::ios::binary) << bytes;
    return testing_support::PdfText(pdf);
}

ReportPdfContent Content(const AnalysisState& state, std::vector<std::string> methods) {
    return ReportContentOf(state, 95, std::move(methods), '.', "2026-01-02");
}

TEST(ReportPdf, IsOneA4PageOfVectorsWithoutMethods) {
    const auto state = testing_support::AnalysedState();
    const std::string pdf = ReportPdfBytes(*state, Content(*state, {}), '.');
    EXPECT_EQ(Count(pdf, "/Type /Page\n") + Count(pdf, "/Type /Page "), 1);
    EXPECT_NE(pdf.find("/MediaBox [0 0 595"), std::string::npos);
    EXPECT_EQ(pdf.find("/Subtype /Image"), std::string::npos);
}

TEST(ReportPdf, PutsTheMethodsOnASecondPage) {
    const auto state = testing_support::AnalysedState();
    const std::string pdf = ReportPdfBytes(*state, Content(*state, {"", "Fabric tests"}), '.');
    EXPECT_EQ(Count(pdf, "/Type /Page\n") + Count(pdf, "/Type /Page "), 2);
}

TEST(ReportPdf, HoldsTheHeadingTheReportAndTheMethodsAsText) {
    const auto state = testing_support::AnalysedState();
    state->DataFileName = "/somewhere/sample.txt";
    const ReportPdfContent content = Content(*state, {"no strain: F = 12.500, p = 0.0001"});
    ASSERT_EQ(content.report.size(), 27u);
    const std::string text = PdfTextOf(ReportPdfBytes(*state, content, '.'));
    EXPECT_NE(text.find("File: sample.txt N = 40 Confidence level: 95 % Date: 2026-01-02"),
              std::string::npos)
        << text;
    for (const std::string& line : content.report) {
        EXPECT_NE(text.find(testing_support::CollapsedBlanks(line)), std::string::npos) << line;
    }
    EXPECT_NE(text.find("no strain: F = 12.500, p = 0.0001"), std::string::npos);
}

TEST(ReportPdf, ExportNeedsAnAnalysis) {
    const auto empty = std::make_unique<AnalysisState>();
    const testing_support::TestFolder folder;
    try {
        ExportReportPdf(*empty, {}, (folder.Path() / "r.pdf").string(), '.');
        FAIL();
    } catch (const VarnelError& error) {
        EXPECT_STREQ(error.what(), "No data loaded.");
    }
}

}  // namespace
}  // namespace varnel::plot
