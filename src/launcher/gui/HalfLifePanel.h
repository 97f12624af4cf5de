#pragma once

// The Half-Life launcher on the Other Stuff tab: ten favourite servers kept in the store, the
// search of a drive for hl.exe, and "Connect", which writes the batch file that starts the game
// on the server in the address box.

#include <QObject>
#include <QPointer>
#include <QProgressDialog>

#include <chrono>
#include <string>
#include <string_view>

#include "launcher/core/Favourites.h"
#include "launcher/gui/HalfLifeFrame.h"
#include "platform/BusyPointer.h"
#include "platform/files/Drives.h"
#include "ui/PanelEnvironment.h"

namespace tunexa::launcher {

class HalfLifePanel : public QObject {
    Q_OBJECT

  public:
    static constexpr std::chrono::milliseconds kDefaultProgressDelay{500};

    HalfLifePanel(HalfLifeFrame& widgets, const ui::PanelEnvironment& env,
                  platform::BusyPointer& busyPointer, files::Drives drives = files::Drives());

    // Fills lstHLfaves with the ten slots and lstHL with the remembered program, from the subkey
    // `keyName` of "Software\Tunexa\Tunexa". Calling it again rebuilds both lists.
    void LoadHLFavourites(std::string_view keyName = "Half Life");

    // Puts the chosen slot's stored address and description into the text boxes.
    void lstHLfaves_Click();
    // Saves the text boxes into the selected slot; without a selected slot it asks for one and
    // changes nothing. When the store does not take it, the user is told why, and the slot's
    // item and the text boxes show what the store holds.
    void cmdHLsave_Click();
    // Empties the selected slot; without a selected slot it asks for one and changes nothing.
    // When the store does not take it, as for Save.
    void cmdHLdelIP_Click();

    // Searches the drive whose letter is typed in txtHLdrive for hl.exe and lists what it finds.
    // The window keeps repainting; after the progress delay a dialog counts the folders searched
    // and offers Cancel, which keeps what was found so far.
    void cmdFindHL_Click();
    // Writes "c:\tx106hl.bat" for the program in view and the address in txtHLip, then
    // minimises the window. A refused or failed write is told and nothing is minimised; so is a
    // store that can save but does not take the change recording the file, which puts the file
    // back.
    void cmdHLconnect_Click();

    void setProgressDelay(std::chrono::milliseconds delay) { progressDelay_ = delay; }
    // The running search's progress dialog; null when none is showing.
    QProgressDialog* progressDialog() const { return progressDialog_.data(); }

  signals:
    // After each folder of a running search, with the number of folders searched so far.
    void folderSearched(qulonglong foldersSearched);

  private:
    void showNotice(const Notice& notice);
    // The slot's item and the text boxes from what the store holds.
    void showStoredSlot(int slot);
    // Shows what the store holds in the slot, then tells why it was not `done` ("saved") under
    // `title`.
    void showNotStored(int slot, const char* title, const char* done, const std::string& reason);
    QProgressDialog* openProgressDialog();

    HalfLifeFrame& widgets_;
    const ui::PanelEnvironment& env_;
    platform::BusyPointer& busyPointer_;
    files::Drives drives_;
    std::string key_{kHalfLifeKey};
    std::chrono::milliseconds progressDelay_ = kDefaultProgressDelay;
    QPointer<QProgressDialog> progressDialog_;
    bool searching_ = false;
};

}  // namespace tunexa::launcher
