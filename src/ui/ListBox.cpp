#include "ui/ListBox.h"

#include <QItemSelectionModel>

#include "ui/OneRowList.h"

namespace tunexa::ui {

int selectedIndex(const QListWidget* list) {
    const auto rows = list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

QString selectedText(const QListWidget* list) {
    const int index = selectedIndex(list);
    return index < 0 ? QString() : list->item(index)->text();
}

bool selectText(QListWidget* list, const QString& text) {
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->text() == text) {
            return selectItem(list, row);
        }
    }
    return false;
}

bool selectItem(QListWidget* list, int index) {
    if (index < 0 || index >= list->count()) {
        return false;
    }
    if (auto* oneRow = qobject_cast<OneRowList*>(list)) {
        // Selecting brings the item into view, as the one-row list always showed its selection.
        oneRow->setTopIndex(index);
    }
    const QModelIndex modelIndex = list->model()->index(index, 0);
    list->selectionModel()->select(modelIndex, QItemSelectionModel::ClearAndSelect);
    list->selectionModel()->setCurrentIndex(modelIndex, QItemSelectionModel::NoUpdate);
    list->scrollToItem(list->item(index));
    return true;
}

bool deselectItem(QListWidget* list, int index) {
    if (index < 0 || index >= list->count()) {
        return false;
    }
    list->selectionModel()->select(list->model()->index(index, 0), QItemSelectionModel::Deselect);
    return true;
}

}  // namespace tunexa::ui
