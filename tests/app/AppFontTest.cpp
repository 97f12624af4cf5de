#include <gtest/gtest.h>

#include <QFile>
#include <QFontDatabase>

#include "app/AppFont.h"

namespace tunexa::app {
namespace {

bool tahomaInstalled() {
    return QFontDatabase::families().contains(QStringLiteral("Tahoma"), Qt::CaseInsensitive);
}

TEST(AppFontTest, WithoutTahomaTheFallbackIsDejaVuSans) {
    if (tahomaInstalled()) {
        GTEST_SKIP() << "Tahoma is installed on this machine";
    }
    EXPECT_EQ(programFontFamily(QStringLiteral("/nonexistent/tahoma.ttf")),
              QStringLiteral("DejaVu Sans"));
    EXPECT_TRUE(QFontDatabase::families().contains(QStringLiteral("DejaVu Sans")));
}

TEST(AppFontTest, AFaceFileAtTheTahomaPathIsLoadedAndUsed) {
    if (tahomaInstalled()) {
        GTEST_SKIP() << "Tahoma is installed on this machine";
    }
    // Any face stands in for the Tahoma file: what counts is that it is loaded and its family used.
    const QString face = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf");
    if (!QFile::exists(face)) {
        GTEST_SKIP() << "no stand-in face file";
    }
    EXPECT_EQ(programFontFamily(face), QStringLiteral("DejaVu Sans Mono"));
}

}  // namespace
}  // namespace tunexa::app
