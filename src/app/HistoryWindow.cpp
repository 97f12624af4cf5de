#include "app/HistoryWindow.h"

#include <QDateTime>
#include <QPushButton>
#include <QTreeWidgetItem>

#include "store/Registry.h"
#include "store/Undo.h"
#include "store/ValueText.h"
#include "ui/AnsiText.h"

namespace tunexa::app {

namespace {

constexpr int kIdRole = Qt::UserRole;

// Key and name columns of an item: the key with its root, the value's name or what it is.
QStringList itemColumns(const store::ChangeItem& item) {
    switch (item.kind) {
        case store::ItemKind::Value: {
            QString key = QString::fromStdString(std::string(store::rootLongName(item.root)));
            if (!item.key.empty()) {
                key += QLatin1Char('\\') + ui::fromAnsi(item.key);
            }
            return {key, item.name.empty() ? QStringLiteral("(Default)") : ui::fromAnsi(item.name)};
        }
        case store::ItemKind::Key:
            return {QString::fromStdString(store::describeItem(item)), QStringLiteral("(key)")};
        case store::ItemKind::File:
            return {QString::fromStdString(item.name), QStringLiteral("(file)")};
    }
    return {};
}

}  // namespace

HistoryWindow::HistoryWindow(store::Hive& hive, std::function<void(std::int64_t)> undoTo,
                             QWidget* parent)
    : QDialog(parent), hive_(hive), undoTo_(std::move(undoTo)) {
    ui.setupUi(this);
    connect(ui.lstChanges, &QTreeWidget::currentItemChanged, this,
            &HistoryWindow::showSelectedChange);
    connect(ui.cmdUndoToHere, &QPushButton::clicked, this, &HistoryWindow::cmdUndoToHere_Click);
    connect(ui.cmdCloseHistory, &QPushButton::clicked, this, &QDialog::close);
    refresh();
}

void HistoryWindow::refresh() {
    ui.lstChanges->clear();
    const store::FailureWatch watch(hive_);
    const auto changes = hive_.changes();
    if (watch.failed()) {
        // An unreadable record is not an empty one: say so where the changes would be.
        const QString why = QString::fromStdString(watch.reason());
        new QTreeWidgetItem(ui.lstChanges,
                            {QString(), QStringLiteral("The history cannot be read: %1").arg(why)});
        ui.cmdUndoToHere->setEnabled(false);
        return;
    }
    for (const store::ChangeInfo& info : changes) {
        const QString when = QDateTime::fromSecsSinceEpoch(info.time).toString(
            QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        QString title = QString::fromStdString(info.title);
        if (!info.damage.empty()) {
            title +=
                QStringLiteral(" (record damaged: %1)").arg(QString::fromStdString(info.damage));
        }
        auto* row = new QTreeWidgetItem(ui.lstChanges, {when, title});
        row->setData(0, kIdRole, QVariant::fromValue<qlonglong>(info.id));
    }
    ui.lstChanges->resizeColumnToContents(0);
    ui.lstChanges->setCurrentItem(ui.lstChanges->topLevelItem(0));
    ui.cmdUndoToHere->setEnabled(ui.lstChanges->topLevelItemCount() > 0);
    showSelectedChange();
}

void HistoryWindow::showSelectedChange() {
    ui.lstChangeValues->clear();
    const QTreeWidgetItem* selected = ui.lstChanges->currentItem();
    if (selected == nullptr) {
        return;
    }
    const auto record = hive_.changeRecord(selected->data(0, kIdRole).toLongLong());
    if (!record) {
        return;
    }
    if (!record->info.damage.empty()) {
        new QTreeWidgetItem(ui.lstChangeValues,
                            {QStringLiteral("The record of this change is damaged: %1")
                                 .arg(QString::fromStdString(record->info.damage))});
        return;
    }
    for (const store::ChangeItem& item : record->items) {
        QStringList columns = itemColumns(item);
        columns << QString::fromStdString(store::describeImage(item, item.before))
                << QString::fromStdString(store::describeImage(item, item.after));
        new QTreeWidgetItem(ui.lstChangeValues, columns);
    }
    for (int column = 0; column < ui.lstChangeValues->columnCount(); ++column) {
        ui.lstChangeValues->resizeColumnToContents(column);
    }
}

void HistoryWindow::cmdUndoToHere_Click() {
    if (const QTreeWidgetItem* selected = ui.lstChanges->currentItem()) {
        undoTo_(selected->data(0, kIdRole).toLongLong());  // refreshes this window when done
    }
}

}  // namespace tunexa::app
