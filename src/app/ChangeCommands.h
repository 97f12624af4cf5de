#pragma once

// Undo, the History window and profiles, in the window (the Profiles frame on Main Settings) and
// in the tray (the "Profiles" branch and "Undo <title>"). The record, undo and profiles themselves
// live in the store; this shows them, asks what must be asked, and has the panels reloaded.

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

#include "app/Form1.h"
#include "platform/MessageBoxService.h"
#include "platform/TextQuestions.h"
#include "store/Profiles.h"
#include "store/Undo.h"

namespace tunexa::app {

class HistoryWindow;

class ChangeCommands : public QObject {
    Q_OBJECT

  public:
    struct Hooks {
        // What a profile covers, as the panels' record and the drives stand now.
        std::function<store::ManagedSet()> managedSet;
        // Brings the panels that show any of these items back in line with the store.
        std::function<void(const std::vector<store::ChangeItem>&)> reload;
    };

    ChangeCommands(Form1& form, platform::MessageBoxService& messages,
                   platform::TextQuestions& questions, Hooks hooks);
    ~ChangeCommands() override;

    // The tray's Undo item and the Profiles list and branch again from the store.
    void refresh();
    // The newest recorded change's id (0 without any), to note before an action that may record
    // one; afterwards, loads again what a change recorded since then touched, and refreshes.
    std::int64_t newestChangeId();
    void reloadChangeSince(std::int64_t newestBefore);

    void cmdUndo_Click();
    void mPopUndo_Click();
    void cmdHistory_Click();
    void cmdProfileSave_Click();
    void cmdProfileApply_Click();
    void cmdProfileDelete_Click();
    // A profile chosen in the tray's "Profiles" branch: applied at once.
    void mPopProfile_Click(const QString& name);

    HistoryWindow* historyWindow() const;

  private:
    void undo(const store::UndoPlan& plan);
    void undoTo(std::int64_t id);
    bool applyProfile(const QString& name);
    void fillProfilesBranch();
    QString selectedProfile() const;
    // The selected profile, or empty after asking the user to choose one.
    QString chosenProfile();
    void tellFailure(const QString& what, const QString& title);

    Form1& form_;
    platform::MessageBoxService& messages_;
    platform::TextQuestions& questions_;
    Hooks hooks_;
    QPointer<HistoryWindow> history_;
};

}  // namespace tunexa::app
