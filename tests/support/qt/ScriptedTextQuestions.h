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
    ScriptedTextQuestions& answer(std::optional<QString> next) {
        answers_.push_back(std::move(next));
        return *this;
    }
    std::optional<QString> ask(const QString& prompt, const QString&) override {
        asked_.push_back(prompt);
        if (answers_.empty()) {
            return std::nullopt;
        }
        auto next = answers_.front();
        answers_.pop_front();
        return next;
    }
    const std::vector<QString>& asked() const { return asked_; }

  private:
    std::deque<std::optional<QString>> answers_;
    std::vector<QString> asked_;
};

}  // namespace tunexa::test
