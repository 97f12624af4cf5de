#pragma once

// Unreal's Direct3D switches on the Riva TNT tab: four boxes written as double words the moment
// they are clicked. The store is never read for them; they start unticked on every run.

#include <QCheckBox>
#include <QObject>

#include "panels/tnt/TntTab.h"

namespace tunexa::panels {

class UnrealPanel : public QObject {
    Q_OBJECT

  public:
    explicit UnrealPanel(TntTab& widgets);

    void chkUnrealTrueC_Click();
    void chkUnrealDoTri_Click();
    void chkUnrealTB_Click();
    void chkUnrealDoFlip_Click();

  private:
    void writeSwitch(QCheckBox* Ui::TntTab::*box);

    TntTab& widgets_;
};

}  // namespace tunexa::panels
