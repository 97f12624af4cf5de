// Every control of every panel widget: name, kind, caption, tooltip, accessible name, slider
// range, design-time state and tab order, checked against the catalogue.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>

#include <map>
#include <set>
#include <string>

#include "PanelCatalogue.h"
#include "ui/OneRowList.h"

namespace tunexa::test {
namespace {

// The kind a widget really is; exact class names, so a QLabel subclass or a plain list where a
// one-row list belongs is caught.
bool hasKind(const QWidget* widget, Kind kind) {
    const std::string cls = widget->metaObject()->className();
    switch (kind) {
        case Kind::Frame:
            return cls == "QGroupBox";
        case Kind::CheckBox:
            return cls == "QCheckBox";
        case Kind::Button:
            return cls == "QPushButton";
        case Kind::Label:
        case Kind::ValueLabel:
        case Kind::Picture:
            return cls == "QLabel";
        case Kind::List:
            return cls == "QListWidget";
        case Kind::OneRowList:
            return qobject_cast<const ui::OneRowList*>(widget) != nullptr;
        case Kind::Slider:
            return cls == "QSlider";
        case Kind::TextBox:
            return cls == "QLineEdit";
    }
    return false;
}

QString shownText(const QWidget* widget) {
    if (const auto* box = qobject_cast<const QGroupBox*>(widget)) {
        return box->title();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text();
    }
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) {
        return edit->text();
    }
    return {};
}

bool carriesAccessibleName(Kind kind) {
    return kind == Kind::List || kind == Kind::OneRowList || kind == Kind::Slider ||
           kind == Kind::TextBox || kind == Kind::Picture;
}

class PanelControls : public testing::TestWithParam<Panel> {};

TEST_P(PanelControls, EveryControlExistsOnceWithItsKindCaptionAndTooltip) {
    const Panel& panel = GetParam();
    const auto widget = panel.make();
    for (const Control& control : panel.controls) {
        SCOPED_TRACE(control.name);
        const auto found = widget->findChildren<QWidget*>(control.name);
        ASSERT_EQ(found.size(), 1) << "expected exactly one " << kindName(control.kind);
        const QWidget* child = found.front();
        EXPECT_TRUE(hasKind(child, control.kind)) << "is a " << child->metaObject()->className()
                                                  << ", expected " << kindName(control.kind);
        EXPECT_EQ(child->toolTip(), QString::fromUtf8(control.toolTip));
        if (carriesAccessibleName(control.kind)) {
            EXPECT_EQ(child->accessibleName(), QString::fromUtf8(control.text));
            if (control.kind != Kind::TextBox) {
                EXPECT_TRUE(shownText(child).isEmpty());
            }
        } else {
            EXPECT_EQ(shownText(child), QString::fromUtf8(control.text));
            // A caption speaks for itself; on a value label an accessible name would hide the
            // value. A frame inside another frame repeats its title: Qt would name it after the
            // outer one.
            EXPECT_TRUE(child->accessibleName().isEmpty() ||
                        (qobject_cast<const QGroupBox*>(child->parentWidget()) != nullptr &&
                         child->accessibleName() == shownText(child)));
        }
        if (control.kind == Kind::Picture) {
            const auto* picture = qobject_cast<const QLabel*>(child);
            ASSERT_NE(picture, nullptr);
            EXPECT_FALSE(picture->pixmap().isNull()) << "artwork missing from the resources";
        }
        if (control.kind == Kind::List || control.kind == Kind::OneRowList) {
            EXPECT_EQ(qobject_cast<const QListWidget*>(child)->count(), 0)
                << "lists are filled by the load routines";
        }
    }
}

TEST_P(PanelControls, HoldsNoControlMissingFromTheCatalogue) {
    const Panel& panel = GetParam();
    const auto widget = panel.make();
    std::set<QString> known;
    for (const Control& control : panel.controls) {
        known.insert(QString::fromUtf8(control.name));
    }
    const auto isControl = [](const QWidget* w) {
        return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLabel*>(w) ||
               qobject_cast<const QListWidget*>(w) || qobject_cast<const QSlider*>(w) ||
               qobject_cast<const QLineEdit*>(w) || qobject_cast<const QGroupBox*>(w);
    };
    for (const QWidget* child : widget->findChildren<QWidget*>()) {
        if (isControl(child)) {
            EXPECT_TRUE(known.count(child->objectName()))
                << "unexpected " << child->metaObject()->className() << " '"
                << child->objectName().toStdString() << "'";
        }
    }
}

TEST_P(PanelControls, DesignStateShowsTheMainFramesAndHidesTheCoveringPages) {
    const Panel& panel = GetParam();
    const auto widget = panel.make();
    const std::set<std::string> hidden(panel.hiddenFrames.begin(), panel.hiddenFrames.end());
    for (const Control& control : panel.controls) {
        SCOPED_TRACE(control.name);
        const auto* child = widget->findChild<QWidget*>(control.name);
        ASSERT_NE(child, nullptr);
        EXPECT_TRUE(child->isEnabled());
        EXPECT_EQ(child->isHidden(), hidden.count(control.name) == 1);
    }
}

TEST_P(PanelControls, TabOrderFollowsTheLayout) {
    const Panel& panel = GetParam();
    const auto widget = panel.make();
    std::set<const QWidget*> focusable;
    for (const char* name : panel.tabOrder) {
        const auto* child = widget->findChild<QWidget*>(name);
        ASSERT_NE(child, nullptr) << name;
        EXPECT_TRUE(child->focusPolicy() & Qt::TabFocus) << name;
        focusable.insert(child);
    }
    // Walk the focus chain from the first control and keep the catalogue's controls.
    std::vector<std::string> visited;
    QWidget* first = widget->findChild<QWidget*>(panel.tabOrder.front());
    QWidget* current = first;
    do {
        if (focusable.count(current)) {
            visited.push_back(current->objectName().toStdString());
        }
        current = current->nextInFocusChain();
    } while (current != first && current != nullptr);
    EXPECT_EQ(visited, std::vector<std::string>(panel.tabOrder.begin(), panel.tabOrder.end()));
}

INSTANTIATE_TEST_SUITE_P(AllPanels, PanelControls, testing::ValuesIn(panels()),
                         [](const testing::TestParamInfo<Panel>& param) {
                             return param.param.name;
                         });

QWidget* findInAnyPanel(std::vector<std::unique_ptr<QWidget>>& widgets, const char* name) {
    for (auto& widget : widgets) {
        if (auto* found = widget->findChild<QWidget*>(name)) {
            return found;
        }
    }
    return nullptr;
}

std::vector<std::unique_ptr<QWidget>> makeAllPanels() {
    std::vector<std::unique_ptr<QWidget>> widgets;
    for (const Panel& panel : panels()) {
        widgets.push_back(panel.make());
    }
    return widgets;
}

TEST(PanelSliders, HaveTheirRangeAndSteps) {
    auto widgets = makeAllPanels();
    std::size_t sliderCount = 0;
    for (auto& widget : widgets) {
        sliderCount += static_cast<std::size_t>(widget->findChildren<QSlider*>().size());
    }
    EXPECT_EQ(sliderCount, sliderRanges().size()) << "every slider has its range in the table";
    for (const SliderRange& range : sliderRanges()) {
        SCOPED_TRACE(range.name);
        const auto* slider = qobject_cast<QSlider*>(findInAnyPanel(widgets, range.name));
        ASSERT_NE(slider, nullptr);
        EXPECT_EQ(slider->orientation(), Qt::Horizontal);
        EXPECT_EQ(slider->minimum(), 0);
        EXPECT_EQ(slider->maximum(), range.maximum);
        EXPECT_EQ(slider->singleStep(), 1);
        EXPECT_EQ(slider->pageStep(), 5);
        EXPECT_EQ(slider->value(), 0);
    }
}

TEST(PanelSliders, BansheeClocksTickAtEveryPositionAndGammasDoNot) {
    auto widgets = makeAllPanels();
    for (const char* name : {"sld3DfxBansheeGrx", "sld3DfxBansheeMem"}) {
        const auto* slider = qobject_cast<QSlider*>(findInAnyPanel(widgets, name));
        ASSERT_NE(slider, nullptr);
        EXPECT_NE(slider->tickPosition(), QSlider::NoTicks) << name;
        EXPECT_EQ(slider->tickInterval(), 1) << name;
    }
    for (const char* name :
         {"sldBanDRG", "sldBanDGG", "sldBanDBG", "sldBanGRG", "sldBanGGG", "sldBanGBG"}) {
        const auto* slider = qobject_cast<QSlider*>(findInAnyPanel(widgets, name));
        ASSERT_NE(slider, nullptr);
        EXPECT_EQ(slider->tickPosition(), QSlider::NoTicks) << name;
    }
}

TEST(PanelNames, AreUniqueAcrossTheWholeWindow) {
    auto widgets = makeAllPanels();
    std::map<QString, int> seen;
    for (auto& widget : widgets) {
        for (const QObject* child : widget->findChildren<QObject*>()) {
            if (!child->objectName().isEmpty() && !child->objectName().startsWith("qt_")) {
                ++seen[child->objectName()];
            }
        }
    }
    for (const auto& [name, count] : seen) {
        EXPECT_EQ(count, 1) << name.toStdString();
    }
}

// A caption label names the control it stands for, so assistive technology reads the caption
// with the slider, list or text box.
TEST(PanelCaptions, AreTheBuddiesOfTheControlsTheyName) {
    const std::vector<std::pair<const char*, const char*>> captions = {
        {"lblTNTGLtexq", "lstTNTGLtexq"},
        {"lblTNTD3Dmip", "lstTNTD3Dmip"},
        {"lblTNTD3Dmipm", "lstTNTD3Dmipm"},
        {"lblTNTD3Dmipd", "lstTNTD3Dmipd"},
        {"lblTNTCoreClk", "sldTNTCoreClk"},
        {"lblTNTMemClk", "sldTNTMemClk"},
        {"lbl3DfxVCore", "sld3DfxVCore"},
        {"lblV2D3DCore", "sldV2D3DCore"},
        {"lblV2D3DRG", "sldV2D3DRG"},
        {"lblV2D3DGG", "sldV2D3DGG"},
        {"lblV2D3DBG", "sldV2D3DBG"},
        {"lblV2GCore", "sldV2GCore"},
        {"Label1", "sldV2GRG"},
        {"lblV2GGG", "sldV2GGG"},
        {"lblV2GBG", "sldV2GBG"},
        {"lbl3DfxBansheeGrx", "sld3DfxBansheeGrx"},
        {"lblBansheeMem", "sld3DfxBansheeMem"},
        {"lblBanDRG", "sldBanDRG"},
        {"lblBanDGG", "sldBanDGG"},
        {"lblBanDBG", "sldBanDBG"},
        {"lblBanGRG", "sldBanGRG"},
        {"lblBanGGG", "sldBanGGG"},
        {"lblBanGBG", "sldBanGBG"},
        {"lblHLon", "txtHLdrive"},
        {"lblHLip", "txtHLip"},
        {"lblHLdescription", "txtHLdesc"},
    };
    auto widgets = makeAllPanels();
    for (const auto& [labelName, controlName] : captions) {
        const auto* label = qobject_cast<QLabel*>(findInAnyPanel(widgets, labelName));
        ASSERT_NE(label, nullptr) << labelName;
        ASSERT_NE(label->buddy(), nullptr) << labelName;
        EXPECT_EQ(label->buddy()->objectName().toStdString(), controlName) << labelName;
    }
}

// Pages that replace each other share one cell of one grid, so showing either puts it in the same
// place.
void expectSameCell(QWidget* root, const std::vector<const char*>& names) {
    const auto* first = root->findChild<QWidget*>(names.front());
    ASSERT_NE(first, nullptr);
    auto* grid = qobject_cast<QGridLayout*>(first->parentWidget()->layout());
    if (grid == nullptr || grid->indexOf(first) < 0) {
        // The pages sit in a grid nested in the parent's layout.
        grid = nullptr;
        for (auto* candidate : root->findChildren<QGridLayout*>()) {
            if (candidate->indexOf(first) >= 0) {
                grid = candidate;
            }
        }
    }
    ASSERT_NE(grid, nullptr) << names.front() << " is not in a grid";
    int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(grid->indexOf(first), &row, &column, &rowSpan, &columnSpan);
    for (const char* name : names) {
        auto* page = root->findChild<QWidget*>(name);
        ASSERT_NE(page, nullptr) << name;
        const int index = grid->indexOf(page);
        ASSERT_GE(index, 0) << name << " is not in the shared grid";
        int r = -1, c = -1, rs = 0, cs = 0;
        grid->getItemPosition(index, &r, &c, &rs, &cs);
        EXPECT_EQ(std::make_tuple(r, c, rs, cs), std::make_tuple(row, column, rowSpan, columnSpan))
            << name;
    }
}

TEST(PanelPages, Voodoo2OptionFramesShareOnePlaceInsideTheVoodoo2Frame) {
    auto widgets = makeAllPanels();
    auto* outer = findInAnyPanel(widgets, "frame3DfxV2");
    ASSERT_NE(outer, nullptr);
    for (const char* name : {"frameV2D3D", "frameV2Glide"}) {
        const auto* page = outer->findChild<QWidget*>(name);
        ASSERT_NE(page, nullptr) << name;
        EXPECT_EQ(page->parentWidget(), outer) << name;
    }
    expectSameCell(outer, {"frameV2D3D", "frameV2Glide"});
}

TEST(PanelPages, BansheeSubPagesCoverTheMainFrame) {
    auto widgets = makeAllPanels();
    auto* main = findInAnyPanel(widgets, "frame3DfxBanshee");
    ASSERT_NE(main, nullptr);
    expectSameCell(main->parentWidget(),
                   {"frame3DfxBanshee", "frameBansheeD3D", "frameBansheeGlide"});
}

}  // namespace
}  // namespace tunexa::test
