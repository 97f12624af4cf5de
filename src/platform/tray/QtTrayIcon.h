#pragma once

#include <QSystemTrayIcon>

#include "platform/tray/TrayIcon.h"

namespace tunexa::platform {

// The tray icon on QSystemTrayIcon (XEmbed tray or StatusNotifierItem, whichever the desktop has).
class QtTrayIcon final : public TrayIcon {
    Q_OBJECT

  public:
    explicit QtTrayIcon(QObject* parent = nullptr);

    void add(const QIcon& icon, const QString& tooltip) override;
    void remove() override;
    bool isAdded() const override;
    bool hostAvailable() const override;
    void popUp(QMenu* menu) override;

  private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon icon_;
};

}  // namespace tunexa::platform
