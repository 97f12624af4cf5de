#pragma once

// The Voodoo2 panel's behaviour: the Direct3D and Glide options, core clocks and gammas of the
// Voodoo2 driver on the " 3Dfx" tab, its two option frames, and the tray menu's "Voodoo2" branch.
// The value labels, not the sliders, hold the clocks and gammas that Apply stores.

#include <QObject>
#include <QString>

#include <optional>

#include "engine/RegMethods.h"
#include "panels/voodoo2/Voodoo2Frame.h"
#include "ui/PanelEnvironment.h"

namespace tunexa::panels {

class Voodoo2Panel : public QObject {
    Q_OBJECT

  public:
    // Connects the frame's sliders and buttons and the popup menu's Voodoo2 items.
    Voodoo2Panel(Voodoo2Frame& widgets, const ui::PanelEnvironment& env);

    // Record (groups V2D3D and V2Glide) into the check boxes, sliders, value labels and the tray
    // items' check marks. Never touches the store.
    void LoadVoodoo2Panel();

    // The window's tab-switch rule for this panel, also used at start-up: the Direct3D options
    // frame shows, the Glide one hides.
    void SSTab1_Click();

    // Buttons.
    void cmd3DfxV2apply_Click();
    void cmd3DfxV2reset_Click();
    void cmdV2SwitchD3D_Click();
    void cmdV2SwitchGlide_Click();

    // Tray items; `index` is the item's index in its group.
    void mPopV2D3DCoreClock_Click(int index);
    void mPopV2GCoreClock_Click(int index);
    void mPopV2D3DV_Click(int index);
    void mPopV2GV_Click(int index);
    void mPopV2D3DCoreDefault_Click();
    void mPopV2GCoreDefault_Click();

    // Put 90 MHz into the panel's clock, then store the driver's current values back unchanged.
    engine::WriteResult SetV2D3DCoreDefault();
    engine::WriteResult SetV2GCoreDefault();

  private:
    // common::applyQuietly for this panel; true when saved.
    bool applyQuietly(const std::optional<QString>& title);

    ::Ui::Voodoo2Frame& ui_;
    ui::PanelEnvironment env_;
};

}  // namespace tunexa::panels
