#pragma once

// A list box one row high that the user steps through with its arrows (the scroll bar's arrow
// buttons, the Up/Down/PageUp/PageDown/Home/End keys, the mouse wheel). Stepping moves the item in
// view, the "top index", and leaves the selection alone; a click on the item in view or the Space
// key selects it. Code selects with the functions of ui/ListBox.h, which also bring the selected
// item into view.

#include <QListWidget>

namespace tunexa::ui {

class OneRowList : public QListWidget {
    Q_OBJECT

  public:
    explicit OneRowList(QWidget* parent = nullptr);

    // Index of the item in view; -1 when the list is empty.
    int topIndex() const;
    // Brings item `index` into view (clamped to the items); the selection does not change.
    void setTopIndex(int index);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    void topIndexChanged(int index);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void updateGeometries() override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

  private:
    int rowHeight() const;
    void storeTopIndex(int index);
    void applyTopIndex();

    int top_ = 0;
    bool applying_ = false;
};

}  // namespace tunexa::ui
