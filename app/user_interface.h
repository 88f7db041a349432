#pragma once

#include <optional>
#include <string>

namespace varnel::app {

/// What an open-file dialog offers: a filter in "description|patterns|…" form
/// ("Text files (*.txt)|*.txt;*.prn|All files (*,*)|*.*") and the folder it starts in
/// (empty for the dialog's own choice).
struct OpenDialogRequest {
    std::string filter;
    std::string initialFolder;
};

/// What a save-file dialog offers: the filter, the extension added to a name typed without
/// one (no dot), whether choosing an existing file asks before overwriting, and the name to
/// offer first (empty for none).
struct SaveDialogRequest {
    std::string filter;
    std::string defaultExtension;
    bool confirmOverwrite = false;
    std::string initialPath;
};

/// The dialogs and message boxes the commands use. The window talks to the user only through
/// this, so the commands run headlessly under a scripted implementation.
class UserInterface {
public:
    virtual ~UserInterface() = default;
    /// The chosen path, or nothing when the user cancels.
    virtual std::optional<std::string> AskOpenFileName(const OpenDialogRequest& request) = 0;
    /// The chosen path with the default extension applied, or nothing when the user cancels.
    virtual std::optional<std::string> AskSaveFileName(const SaveDialogRequest& request) = 0;
    /// A modal message with one OK button, captioned with the application title;
    /// "\r\n" in the text separates two lines.
    virtual void ShowMessage(const std::string& text) = 0;
    /// The error box: error icon, application title as caption, one OK button.
    virtual void ShowError(const std::string& text) = 0;
};

}  // namespace varnel::app
