#include "app/window_style.h"

namespace varnel::app {

QFont ProgramFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    return font;
}

QLabel* Heading(const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

}  // namespace varnel::app
