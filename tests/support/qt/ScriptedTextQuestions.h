#pragma once

// Text questions for tests: each is answered with the next scripted text (nothing = Cancel);
// every question asked is recorded.

#include <QString>

#include <deque>
#include <optional>
#include <utility>
#include <vector>

#include "platform/TextQuestions.h"

namespace tunexa::test {

class ScriptedTextQuestions final : public platform::TextQuestions {
  public:
    // The next question is answered with `text`, or cancelled.
    ScriptedTextQuestions& answer(const QString& text) {
        answers_.push_back({true, text});
        return *this;
    }
    ScriptedTextQuestions& cancel() {
        answers_.push_back({false, {}});
        return *this;
    }
    std::optional<QString> ask(const QString& prompt, const QString&) override {
        asked_.push_back(prompt);
        if (answers_.empty() || !answers_.front().first) {
            if (!answers_.empty()) {
                answers_.pop_front();
            }
            return std::nullopt;
        }
        const QString text = answers_.front().second;
        answers_.pop_front();
        return text;
    }
    const std::vector<QString>& asked() const { return asked_; }

  private:
    std::deque<std::pair<bool, QString>> answers_;
    std::vector<QString> asked_;
};

}  // namespace tunexa::test
