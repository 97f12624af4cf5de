#include "FakePlatform.h"

#include <gtest/gtest.h>

namespace tunexa::test {

ScriptedMessageBoxes& ScriptedMessageBoxes::answer(platform::MessageAnswer next) {
    answers_.push_back(next);
    return *this;
}

platform::MessageAnswer ScriptedMessageBoxes::present(const platform::MessageBox& box) {
    shown_.push_back(box);
    const bool scripted = !answers_.empty();
    const auto next = scripted ? answers_.front() : platform::closingAnswer(box.buttons);
    if (scripted) {
        answers_.pop_front();
    }
    if (!scripted || !platform::answerFits(box.buttons, next)) {
        ADD_FAILURE() << (scripted ? "scripted answer has no button on "
                                   : "unexpected message box: ")
                      << testing::PrintToString(box);
        return platform::closingAnswer(box.buttons);
    }
    return next;
}

}  // namespace tunexa::test

namespace tunexa::platform {

void PrintTo(const MessageBox& box, std::ostream* out) {
    static constexpr const char* kButtonNames[] = {"OK", "Yes/No", "OK/Cancel"};
    *out << "{title \"" << box.title.toStdString() << "\", prompt \"" << box.prompt.toStdString()
         << "\", " << kButtonNames[static_cast<int>(box.buttons)] << "}";
}

bool operator==(const MessageBox& a, const MessageBox& b) {
    return a.prompt == b.prompt && a.title == b.title && a.buttons == b.buttons;
}

}  // namespace tunexa::platform
