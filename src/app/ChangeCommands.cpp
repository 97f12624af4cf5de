#include "app/ChangeCommands.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

#include "app/HistoryWindow.h"
#include "platform/files/HostFiles.h"
#include "store/Ansi.h"
#include "store/Registry.h"
#include "ui/AnsiText.h"

namespace tunexa::app {

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;

const QString kUndoTitle = QStringLiteral("Undo");
const QString kProfilesTitle = QStringLiteral("Profiles");

store::Hive& hive() {
    return store::currentHive();
}

// "Riva TNT: Apply", or "3 changes, back to before "Riva TNT: Apply"".
QString whatIsUndone(const store::UndoPlan& plan) {
    if (plan.changes.size() == 1) {
        return QString::fromStdString(plan.changes.front().title);
    }
    return QStringLiteral("%1 changes, back to before \"%2\"")
        .arg(plan.changes.size())
        .arg(QString::fromStdString(plan.changes.back().title));
}

}  // namespace

ChangeCommands::ChangeCommands(Form1& form, platform::MessageBoxService& messages,
                               platform::TextQuestions& questions, Hooks hooks)
    : QObject(&form),
      form_(form),
      messages_(messages),
      questions_(questions),
      hooks_(std::move(hooks)) {
    auto& ui = form_.ui;
    connect(ui.cmdUndo, &QPushButton::clicked, this, &ChangeCommands::cmdUndo_Click);
    connect(ui.cmdHistory, &QPushButton::clicked, this, &ChangeCommands::cmdHistory_Click);
    connect(ui.cmdProfileSave, &QPushButton::clicked, this, &ChangeCommands::cmdProfileSave_Click);
    connect(ui.cmdProfileApply, &QPushButton::clicked, this,
            &ChangeCommands::cmdProfileApply_Click);
    connect(ui.cmdProfileDelete, &QPushButton::clicked, this,
            &ChangeCommands::cmdProfileDelete_Click);
    connect(ui.lstProfiles, &QListWidget::itemDoubleClicked, this,
            &ChangeCommands::cmdProfileApply_Click);
    auto& menu = form_.popupMenu();
    connect(menu.item(QStringLiteral("mPopUndo")), &QAction::triggered, this,
            &ChangeCommands::mPopUndo_Click);
    // The tray shows the record as it is when the menu opens, also after tunexa-reg changed it.
    connect(menu.menu(), &QMenu::aboutToShow, this, &ChangeCommands::refresh);
}

ChangeCommands::~ChangeCommands() = default;

HistoryWindow* ChangeCommands::historyWindow() const {
    return history_.data();
}

void ChangeCommands::refresh() {
    const auto newest = hive().changes(1);
    QAction* undoItem = form_.popupMenu().item(QStringLiteral("mPopUndo"));
    // A long title (a command line, a file path) is shortened in the menu; History shows it whole.
    constexpr qsizetype kShownTitle = 48;
    QString title = newest.empty() ? QString() : QString::fromStdString(newest.front().title);
    if (title.size() > kShownTitle) {
        title = title.left(kShownTitle - 1) + QChar(0x2026);
    }
    undoItem->setText(newest.empty() ? kUndoTitle : QStringLiteral("Undo %1").arg(title));
    undoItem->setEnabled(!newest.empty());

    const QString selected = selectedProfile();
    form_.ui.lstProfiles->clear();
    for (const std::string& name : store::profileNames(hive())) {
        form_.ui.lstProfiles->addItem(ui::fromAnsi(name));
    }
    const auto matches = form_.ui.lstProfiles->findItems(selected, Qt::MatchExactly);
    if (!matches.isEmpty()) {
        form_.ui.lstProfiles->setCurrentItem(matches.front());
    }
    fillProfilesBranch();
}

void ChangeCommands::fillProfilesBranch() {
    QMenu* branch = form_.popupMenu().item(QStringLiteral("mPopProfiles"))->menu();
    branch->clear();
    const store::ManagedSet managed = hooks_.managedSet();
    store::ReadOnceFiles currentFiles(files::hostFiles());
    int index = 0;
    for (const std::string& name : store::profileNames(hive())) {
        const QString shown = ui::fromAnsi(name);
        QAction* item = branch->addAction(shown);
        item->setObjectName(QStringLiteral("mPopProfile_%1").arg(index++));
        item->setCheckable(true);
        item->setChecked(store::profileMatches(hive(), &currentFiles, name, managed));
        connect(item, &QAction::triggered, this, [this, shown] { mPopProfile_Click(shown); });
    }
    if (index == 0) {
        branch->addAction(QStringLiteral("(no profiles)"))->setEnabled(false);
    }
}

void ChangeCommands::cmdUndo_Click() {
    undo(store::planUndoLast(hive(), &files::hostFiles()));
}

void ChangeCommands::mPopUndo_Click() {
    cmdUndo_Click();
}

void ChangeCommands::undoTo(std::int64_t id) {
    undo(store::planUndoTo(hive(), &files::hostFiles(), id));
}

