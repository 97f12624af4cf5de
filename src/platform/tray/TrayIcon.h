#pragma once

// The program's icon in the notification area. It reports the clicks the window acts on (left
// click, double click, right click) and opens the popup menu where the pointer is.

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QString>

namespace tunexa::platform {

enum class TrayClick { Left, Double, Right };

class TrayIcon : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;
    ~TrayIcon() override = default;

    // Puts the icon into the notification area (or keeps it ready until one appears).
    virtual void add(const QIcon& icon, const QString& tooltip) = 0;
    // Takes the icon away again.
    virtual void remove() = 0;
    virtual bool isAdded() const = 0;
    // Whether the desktop has a notification area right now; without one a hidden window could
    // not be reached again.
    virtual bool hostAvailable() const = 0;
    // Opens `menu` as a modal popup at the pointer's position.
    virtual void popUp(QMenu* menu) = 0;

  signals:
    void clicked(tunexa::platform::TrayClick click);
};

}  // namespace tunexa::platform
