#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include "ScriptedMessageBoxes.h"
#include "platform/QtMessageBoxService.h"

namespace tunexa::platform {
namespace {

// What the real box looked like while it was open.
struct Seen {
    bool found = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::Information;
    QMessageBox::StandardButtons buttons;
    Qt::TextFormat format = Qt::RichText;
};

// Runs `show` and, once the box is up, records it and lets `respond` close it.
MessageAnswer showAndRespond(const std::function<MessageAnswer()>& show, Seen& seen,
                             const std::function<void(QMessageBox*)>& respond) {
    QTimer::singleShot(0, [&seen, respond] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        seen = {true,        box->windowTitle(),     box->text(),
                box->icon(), box->standardButtons(), box->textFormat()};
        respond(box);
    });
    return show();
}

void press(QMessageBox* box, QMessageBox::StandardButton button) {
    QTest::mouseClick(box->button(button), Qt::LeftButton);
}

struct ButtonCase {
    MessageButtons buttons;
    QMessageBox::StandardButtons expected;
    QMessageBox::StandardButton pressed;
    MessageAnswer answer;
};

class QtMessageBoxTest : public testing::TestWithParam<ButtonCase> {};

TEST_P(QtMessageBoxTest, ShowsExactlyTheButtonsAndReturnsThePressedOne) {
    const auto& c = GetParam();
    QtMessageBoxService service;
    Seen seen;
    const auto answer = showAndRespond(
        [&] {
            return service.show(QStringLiteral("Are you sure?"),
                                QStringLiteral("Applying Settings"), c.buttons);
        },
        seen, [&](QMessageBox* box) { press(box, c.pressed); });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.buttons, c.expected);
    EXPECT_EQ(seen.title, QStringLiteral("Applying Settings"));
    EXPECT_EQ(seen.text, QStringLiteral("Are you sure?"));
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(answer, c.answer);
}

INSTANTIATE_TEST_SUITE_P(
    EveryButton, QtMessageBoxTest,
    testing::Values(ButtonCase{MessageButtons::Ok, QMessageBox::Ok, QMessageBox::Ok,
                               MessageAnswer::Ok},
                    ButtonCase{MessageButtons::YesNo, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::Yes, MessageAnswer::Yes},
                    ButtonCase{MessageButtons::YesNo, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No, MessageAnswer::No},
                    ButtonCase{MessageButtons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel,
                               QMessageBox::Ok, MessageAnswer::Ok},
                    ButtonCase{MessageButtons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel,
                               QMessageBox::Cancel, MessageAnswer::Cancel}));

TEST(QtMessageBoxPromptTest, CrLfIsALineBreakAndThePromptIsPlainText) {
    QtMessageBoxService service;
    Seen seen;
    showAndRespond(
        [&] {
            return service.show(QStringLiteral("Please restart Tunexa.\r\nDefaults have been set."),
                                QStringLiteral("Restart Tunexa"), MessageButtons::Ok);
        },
        seen, [](QMessageBox* box) { press(box, QMessageBox::Ok); });
    EXPECT_EQ(seen.text, QStringLiteral("Please restart Tunexa.\nDefaults have been set."));
    EXPECT_EQ(seen.format, Qt::PlainText);
}

TEST(QtMessageBoxPromptTest, WithoutATitleTheBoxIsTitledTunexa) {
    QtMessageBoxService service;
    Seen seen;
    showAndRespond([&] { return service.show(QStringLiteral("<b>Saved</b>")); }, seen,
                   [](QMessageBox* box) { press(box, QMessageBox::Ok); });
    EXPECT_EQ(seen.title, QStringLiteral("Tunexa"));
    EXPECT_EQ(seen.text, QStringLiteral("<b>Saved</b>"));
}

TEST(QtMessageBoxPromptTest, EscapeGivesTheDecliningAnswer) {
    QtMessageBoxService service;
    for (const auto& [buttons, expected] :
         {std::pair{MessageButtons::YesNo, MessageAnswer::No},
          std::pair{MessageButtons::OkCancel, MessageAnswer::Cancel},
          std::pair{MessageButtons::Ok, MessageAnswer::Ok}}) {
        Seen seen;
        const auto answer =
            showAndRespond([&] { return service.show(QStringLiteral("Are you sure?"), buttons); },
                           seen, [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(answer, expected);
    }
}

TEST(ScriptedMessageBoxesTest, RecordsEveryBoxAndAnswersInOrder) {
    test::ScriptedMessageBoxes boxes;
    boxes.answer(MessageAnswer::No).answer(MessageAnswer::Ok);
    MessageBoxService& service = boxes;
    EXPECT_EQ(service.show(QStringLiteral("Are you sure?"), QStringLiteral("Applying Settings"),
                           MessageButtons::YesNo),
              MessageAnswer::No);
    EXPECT_EQ(service.show(QStringLiteral("Selection Changed")), MessageAnswer::Ok);
    EXPECT_EQ(boxes.pending(), 0U);
    ASSERT_EQ(boxes.shown().size(), 2U);
    EXPECT_EQ(boxes.shown()[0],
              (MessageBox{QStringLiteral("Are you sure?"), QStringLiteral("Applying Settings"),
                          MessageButtons::YesNo}));
    EXPECT_EQ(boxes.shown()[1], (MessageBox{QStringLiteral("Selection Changed"),
                                            QStringLiteral("Tunexa"), MessageButtons::Ok}));
}

TEST(ScriptedMessageBoxesTest, AnUnscriptedBoxFailsTheTest) {
    test::ScriptedMessageBoxes boxes;
    MessageAnswer answer = MessageAnswer::Yes;
    EXPECT_NONFATAL_FAILURE(
        answer = boxes.show(QStringLiteral("Are you sure?"), MessageButtons::YesNo),
        "unexpected message box");
    EXPECT_EQ(answer, MessageAnswer::No);
    EXPECT_EQ(boxes.shown().size(), 1U);
}

TEST(ScriptedMessageBoxesTest, AnAnswerWithoutItsButtonFailsTheTest) {
    test::ScriptedMessageBoxes boxes;
    boxes.answer(MessageAnswer::Yes);
    EXPECT_NONFATAL_FAILURE(boxes.show(QStringLiteral("Selection Changed")), "no button");
}

}  // namespace
}  // namespace tunexa::platform
