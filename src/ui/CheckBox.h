#pragma once

// Check boxes with the classic value and click semantics.
//
// Value: 0 unchecked, 1 checked.
// Click: the click behaviour runs when the user clicks the box AND when code sets it to a
// different value; setting the value it already has runs nothing. The one mechanism for this is
// QAbstractButton::toggled, which Qt emits exactly on a change of the checked state, whoever makes
// it. Connect click behaviour only through onCheckClick() and set values only through
// setCheckValue() (or setChecked()); never block the box's signals to set it "quietly".

#include <QCheckBox>
#include <QObject>

#include <utility>

namespace tunexa::ui {

int checkValue(const QCheckBox* box);

// Sets the value 0 or 1; any other value is ignored and false returned. The click behaviour runs
// if the value changed.
bool setCheckValue(QCheckBox* box, int value);

// Connects `handler` (called with no arguments) as the box's click behaviour; `context` ends the
// connection when destroyed.
template <typename Handler>
QMetaObject::Connection onCheckClick(QCheckBox* box, const QObject* context, Handler handler) {
    return QObject::connect(box, &QAbstractButton::toggled, context,
                            [handler = std::move(handler)](bool) mutable { handler(); });
}

}  // namespace tunexa::ui
