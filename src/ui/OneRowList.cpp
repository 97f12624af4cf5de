#include "ui/OneRowList.h"

#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

#include "ui/ListBox.h"

namespace tunexa::ui {

OneRowList::OneRowList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!applying_) {
            storeTopIndex(value);
        }
    });
    connect(model(), &QAbstractItemModel::modelReset, this, [this] { storeTopIndex(0); });
}

int OneRowList::topIndex() const {
    return count() == 0 ? -1 : top_;
}

void OneRowList::setTopIndex(int index) {
    storeTopIndex(index);
    applyTopIndex();
}

void OneRowList::storeTopIndex(int index) {
    const int clamped = std::clamp(index, 0, std::max(count() - 1, 0));
    if (clamped != top_) {
        top_ = clamped;
        emit topIndexChanged(topIndex());
    }
}

void OneRowList::applyTopIndex() {
    applying_ = true;
    verticalScrollBar()->setValue(top_);
    applying_ = false;
}

int OneRowList::rowHeight() const {
    const int row = count() > 0 ? sizeHintForRow(0) : -1;
    return row > 0 ? row : fontMetrics().height() + 4;
}

QSize OneRowList::sizeHint() const {
    const int frame = 2 * frameWidth();
    return {QListWidget::sizeHint().width(), rowHeight() + frame};
}

QSize OneRowList::minimumSizeHint() const {
    const int frame = 2 * frameWidth();
    return {verticalScrollBar()->sizeHint().width() + 4 * fontMetrics().averageCharWidth() + frame,
            rowHeight() + frame};
}

void OneRowList::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Left:
            setTopIndex(top_ - 1);
            break;
        case Qt::Key_Down:
        case Qt::Key_Right:
            setTopIndex(top_ + 1);
            break;
        case Qt::Key_PageUp:
            setTopIndex(top_ - 5);
            break;
        case Qt::Key_PageDown:
            setTopIndex(top_ + 5);
            break;
        case Qt::Key_Home:
            setTopIndex(0);
            break;
        case Qt::Key_End:
            setTopIndex(count() - 1);
            break;
        case Qt::Key_Space:
            selectItem(this, topIndex());
            break;
        default:
            event->ignore();
            return;
    }
    event->accept();
}

void OneRowList::updateGeometries() {
    // A relayout (first show, new items) recomputes the scroll range and may clamp the position;
    // the item in view is ours, so put it back afterwards.
    applying_ = true;
    QListWidget::updateGeometries();
    applying_ = false;
    applyTopIndex();
}

void OneRowList::rowsInserted(const QModelIndex& parent, int start, int end) {
    QListWidget::rowsInserted(parent, start, end);
    if (start <= top_ && count() > end - start + 1) {
        // Items inserted before the one in view push it down; keep the same item in view.
        storeTopIndex(top_ + (end - start + 1));
    }
    updateGeometry();
}

void OneRowList::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    QListWidget::rowsAboutToBeRemoved(parent, start, end);
    if (end < top_) {
        top_ -= end - start + 1;
    } else if (start <= top_) {
        top_ = start;
    }
    const int remaining = count() - (end - start + 1);
    top_ = std::clamp(top_, 0, std::max(remaining - 1, 0));
}

}  // namespace tunexa::ui
