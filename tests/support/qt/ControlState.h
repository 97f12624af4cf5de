#pragma once

// A window's controls and tray groups read and set as text, by name, for tests that compare what
// the window shows: a slider's position, a check box's value, a list's selected text, a label's
// text, "enabled" or "disabled" for any other widget or for any widget named with a leading '!',
// and a tray group's checked items ("3", "0,1", "" for none).

#include <QObject>

#include <string>
#include <vector>

namespace tunexa::test {

std::string controlState(const QObject& window, const std::string& name);

// Sets controls from "<name>=<state>" texts (sliders, check boxes, lists by item text); names with
// a leading '!' are only read.
void setControls(const QObject& window, const std::vector<const char*>& states);

// "<name>=<state>" for every tray group under `window`.
std::vector<std::string> trayStates(const QObject& window);

}  // namespace tunexa::test
