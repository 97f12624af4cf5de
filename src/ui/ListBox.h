#pragma once

// List boxes with the classic selection semantics, for every QListWidget of the window (the
// one-row lists included). The selection is one item or none; it is independent of Qt's current
// item.

#include <QListWidget>
#include <QString>

namespace tunexa::ui {

// Index of the selected item, -1 when none.
int selectedIndex(const QListWidget* list);

// Text of the selected item; empty when none.
QString selectedText(const QListWidget* list);

// Selects the first item whose text equals `text` exactly. Without such an item the selection
// stays as it was and false is returned.
bool selectText(QListWidget* list, const QString& text);

// Selects item `index` (replacing any other selection); false when out of range.
bool selectItem(QListWidget* list, int index);

// Deselects item `index`; false when out of range.
bool deselectItem(QListWidget* list, int index);

}  // namespace tunexa::ui
