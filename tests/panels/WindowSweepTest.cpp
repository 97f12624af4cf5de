// One sweep over the main window and the first-run window, built from their .ui files and the
// panels' .ui files promoted into them: every control's name, kind, caption or accessible name,
// tooltip, buddy, frame, Tab order and design state, and on every tab and page, at the smallest
// and the preferred size, with the widest values in, nothing clipped, sticking out or overlapping.
// ctest runs the sweep again at 1.25 and 2 times the pixel ratio.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>

#include <span>

#include "app/AppFont.h"
#include "app/FirstRun.h"
#include "app/Form1.h"
#include "ui/OneRowList.h"

namespace tunexa::test {
namespace {

// Each row: the frame, tab page or window some controls sit in, then those controls in Tab order,
// each "<name>[=<caption>][^<accessible name>][~<as loaded>][><buddy>][|<tooltip>][#<maximum>]",
// split by ';' (a slider's maximum; every slider pages by 5). The caption is the text, title or
// window title shown or, for a control without one (slider, list, text box, picture), its
// accessible name; a captioned control has an accessible name only where its caption alone would be
// ambiguous; "*" is any text, and without "=" the control shows no text (a value label). "As
// loaded" is the widest text a load puts into a value label ("2.00" when not given) or a list's
// items, split by ','.
const std::pair<const char*, const char*> kForm1[] = {
    {"Form1",
     "Form1=Tunexa v1.0.7 for Win95/98 - Public Beta;SSTab1;tabMainSettings=  Main Settings;"
     "tabRivaTNT=   Riva TNT;tab3Dfx= 3Dfx;tabOtherStuff=  Other Stuff"},
    {"tabMainSettings",
     "lblTXVersion=Tunexa v1.0.7 for Win95/98  -  Public Beta;lblAbout=Tunexa v1.0.7;lblAbout2=*;"
     "lblAboutTX_0=Tunexa v1.0.7 for Win95/98 - Public Beta;lblAboutTX_1=Running on a;lblAboutTX_2;"
     "lblAboutTX_3=Operating System;lblAboutTX_4;frameMainDisplay=Main Display Settings;"
     "frameDriveC=Drive C:;frameConfigure=Choose Available Cards;frameTXSettings=Tunexa Options"},
    {"frameMainDisplay",
     "lstMainRes=Display modes~640x480x16,1600x1200x32;cmdSwitchDisplay=Switch resolution;"
     "lblResolution=Current Resolution;lblCurrentRes~1600x1200"},
    {"frameDriveC",
     "txtDriveC=What drive C: is;cmdDriveCFolder=Folder…^Choose a folder as drive C:;"
     "cmdDriveCImage=Disk image…^Choose a disk image as drive C:;"
     "cmdReadDriveC=Read from drive C:|Read the driver settings of the Windows 95/98 installation "
     "on drive C:;cmdSendDriveC=Send to drive C:|Have the Windows 95/98 installation on drive C: "
     "import the settings that differ at its next start;cmdCheckDriveC=Check drive C:|Compare the "
     "settings with those of the Windows 95/98 installation on drive C:"},
    {"frameConfigure",
     "chkConfTNT=Riva TNT;chkConfBanshee=Banshee;chkConfV2=Voodoo 2;chkConfVoodoo=Voodoo;"
     "chkMatroxOnOff=Matrox Gx00;cmdConfApply=Apply"},
    {"frameTXSettings", "chkRunOnStart=Run with Windows;chkStartMin=Start Minimised"},
    {"tabMainSettings", "frameProfiles=Profiles"},
    {"frameProfiles",
     "lstProfiles=Saved profiles~Defaults,Benchmark;cmdProfileApply=Apply^Apply profile;"
     "cmdProfileDelete=Delete^Delete profile;cmdProfileSave=Save as profile…;"
     "cmdUndo=Undo last change;cmdHistory=History…"},
    {"tabMainSettings",
     "cmdReboot=Reboot|Reboot Your Computer;cmdShutDown=Exit Windows|Shut Down Your Computer"},
    {"tabRivaTNT",
     "frameTNTSettings=Dynamic Settings;frameTNTOC=Overclocking - Hercules Drivers Only;"
     "frameTNTD3D=Direct3D;frameTNTGL=OpenGL;lblTNTdriver=TNT driver;"
     "lblTNTdriverVal~NVIDIA RIVA TNT"},
    {"frameTNTSettings",
     "lblTNTUnrealD3D=Unreal Direct3D settings|These settings are dynamic!!;"
     "chkUnrealTrueC=TrueColor;chkUnrealDoTri=DoTrilinear;chkUnrealTB=TripleBuffering;"
     "chkUnrealDoFlip=DoFlip;lblTNTDetonator=Detonator Driver Options;"
     "chkTNTCpuOpt=Disable support for Pentium III|Disable support for Pentium III / Katmai;"
     "chkTNTNV4=Power User;chkTNTDX6=DX6 Support;chkTNTSetVsync=VSync On/Off"},
    {"frameTNTOC",
     "lblTNTCoreClk=Core>sldTNTCoreClk;sldTNTCoreClk=Core clock#30;lblTNTCoreVal;"
     "lblTNTMemClk=Memory>sldTNTMemClk;sldTNTMemClk=Memory clock#20;lblTNTMemVal"},
    {"frameTNTD3D",
     "chkTNTFogTable=Fog Table Emulation;chkTNTD3Daa=Anti-Aliasing;"
     "sldTNTD3Daa=Anti-aliasing method#6;lblTNTD3DaaVal;lblTNTD3DaaI=Best Image Quality;"
     "lblTNTD3DaaP=Best Performance;chkTNTD3Ddither=Allow mipmap dithering;"
     "lblTNTD3Dmip=Mipmap Levels>lstTNTD3Dmip;lstTNTD3Dmip=Mipmap levels~1,12;"
     "lblTNTD3Dmipm=Auto mipmap method>lstTNTD3Dmipm;"
     "lstTNTD3Dmipm=Auto mipmap method~Bilinear,Trilinear;"
     "lblTNTD3Dmipd=Mipmap detail level>lstTNTD3Dmipd;"
     "lstTNTD3Dmipd=Mipmap detail level~Best image quality,High performance"},
    {"frameTNTGL",
     "lblTNTGLtexq=Texture Quality>lstTNTGLtexq;"
     "lstTNTGLtexq=Texture quality~Optimise for best image quality,Blend"},
    {"tabRivaTNT", "cmdTNTdefaults=Reset Defaults;cmdTNTapply=Apply all settings"},
    {"tab3Dfx",
     "frame3DfxBanshee=Banshee;frameBansheeD3D=Banshee - D3D;frameBansheeGlide=Banshee - Glide;"
     "frame3DfxV=Voodoo;frame3DfxV2=Voodoo 2"},
    {"frame3DfxBanshee",
     "picBansheeCard=Banshee card;picBansheeChip=Banshee chip;cmdShowBanD3D=D3D Options;"
     "cmdShowBanGlide=Glide Options;lbl3DfxBansheeGrx=Graphics Core>sld3DfxBansheeGrx;"
     "sld3DfxBansheeGrx=Graphics core clock#20;lbl3DfxBansheeGrxVal;"
     "lblBansheeMem=Memory Speed>sld3DfxBansheeMem;sld3DfxBansheeMem=Memory clock#20;"
     "lbl3DfxBansheeMemVal;cmd3DfxBansheereset=Defaults;cmd3DfxBansheeapply=Apply"},
    {"frameBansheeD3D",
     "picBanD3D=Direct3D card;cmdBanDback=Back;chkBanDVSync=VSync;chkBanDauto=Auto Mipmapping;"
     "chkBanDtri=Force Trilinear;chkBanDantialias=Force Anti Aliasing;"
     "lblBanDRG=Red Gamma>sldBanDRG;sldBanDRG=Red gamma#40;lblBanDRGval;"
     "lblBanDGG=Green Gamma>sldBanDGG;sldBanDGG=Green gamma#40;lblBanDGGval;"
     "lblBanDBG=Blue Gamma>sldBanDBG;sldBanDBG=Blue gamma#40;lblBanDBGval"},
    {"frameBansheeGlide",
     "picBanGlide=Glide card;cmdBanGback=Back;chkBanGVSync=VSync;chkBanGrush=Rush Emulation;"
     "chkBanGadvance=Advanced Filtering;chkBanGtriple=Triple Buffering;"
     "lblBanGRG=Red Gamma>sldBanGRG;sldBanGRG=Red gamma#40;lblBanGRGval;"
     "lblBanGGG=Green Gamma>sldBanGGG;sldBanGGG=Green gamma#40;lblBanGGGval;"
     "lblBanGBG=Blue Gamma>sldBanGBG;sldBanGBG=Blue gamma#40;lblBanGBGval"},
    {"frame3DfxV",
     "lbl3DfxVCore=Graphics Core>sld3DfxVCore;sld3DfxVCore=Graphics core clock#10;lbl3DfxVCoreVal;"
     "chk3DfxVVsync=VSync;chk3DfxVFastMem=Fast Mem;chk3DfxVFastPCI=Fast PCI;"
     "cmd3DfxVreset=Reset to Defaults;cmd3DfxVapply=Apply"},
    {"frame3DfxV2",
     "chkV2sli=Disable SLI;cmdV2SwitchD3D=D3D Options;cmdV2SwitchGlide=Glide Options;"
     "frameV2D3D=Direct3D;frameV2Glide=Glide"},
    {"frameV2D3D",
     "chkV2D3Dvs=VSync;chkV2D3Dam=Auto Mipmapping;chkV2D3Dft=Force Trilinear;"
     "chkV2D3Dfa=Force Anti Aliasing;lblV2D3DCore=Core Speed>sldV2D3DCore;"
     "sldV2D3DCore=Core clock#20;lblV2D3DCoreVal;lblV2D3DRG=Red Gamma>sldV2D3DRG;"
     "sldV2D3DRG=Red gamma#40;lblV2DRGVal;"
     "lblV2D3DGG=Green Gamma>sldV2D3DGG;sldV2D3DGG=Green gamma#40;lblV2DGGVal;"
     "lblV2D3DBG=Blue Gamma>sldV2D3DBG;sldV2D3DBG=Blue gamma#40;lblV2DBGVal"},
    {"frameV2Glide",
     "chkV2Gtriple=Triple Buffering;chkV2Glimit=Limit to 2Mb;chkV2Gadvance=Advanced Filtering;"
     "chkV2GVSync=VSync;lblV2GCore=Core Speed>sldV2GCore;sldV2GCore=Core clock#20;lblV2GCoreVal;"
     "Label1=Red Gamma>sldV2GRG;sldV2GRG=Red gamma#40;lblV2GRGVal;lblV2GGG=Green Gamma>sldV2GGG;"
     "sldV2GGG=Green gamma#40;lblV2GGGVal;lblV2GBG=Blue Gamma>sldV2GBG;sldV2GBG=Blue gamma#40;"
     "lblV2GBGVal"},
    {"frame3DfxV2", "cmd3DfxV2reset=Defaults;cmd3DfxV2apply=Apply"},
    {"tabOtherStuff",
     "frameMatrox=Matrox G100/G200|Matrox Live Settings;frameHL=Half-Life Game Launching"},
    {"frameMatrox",
     "chkG200sub=Sub-pixel Enable;chkG200aniso=Anisotropic Filtering;chkG200V=VSync|G200 VSync;"
     "lblMatroxNote=Matrox Settings are applied dynamically"},
    {"frameHL",
     "picHL=Game server;lblHLclient=Client Options;cmdFindHL=Find Half-Life;"
     "lblHLon=on drive>txtHLdrive;txtHLdrive=Drive letter|Enter a drive letter. e.g C;"
     "lblHLsemi=:\\;lstHL=Half-Life program~C:\\SIERRA\\Half-Life\\hl.exe,D:\\hl.exe;"
     "lblHLip=IP Address>txtHLip;txtHLip=IP address;lblHLdescription=Description>txtHLdesc;"
     "txtHLdesc=Description;cmdHLsave=Save;lstHLfaves=Favourite servers~LAN party,,Clan;"
     "cmdHLdelIP=Delete;cmdHLconnect=Connect"}};

const std::pair<const char*, const char*> kFirstRun[] = {
    {"FirstRun", "FirstRun=Configure Tunexa v1.0.6;frameFirstRun=Configure Tunexa v1.0.6"},
    {"frameFirstRun",
     "Label1=Tunexa v1.0.6 Configuration;Label2=Please Choose the cards present in your system;"
     "chkRivaTNT=NVidia Riva TNT;chkVoodoo=3Dfx Voodoo;chkVoodoo2=3Dfx Voodoo2;"
     "chkBanshee=3Dfx Banshee;"
     "chkReadMachine=Read settings from the Windows installation on drive C:;lblMachineFolder;"
     "lblDisclaimer=By clicking OK, you agree to the fact that I cannot be held responsible for "
     "anything that happens to you or your hardware as a result of using Tunexa;cmdOKFirstRun=OK"}};

// The class each name prefix stands for; Tab visits the first five kinds.
const std::pair<QString, const char*> kKinds[] = {
    {"chk", "QCheckBox"}, {"cmd", "QPushButton"},  {"sld", "QSlider"}, {"lst", "QListWidget"},
    {"txt", "QLineEdit"}, {"frame", "QGroupBox"},  {"lbl", "QLabel"},  {"Label", "QLabel"},
    {"pic", "QLabel"},    {"SSTab", "QTabWidget"}, {"tab", "QWidget"}};
const QStringList kWithoutCaption = {"sld", "lst", "txt", "pic"};

// Option pages that take the place of the frame they cover; hidden at design time.
const std::pair<const char*, const char*> kPages[] = {{"frameV2Glide", "frameV2D3D"},
                                                      {"frameBansheeD3D", "frame3DfxBanshee"},
                                                      {"frameBansheeGlide", "frame3DfxBanshee"}};

// Shown only when drive C: holds a Windows installation.
const QStringList kShownWhenFound = {"chkReadMachine", "lblMachineFolder"};

struct Entry {
    QString container, name, caption, accessibleName, loaded, buddy, toolTip, maximum;
};

using Rows = std::span<const std::pair<const char*, const char*>>;

std::vector<Entry> catalogue(Rows rows) {
    std::vector<Entry> entries;
    for (const auto& [container, controls] : rows) {
        for (QString text : QString::fromUtf8(controls).split(';')) {
            const auto take = [&text](QChar mark) {
                const QString rest = text.contains(mark) ? text.section(mark, 1) : QString();
                text = text.section(mark, 0, 0);
                return rest;
            };
            const QString maximum = take('#'), toolTip = take('|'), buddy = take('>');
            const QString loaded = take('~'), accessibleName = take('^'), caption = take('=');
            entries.push_back({QString::fromLatin1(container), text, caption, accessibleName,
                               loaded, buddy, toolTip, maximum});
        }
    }
    return entries;
}

QWidget* control(QWidget& window, const QString& name) {
    return window.objectName() == name ? &window : window.findChild<QWidget*>(name);
}

// The frame, tab page or window a control sits in.
QString containerOf(const QWidget* widget) {
    const QWidget* up = widget->isWindow() ? widget : widget->parentWidget();
    while (!qobject_cast<const QGroupBox*>(up) && !up->isWindow() &&
           !up->objectName().startsWith("tab")) {
        up = up->parentWidget();
    }
    return up->objectName();
}

bool isControl(const QWidget* widget) {
    return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLabel*>(widget) ||
           qobject_cast<const QListWidget*>(widget) || qobject_cast<const QSlider*>(widget) ||
           qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QGroupBox*>(widget);
}

void expectCatalogue(QWidget& window, Rows rows) {
    const auto* tabs = window.findChild<QTabWidget*>();
    QStringList known, tabOrder;
    for (const Entry& entry : catalogue(rows)) {
        SCOPED_TRACE(entry.name.toStdString());
        known << entry.name;
        ASSERT_EQ(window.findChildren<QWidget*>(entry.name).size() +
                      (window.objectName() == entry.name ? 1 : 0),
                  1);
        QWidget* widget = control(window, entry.name);
        const auto kind = std::find_if(std::begin(kKinds), std::end(kKinds), [&](const auto& k) {
            return entry.name.startsWith(k.first);
        });
        EXPECT_TRUE(widget->inherits(kind == std::end(kKinds) ? "QWidget" : kind->second))
            << widget->metaObject()->className();
        const QString shown =
            widget->isWindow() ? widget->windowTitle()
            : tabs != nullptr && tabs->indexOf(widget) >= 0
                ? tabs->tabText(tabs->indexOf(widget))
                : widget->property(qobject_cast<QGroupBox*>(widget) ? "title" : "text").toString();
        const bool captioned = !kWithoutCaption.contains(entry.name.left(3));
        EXPECT_TRUE(captioned ? (entry.caption == "*" ? !shown.isEmpty() : shown == entry.caption)
                              : shown.isEmpty())
            << shown.toStdString();
        // A frame inside a frame repeats its title: Qt would name it after the outer one.
        const bool innerFrame = qobject_cast<QGroupBox*>(widget) != nullptr &&
                                qobject_cast<QGroupBox*>(widget->parentWidget()) != nullptr;
        EXPECT_EQ(widget->accessibleName(), !captioned   ? entry.caption
                                            : innerFrame ? shown
                                                         : entry.accessibleName);
        EXPECT_EQ(widget->toolTip(), entry.toolTip);
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            EXPECT_EQ(label->buddy() ? label->buddy()->objectName() : QString(), entry.buddy);
            EXPECT_EQ(entry.name.startsWith("pic"), !label->pixmap().isNull()) << "artwork";
        }
        if (const auto* slider = qobject_cast<const QSlider*>(widget)) {
            EXPECT_EQ(QString("%1/%2").arg(slider->maximum()).arg(slider->pageStep()),
                      entry.maximum + "/5");
        }
        EXPECT_EQ(containerOf(widget), entry.container);
        const bool page = std::count_if(std::begin(kPages), std::end(kPages),
                                        [&](const auto& p) { return entry.name == p.first; });
        EXPECT_TRUE(widget->isWindow() || entry.name.startsWith("tab") ||
                    widget->isHidden() == (page || kShownWhenFound.contains(entry.name)));
        if (kind - std::begin(kKinds) < 5) {
            tabOrder << entry.name;
        }
    }
    // Every named control is catalogued: no Designer default names, nothing extra.
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        EXPECT_TRUE(!isControl(widget) || widget->objectName().isEmpty() ||
                    widget->objectName().startsWith("qt_") ||
                    qobject_cast<const QTabBar*>(widget->parentWidget()) ||
                    known.contains(widget->objectName()))
            << "uncatalogued " << widget->objectName().toStdString();
    }
    QStringList chain;
    for (QWidget* widget = window.nextInFocusChain(); widget != &window;
         widget = widget->nextInFocusChain()) {
        if (tabOrder.contains(widget->objectName()) && (widget->focusPolicy() & Qt::TabFocus)) {
            chain << widget->objectName();
        }
    }
    EXPECT_EQ(chain, tabOrder);
}

