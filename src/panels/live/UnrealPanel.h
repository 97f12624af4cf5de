#pragma once

// Unreal's Direct3D switches on the Riva TNT tab: four boxes written as double words the moment
// they are clicked. The store is never read for them at start-up; they start unticked on every
// run. A value the store could not take puts its box back and is told (LiveWrite.h).

#include <QCheckBox>
#include <QObject>

#include "panels/live/LiveWrite.h"
#include "panels/tnt/TntTab.h"
#include "platform/MessageBoxService.h"

namespace tunexa::panels {

class UnrealPanel : public QObject {
    Q_OBJECT

  public:
    UnrealPanel(TntTab& widgets, platform::MessageBoxService& messages);

    // The boxes as the store holds them now, without storing anything (after an undo or a
    // profile put their values back); a value that is not a stored 0 or 1 leaves its box.
    void showStoredValues();

    void chkUnrealTrueC_Click();
    void chkUnrealDoTri_Click();
    void chkUnrealTB_Click();
    void chkUnrealDoFlip_Click();

  private:
    void writeSwitch(QCheckBox* Ui::TntTab::*box);

    TntTab& widgets_;
    LiveWrite live_;
};

}  // namespace tunexa::panels
