#pragma once

// The Riva TNT tab's behaviour: filling and loading the panel from the TNT group of the driver
// settings record, the anti-aliasing switch, Apply and Reset Defaults, and the tray menu's
// "Riva TNT" branch (memory clock, core clock, VSync and the two Default items).
//
// The record is the truth: every path that writes the store collects the whole tab, writes it
// and loads the panel again, so panel, record, store and tray check marks agree afterwards.
// When the store cannot save, the record and the tray marks go back to what the store holds,
// the panel keeps what the user set, and the user is told why.

#include <QObject>
#include <QString>

#include <optional>

#include "engine/RegMethods.h"
#include "panels/tnt/TntTab.h"
#include "ui/PanelEnvironment.h"

namespace tunexa::panels {

class TntPanel : public QObject {
    Q_OBJECT

  public:
    // Connects the tab's controls and the tray branch's items; loads nothing.
    TntPanel(TntTab& widgets, const ui::PanelEnvironment& env, QObject* parent = nullptr);

    // Start-up, once, before the first load: appends the fixed items of the four option lists.
    void FillTNTLists();
    // Controls, tray check marks and driver label from the record, after the NVIDIA driver's
    // description and date are read from its display-class key (both absent when none is found).
    void LoadTNTPanel();

    // Clears the selection of the item each option list shows, keeping it in view.
    void deselectListsAtTopIndex();

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
    void setAntiAliasingGroupEnabled(bool enabled);
    // common::applyQuietly for this tab; true when saved.
    bool applyQuietly(const std::optional<QString>& title);

    Ui::TntTab& ui_;
    ui::PanelEnvironment env_;
};

}  // namespace tunexa::panels
