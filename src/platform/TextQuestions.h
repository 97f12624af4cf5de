#pragma once

// A modal question answered with one line of text (a profile's name), OK and Cancel, no icon.
// Handlers receive this interface so tests can script the answers.

#include <QString>

#include <optional>

namespace tunexa::platform {

class TextQuestions {
  public:
    virtual ~TextQuestions() = default;
    // The text entered; nothing on Cancel.
    virtual std::optional<QString> ask(const QString& prompt, const QString& title) = 0;
};

}  // namespace tunexa::platform
