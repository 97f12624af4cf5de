#pragma once

// How the engine reads the main window's controls by name without knowing any widget type:
// the window implements this, tests hand in a table.

#include <string>
#include <string_view>

namespace tunexa::engine {

class ControlReader {
  public:
    virtual ~ControlReader() = default;
    // A label's caption, in Windows-1252 (the store's text).
    virtual std::string caption(std::string_view labelName) const = 0;
    // A check box's value: 0 unchecked, 1 checked.
    virtual int checkValue(std::string_view checkBoxName) const = 0;
    // The text of a list's selected item in Windows-1252; empty when nothing is selected.
    virtual std::string selectedText(std::string_view listName) const = 0;
};

}  // namespace tunexa::engine
