// The program's font: Tahoma when installed, else a Tahoma face file, else DejaVu Sans.
#include <gtest/gtest.h>

#include <QFile>
#include <QFontDatabase>

#include "app/AppFont.h"

namespace tunexa::app {
namespace {

TEST(AppFontTest, WithoutTahomaAFaceFileOrDejaVuSans) {
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma"), Qt::CaseInsensitive)) {
        GTEST_SKIP() << "Tahoma is installed on this machine";
    }
    EXPECT_EQ(programFontFamily(QStringLiteral("/nonexistent/tahoma.ttf")),
              QStringLiteral("DejaVu Sans"));
    // Any face stands in for the Tahoma file: what counts is that it is loaded and its family used.
    const QString face = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf");
    ASSERT_TRUE(QFile::exists(face));
    EXPECT_EQ(programFontFamily(face), QStringLiteral("DejaVu Sans Mono"));
}

}  // namespace
}  // namespace tunexa::app
