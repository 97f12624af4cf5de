#pragma once

// Message boxes for tests: every box shown is recorded, and each is answered with the next
// scripted answer. A box with no answer left, or an answer the box has no button for, fails the
// running test.

#include <deque>
#include <iosfwd>
#include <vector>

#include "platform/MessageBoxService.h"

namespace tunexa::test {

class ScriptedMessageBoxes final : public platform::MessageBoxService {
  public:
    // Scripts the answer to the next box not yet answered.
    ScriptedMessageBoxes& answer(platform::MessageAnswer next);

    const std::vector<platform::MessageBox>& shown() const { return shown_; }
    // The scripted answers not used yet.
    std::size_t pending() const { return answers_.size(); }

  protected:
    platform::MessageAnswer present(const platform::MessageBox& box) override;

  private:
    std::deque<platform::MessageAnswer> answers_;
    std::vector<platform::MessageBox> shown_;
};

}  // namespace tunexa::test

namespace tunexa::platform {
// Comparison and readable failure output for recorded boxes (found by argument lookup).
bool operator==(const MessageBox& a, const MessageBox& b);
void PrintTo(const MessageBox& box, std::ostream* out);
}  // namespace tunexa::platform
