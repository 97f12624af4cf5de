#pragma once

// The controls each panel widget must hold, written down independently of the .ui files: a
// renamed, missing, re-captioned or re-typed control makes the tests fail.

#include <QWidget>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace tunexa::test {

enum class Kind {
    Frame,       // QGroupBox titled with the caption
    CheckBox,    // QCheckBox
    Button,      // QPushButton
    Label,       // QLabel with a fixed caption
    ValueLabel,  // QLabel whose text code sets; empty at design time
    List,        // QListWidget, several rows high
    OneRowList,  // tunexa::ui::OneRowList
    Slider,      // horizontal QSlider
    TextBox,     // QLineEdit
    Picture,     // QLabel showing artwork
};

struct Control {
    const char* name;
    Kind kind;
    // Caption, frame title or (for controls without a visible caption) the accessible name.
    const char* text;
    const char* toolTip = "";
};

struct SliderRange {
    const char* name;
    int maximum;
};

struct Panel {
    const char* name;
    std::function<std::unique_ptr<QWidget>()> make;
    std::vector<Control> controls;
    // Focusable controls in the order the Tab key visits them.
    std::vector<const char*> tabOrder;
    // Frames hidden at design time (sub-pages that cover another frame).
    std::vector<const char*> hiddenFrames;
};

const std::vector<Panel>& panels();
const std::vector<SliderRange>& sliderRanges();

// Widest texts the value labels are expected to show, so layout checks see a realistic width.
const std::vector<std::pair<const char*, const char*>>& widestValues();

std::string kindName(Kind kind);

// Names a panel in test output instead of dumping its bytes.
inline void PrintTo(const Panel& panel, std::ostream* out) {
    *out << panel.name;
}

}  // namespace tunexa::test
