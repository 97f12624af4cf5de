#pragma once

// The Voodoo Graphics panel: core clock, VSync, Fast Mem and Fast PCI, kept under the program's
// own key "\3Dfx" and written as Glide settings into "c:\tunexa.bat". It stands outside the
// driver engine: the card has no driver values of its own.

#include <QObject>

#include "panels/voodoo/VoodooFrame.h"
#include "platform/files/Drives.h"
#include "platform/files/Result.h"
#include "ui/PanelEnvironment.h"

namespace tunexa::panels {

class VoodooPanel : public QObject {
    Q_OBJECT

  public:
    VoodooPanel(VoodooFrame& widgets, const ui::PanelEnvironment& env,
                files::Drives drives = files::Drives());

    // Sets the panel from the four own values; a value that is missing or not one the control
    // knows leaves that control as it was (the clock label always shows the stored text).
    void LoadVoodooPanel();

    // Writes "c:\tunexa.bat", then, only when the file was written, the four own values. The
    // failure says why nothing (file) or not everything (store) was saved.
    files::Status SaveVoodooValues();

    void sld3DfxVCore_Change(int position);
    void cmd3DfxVapply_Click();
    void cmd3DfxVreset_Click();

  private:
    VoodooFrame& widgets_;
    const ui::PanelEnvironment& env_;
    files::Drives drives_;
};

}  // namespace tunexa::panels
