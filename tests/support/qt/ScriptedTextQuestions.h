#pragma once

// Text questions for tests: each is answered with the next scripted text (nothing = Cancel);
// every question asked is recorded.

#include <QString>

#include <deque>
#include <optional>
#include <vector>

#include "platform/TextQuestions.h"

namespace tunexa::test {

class ScriptedTextQuestions final : public platform::TextQuestions {
  public:
    // The next question is answered with `text`, or cancelled.
    ScriptedTextQuestions& answer(const QString& text) {
        answers_.emplace_back(text);
        return *this;
    }
    ScriptedTextQuestions& cancel() {
        answers_.emplace_back();
        return *this;
    }
    std::optional<QString> ask(const QString& prompt, const QString&) override {
        asked_.push_back(prompt);
        std::optional<QString> next;
        if (!answers_.empty()) {
            next = answers_.front();
            answers_.pop_front();
        }
        return next;
    }
    const std::vector<QString>& asked() const { return asked_; }

  private:
    std::deque<std::optional<QString>> answers_;
    std::vector<QString> asked_;
};

}  // namespace tunexa::test
