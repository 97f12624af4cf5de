#pragma once

// A tray icon for tests: records what the window asks of it; clicks are sent with click().

#include "platform/tray/TrayIcon.h"

namespace tunexa::test {

class FakeTrayIcon final : public platform::TrayIcon {
  public:
    void add(const QIcon& icon, const QString& tooltip) override {
        added_ = true;
        icon_ = icon;
        tooltip_ = tooltip;
    }
    void remove() override { added_ = false; }
    bool isAdded() const override { return added_; }
    bool hostAvailable() const override { return hostAvailable_; }
    void popUp(QMenu* menu) override {
        ++popUps_;
        lastMenu_ = menu;
    }

    void setHostAvailable(bool available) { hostAvailable_ = available; }
    void click(platform::TrayClick kind) { emit clicked(kind); }

    const QString& tooltip() const { return tooltip_; }
    const QIcon& icon() const { return icon_; }
    int popUps() const { return popUps_; }
    QMenu* lastMenu() const { return lastMenu_; }

  private:
    bool added_ = false;
    bool hostAvailable_ = true;
    QIcon icon_;
    QString tooltip_;
    int popUps_ = 0;
    QMenu* lastMenu_ = nullptr;
};

}  // namespace tunexa::test
