#include "app/qt_user_interface.h"

#include <QApplication>
#include <QFileDialog>
#include <QFont>
#include <QMessageBox>
#include <QRegularExpression>
#include <QString>

#include "core/messages.h"

namespace varnel::app {
namespace {

QString ToQString(const std::string& text) { return QString::fromStdString(text); }

/// "\r\n" is the program's line break; Qt's boxes break at "\n".
QString MessageText(const std::string& text) {
    return ToQString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

/// The extension of a filter's first "*.ext" pattern, or empty.
QString ExtensionOfNameFilter(const QString& nameFilter) {
    static const QRegularExpression pattern(QStringLiteral("^\\(\\*\\.(\\w+)"));
    const qsizetype open = nameFilter.lastIndexOf(QLatin1Char('('));
    if (open < 0) return QString();
    const QRegularExpressionMatch match = pattern.match(nameFilter.mid(open));
    return match.hasMatch() ? match.captured(1) : QString();
}

/// The error box's texts are mostly the runtime's Japanese ones: after the font's own family,
/// a Japanese font (IPAex Gothic, installed with the program) draws the characters it lacks,
/// rather than whichever CJK font the system would fall back to.
QFont WithJapaneseFallback(QFont font) {
    QStringList families = font.families();
    if (families.isEmpty()) families << font.family();
    families << QStringLiteral("IPAexGothic");
    font.setFamilies(families);
    return font;
}

/// While a box is open the user sees the normal cursor, even inside a busy command.
class NormalCursorWhileOpen {
public:
    NormalCursorWhileOpen() : active_(QApplication::overrideCursor() != nullptr) {
        if (active_) QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~NormalCursorWhileOpen() {
        if (active_) QApplication::restoreOverrideCursor();
    }
    NormalCursorWhileOpen(const NormalCursorWhileOpen&) = delete;
    NormalCursorWhileOpen& operator=(const NormalCursorWhileOpen&) = delete;

private:
    bool active_;
};

void ShowBox(QWidget* parent, QMessageBox::Icon icon, const std::string& text) {
    NormalCursorWhileOpen normalCursor;
    QMessageBox box(icon, QString::fromUtf8(kApplicationTitle), MessageText(text), QMessageBox::Ok,
                    parent);
    if (icon == QMessageBox::Critical) box.setFont(WithJapaneseFallback(box.font()));
    box.exec();
}

}  // namespace

QStringList NameFiltersFromFilter(const std::string& filter) {
    const QStringList parts = ToQString(filter).split(QLatin1Char('|'));
    QStringList nameFilters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            if (p == QStringLiteral("*.*")) p = QStringLiteral("*");
        }
        nameFilters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                           QLatin1Char(')');
    }
    return nameFilters;
}

std::optional<std::string> QtUserInterface::AskOpenFileName(const OpenDialogRequest& request) {
    NormalCursorWhileOpen normalCursor;
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(NameFiltersFromFilter(request.filter));
    if (!request.initialFolder.empty()) dialog.setDirectory(ToQString(request.initialFolder));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst().toStdString();
}

int NameFilterOfName(const QStringList& nameFilters, const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || fileName.indexOf(QLatin1Char('/'), dot) >= 0) return -1;
    const QString pattern = QStringLiteral("*") + fileName.mid(dot).toLower();
    for (qsizetype i = 0; i < nameFilters.size(); ++i) {
        const qsizetype open = nameFilters[i].lastIndexOf(QLatin1Char('('));
        const QStringList patterns =
            nameFilters[i].mid(open + 1).chopped(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (patterns.contains(pattern)) return static_cast<int>(i);
    }
    return -1;
}

std::optional<std::string> QtUserInterface::AskSaveFileName(const SaveDialogRequest& request) {
    NormalCursorWhileOpen normalCursor;
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    const QStringList nameFilters = NameFiltersFromFilter(request.filter);
    dialog.setNameFilters(nameFilters);
    dialog.setDefaultSuffix(ToQString(request.defaultExtension));
    // The filter shown is the one of the offered name's extension, which the name keeps.
    if (const int shown = NameFilterOfName(nameFilters, ToQString(request.initialPath));
        shown >= 0) {
        dialog.selectNameFilter(nameFilters[shown]);
        const QString extension = ExtensionOfNameFilter(nameFilters[shown]);
        if (!extension.isEmpty()) dialog.setDefaultSuffix(extension);
    }
    if (!request.initialPath.empty()) dialog.selectFile(ToQString(request.initialPath));
    // A name typed without extension takes the extension of the chosen filter.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& nameFilter) {
                         const QString extension = ExtensionOfNameFilter(nameFilter);
                         if (!extension.isEmpty()) dialog.setDefaultSuffix(extension);
                     });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst().toStdString();
}

void QtUserInterface::ShowMessage(const std::string& text) {
    ShowBox(parent_, QMessageBox::NoIcon, text);
}

void QtUserInterface::ShowError(const std::string& text) {
    ShowBox(parent_, QMessageBox::Critical, text);
}

}  // namespace varnel::app