TEST(WindowSweep, EveryControlHasItsNameKindCaptionBuddyFrameAndTabStop) {
    app::Form1 form;
    app::FirstRun firstRun;
    expectCatalogue(form, kForm1);
    expectCatalogue(firstRun, kFirstRun);
    EXPECT_EQ(form.ui.lblTXVersion->font().family(), "Arial");
}

// The window's visible controls, at the smallest size (the height wrapped text needs at the
// smallest width) and the preferred: none smaller than it needs, cutting its text or its list
// items (at the preferred size; below it a list scrolls), sticking out or overlapping.
void expectTidy(QWidget& window, Rows rows) {
    QSize smallest = window.minimumSizeHint();
    smallest.setHeight(std::max(smallest.height(), window.heightForWidth(smallest.width())));
    for (const bool preferred : {false, true}) {
        SCOPED_TRACE(preferred ? "preferred size" : "smallest size");
        window.resize(preferred ? window.sizeHint() : smallest);
        QApplication::processEvents();
        std::vector<QWidget*> shown;
        for (const Entry& entry : catalogue(rows)) {
            if (QWidget* widget = control(window, entry.name);
                widget != &window && widget->isVisible()) {
                shown.push_back(widget);
            }
        }
        for (QWidget* widget : shown) {
            SCOPED_TRACE(widget->objectName().toStdString());
            const QSize need = widget->minimumSizeHint().expandedTo(widget->minimumSize());
            EXPECT_TRUE(widget->width() >= need.width() && widget->height() >= need.height())
                << "clipped";
            EXPECT_TRUE(widget->parentWidget()->rect().contains(widget->geometry()))
                << "sticks out";
            const auto* label = qobject_cast<const QLabel*>(widget);
            if (label && !label->wordWrap()) {
                EXPECT_GE(label->contentsRect().width(),
                          label->fontMetrics().horizontalAdvance(label->text()))
                    << "text cut";
            }
            if (const auto* list = qobject_cast<const QListWidget*>(widget); list && preferred) {
                EXPECT_GE(list->viewport()->width(), list->sizeHintForColumn(0)) << "item cut";
            }
            if (const auto* list = qobject_cast<const ui::OneRowList*>(widget)) {
                EXPECT_EQ(list->viewport()->height() / list->sizeHintForRow(0), 1) << "one row";
            }
            for (const QWidget* other : shown) {
                EXPECT_TRUE(other == widget || other->parentWidget() != widget->parentWidget() ||
                            !other->geometry().intersects(widget->geometry()))
                    << "overlaps " << other->objectName().toStdString();
            }
        }
    }
}