void ChangeCommands::undo(const store::UndoPlan& plan) {
    if (!plan.problem.empty()) {
        messages_.show(QString::fromStdString(plan.problem), kUndoTitle, MessageButtons::Ok);
        return;
    }
    if (!plan.differences.empty()) {
        QStringList lines;
        for (const store::UndoDifference& difference : plan.differences) {
            lines << QStringLiteral("%1: now %2, the change left %3")
                         .arg(QString::fromStdString(store::describeItem(difference.item)),
                              QString::fromStdString(
                                  store::describeImage(difference.item, difference.now)),
                              QString::fromStdString(
                                  store::describeImage(difference.item, difference.item.after)));
        }
        const QString prompt =
            QStringLiteral(
                "These were changed since \"%1\", by another program or by hand:\r\n"
                "%2\r\nUndo anyway and overwrite them?")
                .arg(whatIsUndone(plan), lines.join(QStringLiteral("\r\n")));
        if (messages_.show(prompt, kUndoTitle, MessageButtons::YesNo) != MessageAnswer::Yes) {
            return;
        }
    }
    if (!store::applyUndo(hive(), &files::hostFiles(), plan)) {
        tellFailure(QStringLiteral("Nothing was undone"), kUndoTitle);
        return;
    }
    hooks_.reload(plan.items);
    refresh();
    if (history_) {
        history_->refresh();
    }
    messages_.show(QStringLiteral("Undone: %1").arg(whatIsUndone(plan)), kUndoTitle,
                   MessageButtons::Ok);
}

void ChangeCommands::cmdHistory_Click() {
    if (!history_) {
        history_ = new HistoryWindow(
            hive(), [this](std::int64_t id) { undoTo(id); }, &form_);
        history_->setWindowFlag(Qt::Window);
        history_->setAttribute(Qt::WA_DeleteOnClose);
        history_->resize(720, 460);
    } else {
        history_->refresh();
    }
    history_->show();
    history_->raise();
    history_->activateWindow();
}

QString ChangeCommands::selectedProfile() const {
    const QListWidgetItem* item = form_.ui.lstProfiles->currentItem();
    return item != nullptr ? item->text() : QString();
}

QString ChangeCommands::chosenProfile() {
    const QString name = selectedProfile();
    if (name.isEmpty()) {
        messages_.show(QStringLiteral("Choose a profile first."), kProfilesTitle,
                       MessageButtons::Ok);
    }
    return name;
}

void ChangeCommands::tellFailure(const QString& what, const QString& title) {
    messages_.show(
        QStringLiteral("%1: %2").arg(what, QString::fromStdString(hive().lastFailureMessage())),
        title, MessageButtons::Ok);
}

void ChangeCommands::cmdProfileSave_Click() {
    const QString title = QStringLiteral("Save as Profile");
    const auto answer = questions_.ask(QStringLiteral("Name of the profile:"), title);
    if (!answer) {
        return;
    }
    const QString shown = answer->trimmed();
    bool lossless = true;
    const std::string name = ui::toAnsi(shown, &lossless);
    const auto problem = lossless ? store::profileNameProblem(name)
                                  : std::optional<std::string>(
                                        "A profile name can hold only the characters of the "
                                        "Windows-1252 code page.");
    if (problem) {
        messages_.show(QString::fromStdString(*problem), title, MessageButtons::Ok);
        return;
    }
    for (const std::string& existing : store::profileNames(hive())) {
        if (ansi::equalsIgnoringCase(existing, name) &&
            messages_.show(QStringLiteral("A profile named \"%1\" exists. Replace it?")
                               .arg(ui::fromAnsi(existing)),
                           title, MessageButtons::YesNo) != MessageAnswer::Yes) {
            return;
        }
    }
    if (!store::saveProfile(hive(), &files::hostFiles(), name, hooks_.managedSet())) {
        tellFailure(QStringLiteral("The profile was not saved"), title);
        return;
    }
    refresh();
    const auto saved = form_.ui.lstProfiles->findItems(shown, Qt::MatchFixedString);
    if (!saved.isEmpty()) {
        form_.ui.lstProfiles->setCurrentItem(saved.front());
    }
    messages_.show(QStringLiteral("Profile \"%1\" saved.").arg(shown), title, MessageButtons::Ok);
}

void ChangeCommands::cmdProfileApply_Click() {
    const QString name = chosenProfile();
    if (name.isEmpty()) {
        return;
    }
    if (applyProfile(name)) {
        messages_.show(QStringLiteral("Profile \"%1\" applied.").arg(name), kProfilesTitle,
                       MessageButtons::Ok);
    }
}

void ChangeCommands::mPopProfile_Click(const QString& name) {
    applyProfile(name);
}

bool ChangeCommands::applyProfile(const QString& name) {
    const std::int64_t newestBefore = newestChangeId();
    if (!store::applyProfile(hive(), &files::hostFiles(), ui::toAnsi(name), hooks_.managedSet())) {
        tellFailure(QStringLiteral("The profile \"%1\" was not applied").arg(name), kProfilesTitle);
        return false;
    }
    reloadChangeSince(newestBefore);
    return true;
}

std::int64_t ChangeCommands::newestChangeId() {
    const auto newest = hive().changes(1);
    return newest.empty() ? 0 : newest.front().id;
}

void ChangeCommands::reloadChangeSince(std::int64_t newestBefore) {
    if (const std::int64_t newest = newestChangeId(); newest != newestBefore) {
        if (const auto record = hive().changeRecord(newest)) {
            hooks_.reload(record->items);
        }
    }
    refresh();
}

void ChangeCommands::cmdProfileDelete_Click() {
    const QString name = chosenProfile();
    if (name.isEmpty()) {
        return;
    }
    if (messages_.show(QStringLiteral("Delete the profile \"%1\"?").arg(name), kProfilesTitle,
                       MessageButtons::YesNo) != MessageAnswer::Yes) {
        return;
    }
    if (!store::deleteProfile(hive(), ui::toAnsi(name))) {
        tellFailure(QStringLiteral("The profile \"%1\" was not deleted").arg(name), kProfilesTitle);
        return;
    }
    refresh();
}

}  // namespace tunexa::app
