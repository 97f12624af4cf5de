#include "ui/IndexedActionGroup.h"

#include <utility>

namespace tunexa::ui {

IndexedActionGroup::IndexedActionGroup(const QString& name, QObject* parent) : QObject(parent) {
    setObjectName(name);
}

QAction* IndexedActionGroup::append(const QString& caption, QObject* owner) {
    const int index = count();
    auto* action = new QAction(caption, owner);
    action->setObjectName(objectName() + QLatin1Char('_') + QString::number(index));
    action->setCheckable(true);
    connect(action, &QAction::triggered, this, [this, index] { emit triggered(index); });
    actions_.append(action);
    return action;
}

QAction* IndexedActionGroup::at(int index) const {
    return index >= 0 && index < count() ? actions_.at(index) : nullptr;
}

void IndexedActionGroup::setChecked(int index, bool checked) {
    if (auto* action = at(index)) {
        action->setChecked(checked);
    }
}

void IndexedActionGroup::checkOnly(int index) {
    for (int i = 0; i < count(); ++i) {
        actions_.at(i)->setChecked(i == index);
    }
}

void IndexedActionGroup::setEnabled(int index, bool enabled) {
    if (auto* action = at(index)) {
        action->setEnabled(enabled);
    }
}

QMetaObject::Connection IndexedActionGroup::onChosen(QObject* context,
                                                     std::function<void(int)> handler) {
    return connect(this, &IndexedActionGroup::triggered, context,
                   [this, handler = std::move(handler)](int index) {
                       if (QAction* action = at(index)) {
                           action->setChecked(!action->isChecked());
                       }
                       handler(index);
                   });
}

}  // namespace tunexa::ui
