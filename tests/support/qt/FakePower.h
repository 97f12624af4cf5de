#pragma once

// The power service for tests: records each request and answers it at once with the scripted
// answer (accepted unless refuse() was called).

#include <vector>

#include "platform/power/PowerService.h"

namespace tunexa::test {

class FakePower final : public platform::PowerService {
  public:
    // Every later request is refused with `reason`.
    void refuse(const QString& reason) { answer_ = {false, reason}; }
    // Every later request is accepted (the default).
    void accept() { answer_ = {true, {}}; }

    void ExitWindowsEx(platform::ExitWindowsFlags flags) override {
        requests_.push_back(flags);
        emit answered(answer_);
    }

    const std::vector<platform::ExitWindowsFlags>& requests() const { return requests_; }

  private:
    platform::PowerAnswer answer_{true, {}};
    std::vector<platform::ExitWindowsFlags> requests_;
};

}  // namespace tunexa::test
