#pragma once

// The platform services for tests. Message boxes: every box shown is recorded and answered with
// the next scripted answer; a box with no answer left, or an answer the box has no button for,
// fails the running test. Folder, file and text questions: answered with the next scripted text,
// or Cancel when none is left. Display modes: a fixed list, every switch recorded and answered as
// scripted. The power service accepts every request at once; the busy pointer counts its nesting;
// the tray icon records what the window asks of it and sends the clicks it is given.

#include <deque>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "platform/BusyPointer.h"
#include "platform/MessageBoxService.h"
#include "platform/PathChoices.h"
#include "platform/TextQuestions.h"
#include "platform/display/DisplayModes.h"
#include "platform/power/PowerService.h"
#include "platform/tray/TrayIcon.h"

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

inline std::optional<QString> nextAnswer(std::deque<QString>& answers) {
    std::optional<QString> next;
    if (!answers.empty()) {
        next = answers.front();
        answers.pop_front();
    }
    return next;
}

class ScriptedPathChoices final : public platform::PathChoices {
  public:
    std::optional<QString> chooseFolder(const QString&, const QString&) override {
        return nextAnswer(answers);
    }
    std::optional<QString> chooseFile(const QString&, const QString&, const QString&) override {
        return nextAnswer(answers);
    }
    std::deque<QString> answers;
};

class ScriptedTextQuestions final : public platform::TextQuestions {
  public:
    std::optional<QString> ask(const QString&, const QString&) override {
        return nextAnswer(answers);
    }
    std::deque<QString> answers;
};

class FakeDisplayModes final : public platform::DisplayModes {
  public:
    explicit FakeDisplayModes(std::vector<platform::DisplayMode> modes = {})
        : modes_(std::move(modes)) {}

    bool EnumerateDisplayMode(int index, platform::DisplayMode& mode) override {
        const bool listed = index >= 0 && static_cast<std::size_t>(index) < modes_.size();
        mode = listed ? modes_[static_cast<std::size_t>(index)] : mode;
        return listed;
    }
    // Each switch asked for, "<width>x<height>x<bits>", and the answer of every later one.
    std::vector<std::string> switches;
    int answer = platform::DISP_CHANGE_SUCCESSFUL;

  protected:
    int applyDisplayMode(std::uint32_t width, std::uint32_t height,
                         std::uint16_t bitsPerPel) override {
        switches.push_back(std::to_string(width) + "x" + std::to_string(height) + "x" +
                           std::to_string(bitsPerPel));
        return answer;
    }

  private:
    std::vector<platform::DisplayMode> modes_;
};

class FakePower final : public platform::PowerService {
  public:
    void ExitWindowsEx(platform::ExitWindowsFlags) override { emit answered({true, {}}); }
};

class FakeBusyPointer final : public platform::BusyPointer {
  public:
    void begin() override { ++depth; }
    void end() override { --depth; }
    int depth = 0;
};

class FakeTrayIcon final : public platform::TrayIcon {
  public:
    void add(const QIcon&, const QString& text) override { tooltip = text; }
    void remove() override { tooltip.clear(); }
    bool isAdded() const override { return !tooltip.isEmpty(); }
    bool hostAvailable() const override { return withHost; }
    void popUp(QMenu* menu) override { poppedUp = menu; }
    void click(platform::TrayClick kind) { emit clicked(kind); }

    QString tooltip;            // while added
    QMenu* poppedUp = nullptr;  // the menu opened last
    bool withHost = true;       // whether there is a tray to show the icon in
};

}  // namespace tunexa::test

namespace tunexa::platform {
// Comparison and readable failure output for recorded boxes (found by argument lookup).
bool operator==(const MessageBox& a, const MessageBox& b);
void PrintTo(const MessageBox& box, std::ostream* out);
}  // namespace tunexa::platform
