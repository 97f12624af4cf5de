#pragma once

// Folder and file choices for tests: each is answered with the next scripted path (nothing =
// Cancel); every title asked under is recorded.

#include <QString>

#include <deque>
#include <optional>
#include <vector>

#include "platform/PathChoices.h"

namespace tunexa::test {

class ScriptedPathChoices final : public platform::PathChoices {
  public:
    // The next choice is `path`, or cancelled (nothing).
    void answer(std::optional<QString> path) { answers_.push_back(std::move(path)); }
    std::optional<QString> chooseFolder(const QString& title, const QString&) override {
        return next(title);
    }
    std::optional<QString> chooseFile(const QString& title, const QString&,
                                      const QString&) override {
        return next(title);
    }
    const std::vector<QString>& asked() const { return asked_; }

  private:
    std::optional<QString> next(const QString& title) {
        asked_.push_back(title);
        std::optional<QString> path;
        if (!answers_.empty()) {
            path = answers_.front();
            answers_.pop_front();
        }
        return path;
    }

    std::deque<std::optional<QString>> answers_;
    std::vector<QString> asked_;
};

}  // namespace tunexa::test
