#pragma once

// A tray icon for tests: records what the window asks of it; clicks are sent with click().

#include "platform/tray/TrayIcon.h"

namespace tunexa::test {

class FakeTrayIcon final : public platform::TrayIcon {
  public:
    void add(const QIcon&, const QString& tooltip) override {
        added_ = true;
        tooltip_ = tooltip;
    }
    void remove() override { added_ = false; }
    bool isAdded() const override { return added_; }
    bool hostAvailable() const override { return hostAvailable_; }
    void popUp(QMenu* menu) override { poppedUp_ = menu; }

    void setHostAvailable(bool available) { hostAvailable_ = available; }
    void click(platform::TrayClick kind) { emit clicked(kind); }
    const QString& tooltip() const { return tooltip_; }
    // The menu opened last, if any.
    QMenu* poppedUp() const { return poppedUp_; }

  private:
    bool added_ = false;
    bool hostAvailable_ = true;
    QString tooltip_;
    QMenu* poppedUp_ = nullptr;
};

}  // namespace tunexa::test
