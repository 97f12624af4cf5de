// Grabs each tab of the main window, the option pages that cover the 3Dfx frames, and the
// first-run window into PNG files: tunexa_screenshots <folder>. Runs offscreen.

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

#include "app/AppFont.h"
#include "app/FirstRun.h"
#include "app/Form1.h"

namespace {

bool save(QWidget* widget, const QDir& folder, const QString& file) {
    QApplication::processEvents();
    const QString path = folder.filePath(file);
    const bool saved = widget->grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}

// Shows or hides an option page; a shown page covers the frame it shares its place with.
void setShown(const QWidget* window, const char* name, bool shown) {
    if (auto* frame = window->findChild<QWidget*>(QString::fromLatin1(name))) {
        frame->setAutoFillBackground(true);
        frame->setVisible(shown);
        frame->raise();
    }
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tunexa_screenshots <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    tunexa::app::applyProgramFont();

    bool ok = true;
    tunexa::app::Form1 form;
    form.show();
    const char* const kTabFiles[] = {"tab0-main-settings.png", "tab1-riva-tnt.png", "tab2-3dfx.png",
                                     "tab3-other-stuff.png"};
    for (int tab = 0; tab < form.ui.SSTab1->count(); ++tab) {
        form.ui.SSTab1->setCurrentIndex(tab);
        ok = save(&form, folder, QString::fromLatin1(kTabFiles[tab])) && ok;
    }

    form.ui.SSTab1->setCurrentIndex(2);
    setShown(&form, "frameV2D3D", false);
    setShown(&form, "frameV2Glide", true);
    setShown(&form, "frameBansheeD3D", true);
    ok = save(&form, folder, QStringLiteral("tab2-3dfx-v2glide-bansheed3d.png")) && ok;
    setShown(&form, "frameBansheeD3D", false);
    setShown(&form, "frameBansheeGlide", true);
    ok = save(&form, folder, QStringLiteral("tab2-3dfx-bansheeglide.png")) && ok;

    tunexa::app::FirstRun firstRun;
    firstRun.show();
    ok = save(&firstRun, folder, QStringLiteral("firstrun.png")) && ok;
    return ok ? 0 : 1;
}
