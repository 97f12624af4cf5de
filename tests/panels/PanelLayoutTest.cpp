// Tidy layouts: with the widest values in the value labels, on every page of a panel, at the
// panel's smallest and preferred size and with a normal and a large font, no control is smaller
// than it needs, none sticks out of its parent and no two siblings overlap; at the preferred size
// list items show in full. Every state is also grabbed to a PNG in the build folder for a look by
// eye.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>

#include <string>
#include <utility>
#include <vector>

#include "PanelCatalogue.h"
#include "ui/OneRowList.h"

namespace tunexa::test {
namespace {

// Which frames are visible on each page of a panel; the first page is the design state.
using Page = std::pair<std::string, std::vector<std::pair<const char*, bool>>>;

std::vector<Page> pagesOf(const std::string& panel) {
    if (panel == "Voodoo2Frame") {
        return {{"d3d", {}}, {"glide", {{"frameV2D3D", false}, {"frameV2Glide", true}}}};
    }
    if (panel == "BansheeFrame") {
        return {{"main", {}},
                {"d3d", {{"frame3DfxBanshee", false}, {"frameBansheeD3D", true}}},
                {"glide", {{"frame3DfxBanshee", false}, {"frameBansheeGlide", true}}}};
    }
    return {{"main", {}}};
}

void fillAsLoaded(QWidget* root) {
    for (const auto& [name, text] : widestValues()) {
        if (auto* label = root->findChild<QLabel*>(name)) {
            label->setText(QString::fromUtf8(text));
        }
    }
    // Longest item texts the load routines put into the lists.
    const std::vector<std::pair<const char*, QStringList>> lists = {
        {"lstTNTD3Dmip", {"1", "2", "12"}},
        {"lstTNTD3Dmipm", {"Bilinear", "Trilinear"}},
        {"lstTNTD3Dmipd", {"Best image quality", "High performance"}},
        {"lstTNTGLtexq", {"Optimise for best image quality", "Optimise for best performance"}},
        {"lstMainRes", {"640x480x16", "800x600x16", "1024x768x32", "1600x1200x32"}},
        {"lstHL", {"C:\\SIERRA\\Half-Life\\hl.exe", "D:\\Games\\Half-Life\\hl.exe"}},
        {"lstHLfaves", {"LAN party", "", "Clan server", "", "", "", "", "", "", ""}},
    };
    for (const auto& [name, items] : lists) {
        if (auto* list = root->findChild<QListWidget*>(name)) {
            list->addItems(items);
        }
    }
}

std::vector<QWidget*> visibleControls(QWidget* root, const Panel& panel) {
    std::vector<QWidget*> controls;
    for (const Control& control : panel.controls) {
        auto* widget = root->findChild<QWidget*>(control.name);
        if (widget != nullptr && widget->isVisibleTo(root)) {
            controls.push_back(widget);
        }
    }
    return controls;
}

// `itemsInFull`: list items are only required to show in full at the preferred size; a list
// squeezed below it scrolls its text.
void expectTidy(QWidget* root, const Panel& panel, bool itemsInFull) {
    const auto controls = visibleControls(root, panel);
    ASSERT_FALSE(controls.empty());
    for (QWidget* control : controls) {
        const std::string name = control->objectName().toStdString();
        const QSize need = control->minimumSizeHint().expandedTo(control->minimumSize());
        EXPECT_GE(control->width(), need.width()) << name << " is clipped";
        EXPECT_GE(control->height(), need.height()) << name << " is clipped";
        EXPECT_TRUE(control->parentWidget()->rect().contains(control->geometry()))
            << name << " sticks out of " << control->parentWidget()->objectName().toStdString();
        if (const auto* list = qobject_cast<QListWidget*>(control);
            list != nullptr && itemsInFull) {
            EXPECT_GE(list->viewport()->width(), list->sizeHintForColumn(0))
                << name << " cuts its widest item";
        }
        if (const auto* label = qobject_cast<QLabel*>(control);
            label != nullptr && !label->wordWrap()) {
            EXPECT_GE(label->contentsRect().width(),
                      label->fontMetrics().horizontalAdvance(label->text()))
                << name << " cuts its text";
        }
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            if (controls[i]->parentWidget() == controls[j]->parentWidget()) {
                EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                    << controls[i]->objectName().toStdString() << " overlaps "
                    << controls[j]->objectName().toStdString();
            }
        }
    }
}

QString screenshotFolder() {
    const QString folder = QStringLiteral(TUNEXA_SCREENSHOT_DIR);
    QDir().mkpath(folder);
    return folder;
}

struct LayoutCase {
    Panel panel;
    int pointSize;
};

void PrintTo(const LayoutCase& layoutCase, std::ostream* out) {
    *out << layoutCase.panel.name << " at " << layoutCase.pointSize << " pt";
}

class PanelLayout : public testing::TestWithParam<LayoutCase> {
  protected:
    void SetUp() override {
        savedFont_ = QApplication::font();
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), GetParam().pointSize));
    }
    void TearDown() override { QApplication::setFont(savedFont_); }

  private:
    QFont savedFont_;
};

TEST_P(PanelLayout, NothingIsClippedOrOverlappingOnAnyPage) {
    const auto& [panel, pointSize] = GetParam();
    for (const auto& [pageName, visibility] : pagesOf(panel.name)) {
        SCOPED_TRACE(pageName);
        auto root = panel.make();
        fillAsLoaded(root.get());
        for (const auto& [frame, visible] : visibility) {
            auto* widget = root->findChild<QWidget*>(frame);
            ASSERT_NE(widget, nullptr) << frame;
            widget->setVisible(visible);
        }
        root->show();
        for (const bool preferred : {false, true}) {
            const QSize size = preferred ? root->sizeHint() : root->minimumSizeHint();
            SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
            root->resize(size);
            QApplication::processEvents();
            expectTidy(root.get(), panel, preferred);
        }
        const QString file = QStringLiteral("%1/%2-%3-%4pt.png")
                                 .arg(screenshotFolder(), QString::fromUtf8(panel.name),
                                      QString::fromStdString(pageName))
                                 .arg(pointSize);
        EXPECT_TRUE(root->grab().save(file)) << file.toStdString();
    }
}

std::vector<LayoutCase> layoutCases() {
    std::vector<LayoutCase> cases;
    for (const int pointSize : {9, 14}) {
        for (const Panel& panel : panels()) {
            cases.push_back({panel, pointSize});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(AllPanels, PanelLayout, testing::ValuesIn(layoutCases()),
                         [](const testing::TestParamInfo<LayoutCase>& param) {
                             return std::string(param.param.panel.name) + "_" +
                                    std::to_string(param.param.pointSize) + "pt";
                         });

TEST(OneRowLists, ShowExactlyOneRow) {
    for (const Panel& panel : panels()) {
        auto root = panel.make();
        fillAsLoaded(root.get());
        root->show();
        root->resize(root->sizeHint());
        QApplication::processEvents();
        for (const Control& control : panel.controls) {
            if (control.kind != Kind::OneRowList) {
                continue;
            }
            SCOPED_TRACE(control.name);
            auto* list = root->findChild<ui::OneRowList*>(control.name);
            ASSERT_NE(list, nullptr);
            ASSERT_GT(list->count(), 1);
            const int row = list->sizeHintForRow(0);
            EXPECT_GE(list->viewport()->height(), row);
            EXPECT_LT(list->viewport()->height(), 2 * row);
        }
    }
}

}  // namespace
}  // namespace tunexa::test
