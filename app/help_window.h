#pragma once

#include <QDialog>

class QTextBrowser;

namespace varnel::app {

/// Help > Contents: the program's help pages, compiled in, in a browser that follows their
/// links. Not modal; it reads no file and no network.
class TFormHelp : public QDialog {
public:
    explicit TFormHelp(QWidget* parent = nullptr);

    /// Shows the page at `url` (a "qrc:/help/…" address).
    void ShowPage(const QString& url);

private:
    QTextBrowser* HelpBrowser = nullptr;
};

}  // namespace varnel::app
