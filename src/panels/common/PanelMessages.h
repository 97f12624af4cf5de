#pragma once

// The message boxes every card panel shows in the same words: the questions before Apply, Reset
// Defaults and a tray item, and the answers after them.

#include <QString>

#include <string>

#include "engine/RegMethods.h"
#include "platform/MessageBoxService.h"

namespace tunexa::panels::common {

// A box whose prompt is also its title, with an OK button.
void showTitled(platform::MessageBoxService& messages, const QString& text);

// "Are you sure?" under `title`. Any answer but Yes is told "Settings Not Applied"; true on Yes.
bool confirmApply(platform::MessageBoxService& messages, const QString& title);

// "Are you sure?" under "Restoring Defaults". Any answer but Yes is told "Defaults Not Restored";
// true on Yes.
bool confirmRestoreDefaults(platform::MessageBoxService& messages);
void showDefaultsRestored(platform::MessageBoxService& messages);

// A tray item's question: "Are you sure?" as prompt and title. True on Yes.
bool confirmQuickItem(platform::MessageBoxService& messages);

// "Settings Not Applied", with the reason on a second line when there is one.
void showNotApplied(platform::MessageBoxService& messages, const std::string& reason);

// After a tray item put a clock back to its default: "Default set", or why nothing was saved.
void showDefaultSet(platform::MessageBoxService& messages, const engine::WriteResult& result);

}  // namespace tunexa::panels::common
