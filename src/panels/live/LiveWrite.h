#pragma once

// One live box's value stored the moment it is clicked, as its own recorded change. Another
// program holding the store is waited for only briefly, so a click never freezes the window;
// when the value could not be stored, the box goes back to what the store holds and the user is
// told why, so no box claims a setting that was not saved.

#include <QCheckBox>
#include <QString>

#include <functional>
#include <optional>
#include <string_view>

#include "platform/MessageBoxService.h"
#include "store/Changes.h"

namespace tunexa::panels {

// How long a live box's write waits for another program's transaction.
inline constexpr int kLiveWriteWaitMs = 750;

// A live box's change title: "<what>: <box caption> on" (or off).
QString liveTitle(const QString& what, const QCheckBox* box);

// The text "0" or "1" stored under HKEY_LOCAL_MACHINE as 0 or 1; anything else (another text,
// another type, nothing) as nothing.
std::optional<int> storedFlag(std::string_view key, std::string_view name);

class LiveWrite {
  public:
    explicit LiveWrite(platform::MessageBoxService& messages) : messages_(messages) {}

    // Stores what `write` writes as the change `title`, unless `stored()` already equals the box
    // or the box is being put back. When it is not stored, the box gets `stored()` (0, 1, or
    // nothing to untick it) without storing anything again, and the user hears why. False then.
    // `write` may add the files it wrote to the change.
    bool store(const QString& title, QCheckBox* box,
               const std::function<void(store::Change&)>& write,
               const std::function<std::optional<int>()>& stored);

    // Sets the box without its click behaviour storing anything.
    void showQuietly(QCheckBox* box, int value);

  private:
    platform::MessageBoxService& messages_;
    bool puttingBack_ = false;
};

}  // namespace tunexa::panels
