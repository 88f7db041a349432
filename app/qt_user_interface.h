#pragma once

#include <QStringList>
#include <QWidget>
#include <string>

#include "app/user_interface.h"

namespace varnel::app {

/// Qt name filters from a "description|patterns|…" filter: each entry becomes
/// "description (pattern pattern)", with "*.*" read as every file.
QStringList NameFiltersFromFilter(const std::string& filter);

/// The index of the first of `nameFilters` whose patterns take the extension of `fileName`
/// ("*.pdf" for "p.pdf", in any case); -1 when none does or the name has no extension.
int NameFilterOfName(const QStringList& nameFilters, const QString& fileName);

/// Dialogs and message boxes of the desktop, parented to the given window.
class QtUserInterface : public UserInterface {
public:
    /// The window that parents every dialog; null until the main window exists.
    void SetParentWindow(QWidget* parent) { parent_ = parent; }

    std::optional<std::string> AskOpenFileName(const OpenDialogRequest& request) override;
    std::optional<std::string> AskSaveFileName(const SaveDialogRequest& request) override;
    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;

private:
    QWidget* parent_ = nullptr;
};

}  // namespace varnel::app
