#pragma once

// The Banshee panel's behaviour: the main frame with the two clocks, the Direct3D and Glide
// sub-pages with their options and gammas, and the tray menu's "Banshee" branch. The clocks live
// in the display-class key of the Banshee's adapter, found again by every load. The value
// labels, not the sliders, hold the clocks and gammas that Apply stores.

#include <QObject>

#include <optional>

#include "engine/RegMethods.h"
#include "panels/banshee/BansheeFrame.h"
#include "ui/PanelEnvironment.h"

namespace tunexa::panels {

class BansheePanel : public QObject {
    Q_OBJECT

  public:
    // Connects the frames' sliders and buttons and the popup menu's Banshee items.
    BansheePanel(BansheeFrame& widgets, const ui::PanelEnvironment& env);

    // Scans for the Banshee's display-class key (which also reads its clocks into the record),
    // then copies the record's Banshee groups into the three pages and the tray items' marks.
    // Writes nothing to the store.
    void LoadBansheePanel();

    // Both sub-pages hidden, so the main frame shows: as the card selection leaves it.
    void HideSubPages();

    // Buttons.
    void cmdShowBanD3D_Click();
    void cmdShowBanGlide_Click();
    void cmdBanDback_Click();
    void cmdBanGback_Click();
    void cmd3DfxBansheeapply_Click();
    void cmd3DfxBansheereset_Click();

    // Tray items; `index` is the item's index in its group (0 to 10 for 100 to 110 MHz).
    void mPopBCore_Click(int index);
    void mPopBMem_Click(int index);
    void mPopBCoreDefault_Click();
    void mPopBMemDefault_Click();

    // Put 100 MHz into the panel's clock, then store the driver's current values back unchanged.
    engine::WriteResult SetBansheeCoreDefault();
    engine::WriteResult SetBansheeMemDefault();

  private:
    // A tray clock item for the clock of that slider row.
    void clockItemChosen(int slider, int index);
    // common::applyQuietly for this panel.
    std::optional<engine::WriteResult> applyQuietly(const std::optional<QString>& title);

    ::Ui::BansheeFrame& ui_;
    ui::PanelEnvironment env_;
};

}  // namespace tunexa::panels
