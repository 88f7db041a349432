#include "app/data_window.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QStringList>
#include <QTableWidget>
#include <QVBoxLayout>
#include <numbers>

#include "core/orientation.h"
#include "core/report.h"
#include "input/ellipse_import.h"

namespace varnel::app {
namespace {

// Lines of a file this size or larger are not shown: the table is for checking, not reading.
constexpr qint64 kLargestFileShown = 64 * 1024 * 1024;

/// The file's lines as the data reader counts them (LF or CR LF; a Ctrl-Z byte ends the file);
/// empty when it cannot be read.
QStringList LinesOf(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (file.size() >= kLargestFileShown || !file.open(QIODevice::ReadOnly)) return {};
    QByteArray bytes = file.readAll();
    const qsizetype end = bytes.indexOf('\x1a');
    if (end >= 0) bytes.truncate(end);
    QStringList lines;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r')) line.chop(1);
        lines << QString::fromUtf8(line);
    }
    return lines;
}

/// A value as read: up to ten significant digits, which give back every number of a data file.
QString CellNumber(double value, char decimalSeparator) {
    return QString::number(value, 'g', 10).replace(QLatin1Char('.'), QLatin1Char(decimalSeparator));
}

}  // namespace

TFormData::TFormData(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormData"));
    setWindowTitle(QString::fromUtf8("Varnel – Data"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    DataStatus = new QLabel(this);
    DataStatus->setObjectName(QStringLiteral("DataStatus"));
    layout->addWidget(DataStatus);
    DataGrid = new QTableWidget(this);
    DataGrid->setObjectName(QStringLiteral("DataGrid"));
    DataGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DataGrid->verticalHeader()->setVisible(false);
    // One line of text a row: the style's default height would show half as many data.
    DataGrid->verticalHeader()->setDefaultSectionSize(DataGrid->fontMetrics().height() + 6);
    DataGrid->setWordWrap(false);  // a long line of the file is cut, whole in its tooltip
    DataGrid->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(DataGrid);
    resize(560, 520);
}

void TFormData::ShowData(const AnalysisState* state, char decimalSeparator) {
    DataGrid->clear();
    DataGrid->setRowCount(0);
    if (state == nullptr || state->DataCount < 1) {
        DataStatus->setText(QStringLiteral("No data: open a data file."));
        return;
    }
    // Outlines and an image's objects have no line of text of their own: they are numbered.
    const EllipseFileKind kind = DetectEllipseFileKind(state->DataFileName, decimalSeparator);
    const bool outlines = kind == EllipseFileKind::GeoJson || kind == EllipseFileKind::Image;
    const QStringList lines = outlines ? QStringList() : LinesOf(state->DataFileName);
    DataStatus->setText(QStringLiteral("%1   N = %2")
                            .arg(QString::fromStdString(FileNameWithoutFolder(state->DataFileName)))
                            .arg(state->DataCount));
    DataGrid->setColumnCount(outlines ? 3 : 4);
    QStringList header{kind == EllipseFileKind::Image ? QStringLiteral("Kept object")
                       : outlines                     ? QStringLiteral("Outline")
                                                      : QStringLiteral("Line"),
                       QStringLiteral("R"), QString::fromUtf8("φ (°)")};
    if (!outlines) header << QStringLiteral("In the file");
    DataGrid->setHorizontalHeaderLabels(header);
    DataGrid->setRowCount(state->DataCount);
    for (int i = 1; i <= state->DataCount; ++i) {
        const bool numbered = kind == EllipseFileKind::Image &&
                              static_cast<int>(state->ObjectNumbers.size()) == state->DataCount;
        const int line = numbered   ? state->ObjectNumbers[i - 1]
                         : outlines ? i
                                    : i + state->DataFirstLine - 1;
        QStringList cells{QString::number(line), CellNumber(state->RPost[i], decimalSeparator),
                          CellNumber(RadiansToDegrees(state->PhiPost[i]), decimalSeparator)};
        if (!outlines) cells << (line <= lines.size() ? lines[line - 1] : QString());
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[c]);
            DataGrid->setItem(i - 1, c, item);
        }
    }
    DataGrid->resizeColumnsToContents();
}

}  // namespace varnel::app
