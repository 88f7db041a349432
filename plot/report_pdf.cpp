#include "plot/report_pdf.h"

#include <QBuffer>
#include <QByteArray>
#include <QDate>
#include <QFont>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "core/data_file_guard.h"
#include "core/messages.h"
#include "core/report.h"
#include "core/varnel_error.h"
#include "plot/null_canvas.h"
#include "plot/painter_canvas.h"
#include "plot/picture_export.h"
#include "plot/plot_drawing.h"
#include "plot/plot_frames.h"
#include "plot/rfphi_plot.h"
#include "plot/text_font.h"

namespace varnel::plot {
namespace {

// Sizes in pixels of 1/96 inch: 13 pixels are 9.75 pt, a comfortable size on paper.
constexpr int kTitleHeight = 20;
constexpr int kTextHeight = 13;
constexpr int kLineStep = 17;
constexpr int kPlotSide = 340;   // two plots and their gap fill the width between the margins
constexpr int kRfPhiSide = 440;  // beside the report's column

QFont TextFont(int pixelHeight, bool bold = false) {
    QFont font = PlotTextFont(pixelHeight);
    font.setBold(bold);
    return font;
}

// A fixed-pitch font, so the report's numbers line up as in the window's memo.
QFont ReportFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(kTextHeight);
    return font;
}

// Draws one plot, laid out for a square of `side` pixels, with its top-left corner at
// (left, top), clipped to its square and outlined.
void DrawPlotAt(QPainter& painter, int left, int top, int side,
                const std::function<void(Canvas&)>& draw) {
    painter.save();
    painter.translate(left, top);
    painter.setClipRect(QRect(0, 0, side, side));
    // Integer positions name pixels; their outlines run through the pixel centres.
    painter.translate(0.5, 0.5);
    PainterCanvas canvas(&painter, false);
    draw(canvas);
    canvas.FlushLines();
    painter.restore();
    painter.setPen(QPen(Qt::gray, 0.75));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(left, top, side, side));
}

void DrawCaption(QPainter& painter, int left, int bottom, const char* caption) {
    painter.setFont(TextFont(kTextHeight, true));
    painter.setPen(Qt::black);
    painter.drawText(QPointF(left, bottom), QString::fromUtf8(caption));
}

// Heading, the two plots side by side, then the report beside the Rf/φ plot.
void DrawFirstPage(QPainter& painter, const AnalysisState& state, const ReportPdfContent& content,
                   char decimalSeparator) {
    const int left = kReportMargin;
    int y = kReportMargin + kTitleHeight;
    painter.setPen(Qt::black);
    painter.setFont(TextFont(kTitleHeight, true));
    painter.drawText(QPointF(left, y), QStringLiteral("Varnel strain report"));
    y += kLineStep + 4;
    painter.setFont(TextFont(kTextHeight));
    painter.drawText(QPointF(left, y),
                     QStringLiteral("File: %1    N = %2    Confidence level: %3 %    Date: %4")
                         .arg(QString::fromStdString(content.fileName))
                         .arg(content.dataCount)
                         .arg(content.levelPercent)
                         .arg(QString::fromStdString(content.date)));
    y += 2 * kLineStep;
    const int right = kReportPageWidth - kReportMargin - kPlotSide;
    DrawCaption(painter, left, y, "Post-strain");
    DrawCaption(painter, right, y, "Pre-strain");
    y += 6;
    NullCanvas screen;  // the page has no on-screen picture to clear
    DrawPlotAt(painter, left, y, kPlotSide,
               [&](Canvas& canvas) { DrawPostStrainPlot(state, canvas, screen, kPlotSide); });
    DrawPlotAt(painter, right, y, kPlotSide,
               [&](Canvas& canvas) { DrawPreStrainPlot(state, canvas, screen, kPlotSide); });
    y += kPlotSide + 2 * kLineStep;
    const int rfphiLeft = kReportPageWidth - kReportMargin - kRfPhiSide;
    DrawCaption(painter, left, y, "Report");
    DrawCaption(painter, rfphiLeft, y, "Rf/phi plot");
    const RfPhiPlotData rfphi = RfPhiDataOf(state, decimalSeparator);
    DrawPlotAt(painter, rfphiLeft, y + 6, kRfPhiSide,
               [&](Canvas& canvas) { DrawRfPhiPlot(rfphi, canvas, kRfPhiSide, kRfPhiSide); });
    painter.setPen(Qt::black);
    painter.setFont(ReportFont());
    y += 6;
    for (const std::string& line : content.report) {
        y += kLineStep - 2;
        painter.drawText(QPointF(left, y), QString::fromStdString(line));
    }
}

// The estimators, tests and bootstrap, each line wrapped to the width between the margins.
void DrawMethodsPage(QPainter& painter, const ReportPdfContent& content) {
    const int width = kReportPageWidth - 2 * kReportMargin;
    int y = kReportMargin;
    painter.setPen(Qt::black);
    painter.setFont(TextFont(kTitleHeight, true));
    painter.drawText(QPointF(kReportMargin, y + kTitleHeight),
                     QStringLiteral("Estimators, fabric tests and bootstrap: %1")
                         .arg(QString::fromStdString(content.fileName)));
    y += kTitleHeight + kLineStep;
    for (const std::string& line : content.methods) {
        // Section headings are the lines without a colon.
        const bool heading = !line.empty() && line.find(':') == std::string::npos;
        painter.setFont(TextFont(kTextHeight, heading));
        const QRect box(kReportMargin, y, width, kReportPageHeight - kReportMargin - y);
        const QRect used =
            painter.boundingRect(box, Qt::TextWordWrap, QString::fromStdString(line));
        painter.drawText(box, Qt::TextWordWrap, QString::fromStdString(line));
        y += line.empty() ? kLineStep / 2 : std::max(used.height(), kLineStep) + 2;
    }
}

}  // namespace

std::string TodaysDate() { return QDate::currentDate().toString(Qt::ISODate).toStdString(); }

ReportPdfContent ReportContentOf(const AnalysisState& state, int levelPercent,
                                 std::vector<std::string> methodsLines, char decimalSeparator,
                                 std::string date) {
    return ReportPdfContent{FileNameWithoutFolder(state.DataFileName),
                            state.DataCount,
                            levelPercent,
                            std::move(date),
                            WriteReport(state, decimalSeparator),
                            std::move(methodsLines)};
}

std::string ReportPdfBytes(const AnalysisState& state, const ReportPdfContent& content,
                           char decimalSeparator) {
    const TextSupport text;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setCreator(kApplicationTitle);
    writer.setTitle(
        QStringLiteral("Varnel report: %1").arg(QString::fromStdString(content.fileName)));
    writer.setResolution(96);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter painter(&writer);
    DrawFirstPage(painter, state, content, decimalSeparator);
    if (!content.methods.empty()) {
        writer.newPage();
        DrawMethodsPage(painter, content);
    }
    painter.end();
    return bytes.toStdString();
}

void ExportReportPdf(const AnalysisState& state, const ReportPdfContent& content,
                     const std::string& path, char decimalSeparator) {
    if (state.DataCount < 3 || !PlotFramesExist(state)) throw VarnelError(kNoDataForPictureMessage);
    RefuseSaveOverDataFile(state, path);
    SavePictureFile(path, ReportPdfBytes(state, content, decimalSeparator));
}

}  // namespace varnel::plot
