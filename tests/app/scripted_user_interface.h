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
/// request and every message, with whether the busy cursor was up at that moment. A message's
/// English detail (after a line feed without a carriage return) is recorded apart, "" for none.
class ScriptedUserInterface : public app::UserInterface {
public:
    std::deque<std::optional<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::vector<app::OpenDialogRequest> openRequests;
    std::vector<app::SaveDialogRequest> saveRequests;
    std::vector<std::string> messages;
    std::vector<std::string> messageDetails;
    std::vector<std::string> errors;
    std::vector<std::string> errorDetails;
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
        Record(text, messages, messageDetails);
        if (whileMessageShows) whileMessageShows();
    }
    void ShowError(const std::string& text) override { Record(text, errors, errorDetails); }

private:
    static void Record(const std::string& text, std::vector<std::string>& texts,
                       std::vector<std::string>& details) {
        std::size_t at = text.find('\n');
        while (at != std::string::npos && at > 0 && text[at - 1] == '\r') {
            at = text.find('\n', at + 1);
        }
        texts.push_back(text.substr(0, at));
        details.push_back(at == std::string::npos ? "" : text.substr(at + 1));
    }
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
