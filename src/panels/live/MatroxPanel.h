#pragma once

// The Matrox G100/G200 live settings: three PowerDesk options written the moment their box is
// clicked, and the card-selection box "Matrox Gx00" that switches the whole frame on or off and
// remembers that under the program's own key. The boxes are the state; nothing is kept besides.
// A value the store could not take puts its box back and is told (LiveWrite.h).

#include <QCheckBox>
#include <QObject>

#include "panels/live/LiveWrite.h"
#include "panels/live/MatroxFrame.h"
#include "platform/MessageBoxService.h"

namespace tunexa::panels {

class MatroxPanel : public QObject {
    Q_OBJECT

  public:
    // `matroxOnOff` is chkMatroxOnOff of the card-selection frame on the first tab.
    MatroxPanel(MatroxFrame& widgets, QCheckBox& matroxOnOff,
                platform::MessageBoxService& messages);

    // Start-up: "Flip on VBlank", "Anisotropic" and "Use Subpixel" in that order set their boxes
    // ("0" unticks, "1" ticks, anything else leaves the box); then "Matrox Enable" sets the
    // frame's enabled state and ticks or unticks chkMatroxOnOff to match.
    void RestoreMatroxSettings();

    void chkG200sub_Click();
    void chkG200aniso_Click();
    void chkG200V_Click();
    void chkMatroxOnOff_Click();

  private:
    void writeOption(QCheckBox* Ui::MatroxFrame::*box);

    MatroxFrame& widgets_;
    QCheckBox& matroxOnOff_;
    LiveWrite live_;
};

}  // namespace tunexa::panels
