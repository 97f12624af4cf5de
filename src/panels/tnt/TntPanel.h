#pragma once

// The Riva TNT tab's behaviour: filling and loading the panel from the TNT group of the driver
// settings record, the live controls, Apply and Reset Defaults, and the tray menu's "Riva TNT"
// branch (memory clock, core clock, VSync and the two Default items).
//
// The record is the truth: every path that writes the store collects the whole tab, writes it
// and loads the panel again, so panel, record, store and tray check marks agree afterwards.
// When the store cannot save, the record goes back to what the store still holds, the tray marks
// stay as they were, the panel keeps what the user set, and the user is told why.

#include <QObject>
#include <QString>

#include <cstddef>
#include <vector>

#include "engine/RegMethods.h"
#include "panels/tnt/TntTab.h"
#include "ui/PanelEnvironment.h"

namespace tunexa::ui {
class IndexedActionGroup;
}

namespace tunexa::panels {

class TntPanel : public QObject {
    Q_OBJECT

  public:
    // Connects the tab's controls and the tray branch's items; loads nothing.
    TntPanel(TntTab& widgets, const ui::PanelEnvironment& env, QObject* parent = nullptr);

    // Start-up, once, before the first load: appends the fixed items of the four option lists.
    void FillTNTLists();
    // Controls, tray check marks and driver label from the record (and the NVIDIA driver's
    // description and date from its display-class key).
    void LoadTNTPanel();

    // Clears the selection of the item each option list shows, keeping it in view.
    void deselectListsAtTopIndex();

    // Live controls.
    void sldTNTCoreClk_Change();
    void sldTNTMemClk_Change();
    void sldTNTD3Daa_Change();
    void chkTNTD3Daa_Click();

    // Buttons.
    void cmdTNTapply_Click();
    void cmdTNTdefaults_Click();

    // The tray's "Riva TNT" branch.
    void mPopRivaMemSpeed_Click(int index);
    void mPopRivaCoreSpeed_Click(int index);
    void mPopTNTV_Click(int index);
    void mPopRivaMemDefaults_Click();
    void mPopRivaCoreDefaults_Click();

    // Panel clock to its lowest speed, then the stored TNT values read and written back in
    // normalised form (the stored clock stays). The write's outcome comes back.
    engine::WriteResult SetTNTMemDefault();
    engine::WriteResult SetTNTCoreDefault();

  private:
    class TrayMarks;

    void connectControls();
    void connectTrayItems();

    void loadClock(int clockId);
    void loadVSync();
    void loadList(std::size_t listId);
    void loadAntiAliasing();
    void setAntiAliasingGroupEnabled(bool enabled);

    void setClockFromTray(int clockId, int index);
    engine::WriteResult setClockDefault(int clockId);
    // Collect, write and, when saved, load: the path of Apply and of the tray's items. When not
    // saved the record gets back what the store still holds and the panel stays as it is.
    // The write is one recorded change titled `title`.
    engine::WriteResult storeWholeTab(const QString& title);
    void storeFromTray(const TrayMarks& marks, const QString& title);

    ui::IndexedActionGroup* trayGroup(const char* name) const;
    std::vector<ui::IndexedActionGroup*> trayGroups() const;

    Ui::TntTab& ui_;
    ui::PanelEnvironment env_;
};

}  // namespace tunexa::panels
