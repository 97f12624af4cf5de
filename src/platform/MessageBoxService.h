#pragma once

// Modal message boxes: a prompt, a title and one of three button sets, no icon; the pressed
// button comes back. Handlers receive this interface so tests can script the answers.

#include <QString>

namespace tunexa::platform {

enum class MessageButtons { Ok, YesNo, OkCancel };

enum class MessageAnswer { Ok, Cancel, Yes, No };

// The title of a box shown without its own title.
inline constexpr const char* kProgramTitle = "Tunexa";

// One box as the program asks for it. A line break in the prompt is CR LF, as the messages are
// written; implementations show it as a line break.
struct MessageBox {
    QString prompt;
    QString title;
    MessageButtons buttons = MessageButtons::Ok;
};

class MessageBoxService {
  public:
    virtual ~MessageBoxService() = default;

    MessageAnswer show(const QString& prompt, const QString& title, MessageButtons buttons) {
        return present(MessageBox{prompt, title, buttons});
    }
    // A box without its own title carries the program title.
    MessageAnswer show(const QString& prompt, MessageButtons buttons = MessageButtons::Ok) {
        return present(MessageBox{prompt, QString::fromLatin1(kProgramTitle), buttons});
    }

  protected:
    virtual MessageAnswer present(const MessageBox& box) = 0;
};

// The answer a box gives when it is closed without a button (Escape, window close): the
// button that declines (No, Cancel), or OK for a notice.
MessageAnswer closingAnswer(MessageButtons buttons);

// True when `answer` is one of the buttons of `buttons`.
bool answerFits(MessageButtons buttons, MessageAnswer answer);

// The prompt with each CR LF (and any lone CR) turned into the toolkit's line break.
QString displayedPrompt(const QString& prompt);

}  // namespace tunexa::platform
