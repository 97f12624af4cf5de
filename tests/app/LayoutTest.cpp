// The window is tidy on every tab: no control smaller than it needs to show its caption, none
// cut off by the frame it sits in, none overlapping a visible neighbour.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QTest>

#include "app/AppFont.h"
#include "app/FirstRun.h"
#include "app/Form1.h"

namespace tunexa::app {
namespace {

bool showsCaption(const QWidget* widget) {
    if (auto* label = qobject_cast<const QLabel*>(widget)) {
        return !label->wordWrap() && !label->text().isEmpty();
    }
    return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QGroupBox*>(widget);
}

QString describe(const QWidget* widget) {
    return widget->objectName() + QLatin1Char(' ') +
           QLatin1String(widget->metaObject()->className());
}

// Checks every visible widget below `root` (named ones only: Qt's own parts are left alone).
void expectTidy(const QWidget* root) {
    for (const QWidget* widget : root->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(root->window()) || !widget->isVisible() ||
            widget->objectName().isEmpty() ||
            widget->objectName().startsWith(QLatin1String("qt_"))) {
            continue;
        }
        const QString name = describe(widget);
        if (showsCaption(widget)) {
            const QSize needed = widget->minimumSizeHint();
            EXPECT_GE(widget->width(), needed.width()) << name.toStdString() << " clipped";
            EXPECT_GE(widget->height(), needed.height()) << name.toStdString() << " clipped";
        }
        const QWidget* parent = widget->parentWidget();
        if (parent != nullptr && !widget->isWindow()) {
            EXPECT_TRUE(parent->rect().contains(widget->geometry()))
                << name.toStdString() << " cut off by " << describe(parent).toStdString();
            for (const QObject* other : parent->children()) {
                auto* sibling = qobject_cast<const QWidget*>(other);
                if (sibling == nullptr || sibling == widget || !sibling->isVisible() ||
                    sibling->isWindow() || sibling->objectName().isEmpty() ||
                    sibling->objectName().startsWith(QLatin1String("qt_"))) {
                    continue;
                }
                EXPECT_FALSE(widget->geometry().intersects(sibling->geometry()))
                    << name.toStdString() << " overlaps " << describe(sibling).toStdString();
            }
        }
    }
}

TEST(LayoutTest, EveryTabIsTidy) {
    applyProgramFont();
    Form1 form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    for (int tab = 0; tab < form.ui.SSTab1->count(); ++tab) {
        SCOPED_TRACE(form.ui.SSTab1->tabText(tab).toStdString());
        form.ui.SSTab1->setCurrentIndex(tab);
        QApplication::processEvents();
        expectTidy(form.ui.SSTab1->currentWidget());
    }
}

TEST(LayoutTest, OptionPagesShareThePlaceOfWhatTheyCover) {
    Form1 form;
    form.ui.SSTab1->setCurrentIndex(2);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const std::pair<const char*, const char*> kPages[] = {
        {"frameV2Glide", "frameV2D3D"},
        {"frameBansheeD3D", "frame3DfxBanshee"},
        {"frameBansheeGlide", "frame3DfxBanshee"}};
    for (const auto& [pageName, coveredName] : kPages) {
        SCOPED_TRACE(pageName);
        auto* page = form.findChild<QWidget*>(QString::fromLatin1(pageName));
        auto* covered = form.findChild<QWidget*>(QString::fromLatin1(coveredName));
        ASSERT_TRUE(page && covered);
        EXPECT_EQ(page->parentWidget(), covered->parentWidget());
        page->show();
        QApplication::processEvents();
        EXPECT_EQ(page->geometry(), covered->geometry());
        page->hide();
    }
}

// The named controls that take the focus with Tab, in the order Tab visits them.
QStringList tabOrder(const QWidget* window, const QWidget* within) {
    QStringList order;
    const QWidget* widget = window;
    do {
        widget = widget->nextInFocusChain();
        if ((widget->focusPolicy() & Qt::TabFocus) && !widget->objectName().isEmpty() &&
            !widget->objectName().startsWith(QLatin1String("qt_")) &&
            within->isAncestorOf(widget)) {
            order << widget->objectName();
        }
    } while (widget != window);
    return order;
}

TEST(LayoutTest, FirstTabOrderFollowsTheLayout) {
    Form1 form;
    const QStringList expected{"lstMainRes",     "cmdSwitchDisplay", "chkConfTNT",
                               "chkConfBanshee", "chkConfV2",        "chkConfVoodoo",
                               "chkMatroxOnOff", "cmdConfApply",     "cmdReadDriveC", "chkRunOnStart",
                               "chkStartMin",    "lstProfiles",      "cmdProfileApply",
                               "cmdProfileDelete", "cmdProfileSave", "cmdUndo",
                               "cmdHistory",     "cmdReboot",        "cmdShutDown"};
    EXPECT_EQ(tabOrder(&form, form.ui.tabMainSettings), expected);
}

TEST(LayoutTest, FirstRunTabOrderFollowsTheLayout) {
    FirstRun window;
    const QStringList expected{"chkRivaTNT",     "chkVoodoo",     "chkVoodoo2",
                               "chkBanshee",     "chkReadMachine", "cmdOKFirstRun"};
    EXPECT_EQ(tabOrder(&window, &window), expected);
}

TEST(LayoutTest, FirstRunWindowIsTidy) {
    FirstRun window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    expectTidy(&window);
}

}  // namespace
}  // namespace tunexa::app
