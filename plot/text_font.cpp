#include "plot/text_font.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <algorithm>
#include <clocale>
#include <cstdio>

namespace varnel::plot {

QFont PlotTextFont(int pixelHeight) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(pixelHeight, 1));
    return font;
}

TextLayout LayOutText(const std::string& text, int pixelHeight) {
    TextLayout layout;
    layout.text = QString::fromStdString(text);
    const QFontMetrics metrics(PlotTextFont(pixelHeight));
    layout.width = metrics.horizontalAdvance(layout.text);
    layout.ascent = metrics.ascent();
    layout.height = metrics.height();
    for (const QChar unit : layout.text) layout.advances.push_back(metrics.horizontalAdvance(unit));
    return layout;
}

int TextLeft(int x, int width, TextAlign align) {
    switch (align) {
        case TextAlign::Left:
            return x;
        case TextAlign::Center:
            return x - width / 2;
        case TextAlign::Right:
            return x - width;
    }
    return x;
}

namespace {

QtMessageHandler previousMessageHandler = nullptr;

// The off-screen platform warns that it has no runtime folder, which drawing text never needs;
// other messages go on as before.
void MessageHandlerWithoutRuntimeFolderWarning(QtMsgType type, const QMessageLogContext& context,
                                               const QString& message) {
    if (message.startsWith(QStringLiteral("QStandardPaths:"))) return;
    if (previousMessageHandler != nullptr) {
        previousMessageHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

}  // namespace

TextSupport::TextSupport() {
    if (QCoreApplication::instance() != nullptr) return;
    previousMessageHandler = qInstallMessageHandler(MessageHandlerWithoutRuntimeFolderWarning);
    // The application takes the C library's locale from the environment; the numbers of the
    // program that asked for text keep the one they had.
    const std::string locale = std::setlocale(LC_ALL, nullptr);
    for (std::string& argument : argumentText_) arguments_.push_back(argument.data());
    argumentCount_ = static_cast<int>(arguments_.size());
    arguments_.push_back(nullptr);
    application_ = std::make_unique<QGuiApplication>(argumentCount_, arguments_.data());
    std::setlocale(LC_ALL, locale.c_str());
}

TextSupport::~TextSupport() {
    if (application_ == nullptr) return;
    application_.reset();
    qInstallMessageHandler(previousMessageHandler);
}

bool TextSupport::Available() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

}  // namespace varnel::plot
