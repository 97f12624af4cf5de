// The live settings: Matrox G100/G200 and Unreal boxes written the moment they are clicked (and
// put back with a notice when the store does not take them), and the Matrox values read back at
// start-up.

#include <QCheckBox>

#include <set>
#include <tuple>

#include "PanelFixture.h"
#include "panels/live/MatroxPanel.h"
#include "panels/live/UnrealPanel.h"

namespace tunexa::test {
namespace {

// A live box, the store entry it writes (with "1" ticked, "0" unticked) and the frame it switches
// on and off.
const std::tuple<const char*, const char*, const char*> kLiveBoxes[] = {
    {"chkG200sub", "MX:Use Subpixel=s", nullptr},
    {"chkG200aniso", "MX:Anisotropic=s", nullptr},
    {"chkG200V", "MX:Flip on VBlank=s", nullptr},
    {"chkMatroxOnOff", "TX:Matrox Enable=s", "frameMatrox"},
    {"chkUnrealTrueC", "UR:TrueColor=d", nullptr},
    {"chkUnrealDoTri", "UR:DoTrilinear=d", nullptr},
    {"chkUnrealTB", "UR:TripleBuffering=d", nullptr},
    {"chkUnrealDoFlip", "UR:DoFlip=d", nullptr}};

class LiveSettings : public PanelFixture {
  protected:
    StoreEntries stored() const { return storeEntries({"MX", "TX", "UR"}); }

    panels::MatroxPanel matrox{*find<panels::MatroxFrame>("panelMatrox"), *form.ui.chkMatroxOnOff,
                               boxes};
    panels::UnrealPanel unreal{*find<panels::TntTab>("panelTNT"), boxes};
};

TEST_F(LiveSettings, EachClickWritesItsBoxsValueOrPutsTheBoxBack) {
    std::set<std::string> expected;
    for (const auto& [box, entry, frame] : kLiveBoxes) {
        for (const bool checked : {true, false}) {
            SCOPED_TRACE(std::string(box) + (checked ? " ticked" : " unticked"));
            find<QCheckBox>(box)->click();
            expected.erase(entry + std::string(checked ? "0" : "1"));
            expected.insert(entry + std::string(checked ? "1" : "0"));
            EXPECT_EQ(stored(), StoreEntries(expected.begin(), expected.end()));
            if (frame != nullptr) {
                EXPECT_EQ(controlState(form, frame), checked ? "enabled" : "disabled");
            }
        }
    }
    // A store another program holds: the box goes back to what is stored and says why.
    const StoreLock lock;
    for (const char* box : {"chkMatroxOnOff", "chkUnrealTrueC"}) {
        answer({platform::MessageAnswer::Ok});
        find<QCheckBox>(box)->click();
        expect({(std::string(box) + "=0").c_str()});
        EXPECT_EQ(boxes.shown().back().title, "Setting Not Saved");
    }
    EXPECT_EQ(stored(), StoreEntries(expected.begin(), expected.end()));
}

TEST_F(LiveSettings, StartUpTicksTheMatroxBoxesOnlyFromTheTextsZeroAndOne) {
    const std::pair<StoreEntries, std::vector<const char*>> cases[] = {
        {{"MX:Flip on VBlank=s1", "MX:Anisotropic=s0", "MX:Use Subpixel=s1", "TX:Matrox Enable=s0"},
         {"chkG200V=1", "chkG200aniso=0", "chkG200sub=1", "chkMatroxOnOff=0",
          "frameMatrox=disabled"}},
        {{"MX:Flip on VBlank=syes", "MX:Anisotropic=d1", "MX:Use Subpixel=s 1",
          "TX:Matrox Enable=son"},
         {"chkG200V=1", "chkG200aniso=1", "chkG200sub=1", "chkMatroxOnOff=1",
          "frameMatrox=enabled"}}};
    for (const auto& [values, after] : cases) {
        set({"chkG200V=1", "chkG200aniso=1", "chkG200sub=1", "chkMatroxOnOff=1"});
        seedStore(values);
        matrox.RestoreMatroxSettings();
        expect(after);
        // A tick writes back what was read; anything else writes nothing.
        auto written = values;
        std::sort(written.begin(), written.end());
        EXPECT_EQ(stored(), written);
    }
}

TEST_F(LiveSettings, UnrealBoxesStartUntickedWhateverTheStoreHolds) {
    seedStore({"UR:DoTrilinear=d1", "UR:DoFlip=d1"});
    app::Form1 window;
    const panels::UnrealPanel panel(*window.findChild<panels::TntTab*>(), boxes);
    for (const char* name :
         {"chkUnrealTrueC", "chkUnrealDoTri", "chkUnrealTB", "chkUnrealDoFlip"}) {
        EXPECT_FALSE(window.findChild<QCheckBox*>(name)->isChecked()) << name;
    }
}

}  // namespace
}  // namespace tunexa::test
