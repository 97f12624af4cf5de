#pragma once

// Folder and file choices for tests: each is answered with the next scripted path, or Cancel
// (nothing) when none is left.

#include <QString>

#include <deque>
#include <optional>

#include "platform/PathChoices.h"

namespace tunexa::test {

class ScriptedPathChoices final : public platform::PathChoices {
  public:
    std::optional<QString> chooseFolder(const QString&, const QString&) override { return next(); }
    std::optional<QString> chooseFile(const QString&, const QString&, const QString&) override {
        return next();
    }
    std::deque<QString> answers;

  private:
    std::optional<QString> next() {
        if (answers.empty()) {
            return std::nullopt;
        }
        const QString path = answers.front();
        answers.pop_front();
        return path;
    }
};

}  // namespace tunexa::test
