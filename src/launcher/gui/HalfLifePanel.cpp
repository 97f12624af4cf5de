#include "launcher/gui/HalfLifePanel.h"

#include "ui/AnsiText.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "engine/StoreKeys.h"
#include "launcher/core/FileMethods.h"
#include "launcher/core/LaunchBatch.h"
#include "platform/files/HostFiles.h"
#include "store/Ansi.h"
#include "store/Registry.h"
#include "ui/ListBox.h"
#include "ui/WindowState.h"

namespace tunexa::launcher {

namespace {

using platform::MessageButtons;

constexpr std::string_view kProgramFile = "hl.exe";
constexpr const char* kNotWrittenTitle = "Batch File Not Written";
// How often a running search lets the window repaint.
constexpr qint64 kRepaintIntervalMs = 25;

using ui::fromAnsi;
using ui::toAnsi;

// The item in view of the one-row list becomes its selection, as the user sees it chosen.
void selectItemInView(ui::OneRowList* list) {
    if (list->topIndex() >= 0) {
        ui::selectItem(list, list->topIndex());
    }
}

}  // namespace

HalfLifePanel::HalfLifePanel(HalfLifeFrame& widgets, const ui::PanelEnvironment& env,
                             platform::BusyPointer& busyPointer, files::Drives drives)
    : QObject(&widgets),
      widgets_(widgets),
      env_(env),
      busyPointer_(busyPointer),
      drives_(std::move(drives)) {
    auto& ui = widgets_.ui;
    // A click on a slot, or the keyboard moving the selection, shows that slot.
    connect(ui.lstHLfaves, &QListWidget::itemClicked, this, [this] { lstHLfaves_Click(); });
    connect(ui.lstHLfaves, &QListWidget::itemSelectionChanged, this, [this] {
        if (ui::selectedIndex(widgets_.ui.lstHLfaves) >= 0) {
            lstHLfaves_Click();
        }
    });
    connect(ui.cmdHLsave, &QPushButton::clicked, this, &HalfLifePanel::cmdHLsave_Click);
    connect(ui.cmdHLdelIP, &QPushButton::clicked, this, &HalfLifePanel::cmdHLdelIP_Click);
    connect(ui.cmdFindHL, &QPushButton::clicked, this, &HalfLifePanel::cmdFindHL_Click);
    connect(ui.cmdHLconnect, &QPushButton::clicked, this, &HalfLifePanel::cmdHLconnect_Click);
}

void HalfLifePanel::LoadHLFavourites(std::string_view keyName) {
    key_ = std::string(engine::kProgramKey).append("\\").append(keyName);
    const LoadedFavourites loaded = launcher::LoadHLFavourites(key_);
    auto& ui = widgets_.ui;
    ui.lstHLfaves->clear();
    for (const std::string& description : loaded.descriptions) {
        ui.lstHLfaves->addItem(fromAnsi(description));
    }
    ui.lstHL->clear();
    if (loaded.programPath) {
        ui.lstHL->addItem(fromAnsi(*loaded.programPath));
    }
}

void HalfLifePanel::lstHLfaves_Click() {
    const int slot = ui::selectedIndex(widgets_.ui.lstHLfaves);
    if (slot >= 0) {
        showStoredSlot(slot);
    }
}

void HalfLifePanel::showStoredSlot(int slot) {
    auto& ui = widgets_.ui;
    const Favourite favourite = loadFavourite(slot, key_);
    ui.lstHLfaves->item(slot)->setText(fromAnsi(favourite.description));
    ui.txtHLdesc->setText(fromAnsi(favourite.description));
    ui.txtHLip->setText(fromAnsi(favourite.address));
}

void HalfLifePanel::cmdHLsave_Click() {
    auto& ui = widgets_.ui;
    selectItemInView(ui.lstHL);
    const int slot = ui::selectedIndex(ui.lstHLfaves);
    if (slot < 0) {
        showNotice(chooseSlotNotice());
        return;
    }
    std::optional<std::string> programPath;
    if (ui.lstHL->count() > 0) {
        programPath = toAnsi(ui::selectedText(ui.lstHL));
    }
    const std::string description = toAnsi(ui.txtHLdesc->text());
    const store::FailureWatch watch;
    store::Change change(store::currentHive(), "Half-Life: save favourite " + std::to_string(slot));
    const SaveOutcome outcome = saveFavourite(
        slot, toAnsi(ui.txtHLip->text()), description,
        programPath ? std::optional<std::string_view>(*programPath) : std::nullopt, key_);
    const bool saved = change.commit() && !watch.failed();
    for (const Notice& notice : outcome.notices) {
        showNotice(notice);
    }
    if (!saved) {
        showNotStored(slot, "Favourite Not Saved", "saved", watch.reason());
    } else if (outcome.itemText) {
        ui.lstHLfaves->item(slot)->setText(fromAnsi(*outcome.itemText));
    }
}

void HalfLifePanel::cmdHLdelIP_Click() {
    auto& ui = widgets_.ui;
    const int slot = ui::selectedIndex(ui.lstHLfaves);
    if (slot < 0) {
        showNotice(chooseSlotNotice());
        return;
    }
    const store::FailureWatch watch;
    store::Change change(store::currentHive(),
                         "Half-Life: delete favourite " + std::to_string(slot));
    deleteFavourite(slot, key_);
    if (!change.commit() || watch.failed()) {
        showNotStored(slot, "Favourite Not Deleted", "deleted", watch.reason());
        return;
    }
    ui.lstHLfaves->item(slot)->setText(QString());
    ui.txtHLdesc->clear();
    ui.txtHLip->clear();
}

void HalfLifePanel::showNotStored(int slot, const char* title, const char* done,
                                  const std::string& reason) {
    showStoredSlot(slot);
    env_.messages.show(
        QStringLiteral("The favourite was not %1: %2\r\nThe list shows what is stored.")
            .arg(QString::fromLatin1(done), QString::fromStdString(reason)),
        QString::fromLatin1(title), MessageButtons::Ok);
}

void HalfLifePanel::showNotice(const Notice& notice) {
    env_.messages.show(fromAnsi(notice.prompt), fromAnsi(notice.title), MessageButtons::Ok);
    switch (notice.focus) {
        case Notice::Focus::Description:
            widgets_.ui.txtHLdesc->setFocus();
            break;
        case Notice::Focus::Address:
            widgets_.ui.txtHLip->setFocus();
            break;
        case Notice::Focus::None:
            break;
    }
}

QProgressDialog* HalfLifePanel::openProgressDialog() {
    auto* dialog = new QProgressDialog(widgets_.window());
    dialog->setWindowTitle("Find Half-Life");
    dialog->setCancelButtonText("Cancel");
    dialog->setRange(0, 0);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setMinimumDuration(0);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
    progressDialog_ = dialog;
    return dialog;
}

void HalfLifePanel::cmdFindHL_Click() {
    // The window's events run during the search; a second click must not start another.
    if (searching_) {
        return;
    }
    searching_ = true;
    const ui::BusyPointerScope busy(busyPointer_);
    auto& ui = widgets_.ui;
    ui.lstHL->clear();
    const std::string folder = toAnsi(ui.txtHLdrive->text()) + ":\\";

    // The events handled during the search may close the window and this panel with it.
    const QPointer<HalfLifePanel> alive(this);
    const files::Drives drives = drives_;
    std::vector<std::string> found;
    QElapsedTimer clock;
    clock.start();
    qint64 lastRepaint = 0;
    bool cancelled = false;
    const auto progress = [&](std::size_t foldersSearched) {
        if (!alive) {
            return false;
        }
        emit folderSearched(foldersSearched);
        QProgressDialog* dialog = progressDialog_.data();
        const bool opening = dialog == nullptr && clock.elapsed() >= progressDelay_.count();
        if (opening) {
            dialog = openProgressDialog();
        }
        if (dialog != nullptr) {
            dialog->setLabelText(QString("Folders searched: %1").arg(foldersSearched));
        }
        if (opening || clock.elapsed() - lastRepaint >= kRepaintIntervalMs) {
            lastRepaint = clock.elapsed();
            // Until the modal dialog is up, input would reach the window's own controls.
            QCoreApplication::processEvents(dialog != nullptr ? QEventLoop::AllEvents
                                                              : QEventLoop::ExcludeUserInputEvents);
            if (!alive) {
                return false;
            }
            dialog = progressDialog_.data();
        }
        cancelled = cancelled || (dialog != nullptr && dialog->wasCanceled());
        return !cancelled;
    };
    SearchFileTree(folder, kProgramFile, found, progress, drives);
    if (!alive) {
        return;
    }
    if (progressDialog_) {
        progressDialog_->hide();
        progressDialog_->deleteLater();
        progressDialog_ = nullptr;
    }
    for (const std::string& path : found) {
        ui.lstHL->addItem(fromAnsi(path));
    }
    searching_ = false;
}

void HalfLifePanel::cmdHLconnect_Click() {
    auto& ui = widgets_.ui;
    selectItemInView(ui.lstHL);
    const std::string programPath = toAnsi(ui::selectedText(ui.lstHL));
    bool lossless = true;
    const std::string address = toAnsi(ui.txtHLip->text(), &lossless);
    if (!lossless) {
        env_.messages.show(
            "The server address holds a character that a Windows batch file cannot hold.",
            kNotWrittenTitle, MessageButtons::Ok);
        return;
    }
    // Recorded for undo where the store can save; the batch file is what the user asked for, so
    // a store that can only be read does not keep it from being written.
    const store::FailureWatch watch;
    std::optional<store::Change> change;
    if (store::currentHive().writable()) {
        change.emplace(store::currentHive(), "Half-Life: Connect " + ansi::toUtf8(address),
                       &files::hostFiles());
    }
    const auto written = writeLaunchBatch(programPath, address, drives_);
    if (!written) {
        env_.messages.show(QString::fromStdString(written.error()), kNotWrittenTitle,
                           MessageButtons::Ok);
        return;
    }
    if (change) {
        // A change that does not commit puts the file back as it was.
        change->addFile(*written);
        if (!change->commit()) {
            env_.messages.show(QStringLiteral("%1 was left as it was: %2")
                                   .arg(fromAnsi(std::string(kLaunchBatchPath)),
                                        QString::fromStdString(watch.reason())),
                               kNotWrittenTitle, MessageButtons::Ok);
            return;
        }
    }
    ui::setWindowState(widgets_.window(), ui::WindowState::Minimised);
}

}  // namespace tunexa::launcher
