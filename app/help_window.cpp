#include "app/help_window.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

// The resource of a static library is registered by hand, outside any namespace.
static void RegisterHelpPages() { Q_INIT_RESOURCE(help); }

namespace varnel::app {

TFormHelp::TFormHelp(QWidget* parent) : QDialog(parent) {
    RegisterHelpPages();
    setObjectName(QStringLiteral("FormHelp"));
    setWindowTitle(QStringLiteral("Varnel – Help"));
    setModal(false);
    HelpBrowser = new QTextBrowser(this);
    HelpBrowser->setObjectName(QStringLiteral("HelpBrowser"));
    // Links to other pages stay inside; an outside address (a reference's DOI) is not followed.
    HelpBrowser->setOpenExternalLinks(false);
    auto* back = new QPushButton(QStringLiteral("&Back"), this);
    back->setObjectName(QStringLiteral("ButtonHelpBack"));
    auto* contents = new QPushButton(QStringLiteral("&Contents"), this);
    contents->setObjectName(QStringLiteral("ButtonHelpContents"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(contents);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(HelpBrowser);
    connect(back, &QPushButton::clicked, HelpBrowser, &QTextBrowser::backward);
    connect(HelpBrowser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(contents, &QPushButton::clicked, this,
            [this] { ShowPage(QStringLiteral("qrc:/help/index.html")); });
    back->setEnabled(false);
    resize(720, 640);
    ShowPage(QStringLiteral("qrc:/help/index.html"));
}

void TFormHelp::ShowPage(const QString& url) { HelpBrowser->setSource(QUrl(url)); }

}  // namespace varnel::app
