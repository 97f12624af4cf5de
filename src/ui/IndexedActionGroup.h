#pragma once

// An indexed group of menu items (mPopBMem 0 to 10 ...): one array of actions, one signal that
// carries the index of the clicked item. Not exclusive: check marks are set by the handlers.

#include <QAction>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

namespace tunexa::ui {

class IndexedActionGroup : public QObject {
    Q_OBJECT

  public:
    // `name` becomes the group's objectName; the actions are named "<name>_<index>".
    IndexedActionGroup(const QString& name, QObject* parent = nullptr);

    // Adds the next item (index = count()) as a checkable action owned by `owner`.
    QAction* append(const QString& caption, QObject* owner);

    int count() const { return static_cast<int>(actions_.size()); }
    // The action of item `index`; null when out of range.
    QAction* at(int index) const;
    const QList<QAction*>& actions() const { return actions_; }

    void setChecked(int index, bool checked);
    // Checks item `index` and unchecks every other; an index out of range unchecks all.
    void checkOnly(int index);
    void setEnabled(int index, bool enabled);

    // Calls `handler` with the item's index on every click. The menu ticks or unticks a checkable
    // item on its own before it reports the click; that toggle is undone first, so the marks
    // change only where the handler sets them. The connection ends with `context`.
    QMetaObject::Connection onChosen(QObject* context, std::function<void(int)> handler);

  signals:
    void triggered(int index);

  private:
    QList<QAction*> actions_;
};

}  // namespace tunexa::ui
