#pragma once

#include <QApplication>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/user_interface.h"

namespace varnel::testing_support {

/// Answers the dialogs from queued answers (cancel when none is queued) and records every
/// request and every message, with whether the busy cursor was up at that moment.
class ScriptedUserInterface : public app::UserInterface {
public:
    std::deque<std::optional<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::vector<app::OpenDialogRequest> openRequests;
    std::vector<app::SaveDialogRequest> saveRequests;
    std::vector<std::string> messages;
    std::vector<std::string> errors;
    bool busyCursorAtLastDialog = false;
    /// Runs as each message box opens, to look at the window behind it.
    std::function<void()> whileMessageShows;

    std::optional<std::string> AskOpenFileName(const app::OpenDialogRequest& request) override {
        openRequests.push_back(request);
        return Next(openAnswers);
    }
    std::optional<std::string> AskSaveFileName(const app::SaveDialogRequest& request) override {
        saveRequests.push_back(request);
        return Next(saveAnswers);
    }
    void ShowMessage(const std::string& text) override {
        messages.push_back(text);
        if (whileMessageShows) whileMessageShows();
    }
    void ShowError(const std::string& text) override { errors.push_back(text); }

private:
    std::optional<std::string> Next(std::deque<std::optional<std::string>>& answers) {
        const QCursor* cursor = QApplication::overrideCursor();
        busyCursorAtLastDialog = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
        if (answers.empty()) return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace varnel::testing_support