TEST(WindowSweep, NothingIsClippedOrOverlappingOnAnyTabOrPage) {
    const QFont platformFont = QApplication::font();
    app::applyProgramFont();
    for (const int pointSize : {0, 14}) {
        SCOPED_TRACE("font size " + std::to_string(pointSize));
        if (pointSize > 0) {
            QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), pointSize));
        }
        app::Form1 form;
        for (const Entry& entry : catalogue(kForm1)) {
            QWidget* widget = control(form, entry.name);
            if (auto* list = qobject_cast<QListWidget*>(widget)) {
                EXPECT_EQ(list->count(), 0) << "the loads fill the lists";
                list->addItems(entry.loaded.split(','));
            } else if (qobject_cast<QLabel*>(widget) && entry.caption.isEmpty() &&
                       !entry.name.startsWith("pic")) {
                widget->setProperty("text", entry.loaded.isEmpty() ? "2.00" : entry.loaded);
            }
        }
        form.show();
        for (int tab = 0; tab < form.ui.SSTab1->count(); ++tab) {
            SCOPED_TRACE(form.ui.SSTab1->tabText(tab).toStdString());
            form.ui.SSTab1->setCurrentIndex(tab);
            expectTidy(form, kForm1);
        }
        form.ui.SSTab1->setCurrentWidget(form.ui.tab3Dfx);
        for (const auto& [pageName, coveredName] : kPages) {
            SCOPED_TRACE(pageName);
            auto* page = form.findChild<QWidget*>(pageName);
            auto* covered = form.findChild<QWidget*>(coveredName);
            page->show();
            QApplication::processEvents();
            EXPECT_EQ(page->geometry(), covered->geometry()) << "in the place of " << coveredName;
            covered->hide();
            expectTidy(form, kForm1);
            page->hide();
            covered->show();
        }
        app::FirstRun firstRun;
        for (const QString& name : kShownWhenFound) {
            firstRun.findChild<QWidget*>(name)->show();
        }
        firstRun.findChild<QLabel*>("lblMachineFolder")->setText("D:\\WINDOWS.000");
        firstRun.show();
        expectTidy(firstRun, kFirstRun);
    }
    QApplication::setFont(platformFont);
}

}  // namespace
}  // namespace tunexa::test
