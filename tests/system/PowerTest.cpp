// Reboot and Exit Windows below the window: the real main window's buttons and menu items,
// scripted confirmation boxes, the Qt busy pointer, and systemd-logind as a stand-in on a private
// message bus. The stand-in lives on the window's own thread and holds each call until the test
// answers it: the call reaches it only if the window's thread keeps handling events while the
// request is pending (a blocking call would deadlock until D-Bus gives up).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "FakePlatform.h"
#include "app/Form1.h"
#include "platform/QtBusyPointer.h"
#include "platform/power/LogindPower.h"
#include "system/PowerCommands.h"

namespace tunexa {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;

// One private bus for the process, set as its system bus before anything connects to that.
class PrivateBus : public ::testing::Environment {
  public:
    static inline QString address;

    void SetUp() override {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {"--session", "--nofork", "--print-address=1"});
        QByteArray line;
        while (!line.contains('\n') && daemon_.waitForReadyRead(10000)) {
            line += daemon_.readAllStandardOutput();
        }
        address = QString::fromUtf8(line.trimmed());
        setenv("DBUS_SYSTEM_BUS_ADDRESS", line.trimmed().constData(), 1);
    }
    void TearDown() override {
        daemon_.terminate();
        daemon_.waitForFinished(10000);
    }

  private:
    QProcess daemon_;
};

[[maybe_unused]] ::testing::Environment* const privateBus =
    ::testing::AddGlobalTestEnvironment(new PrivateBus);

// systemd-logind's Reboot and PowerOff, recorded as "Reboot false" and held until answer().
class StandInLogind : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

  public:
    StandInLogind() : bus_(QDBusConnection::connectToBus(PrivateBus::address, "stand-in")) {
        bus_.registerObject(QStringLiteral("/org/freedesktop/login1"), this,
                            QDBusConnection::ExportAllSlots);
        bus_.registerService(QStringLiteral("org.freedesktop.login1"));
    }
    // Closing the connection gives up the name and the object.
    ~StandInLogind() override { QDBusConnection::disconnectFromBus(QStringLiteral("stand-in")); }

    const std::vector<std::string>& calls() const { return calls_; }
    bool holding() const { return !held_.isEmpty(); }
    // Answers the held calls: accepted, or refused with the error `errorName`.
    void answer(const QString& errorName = {}) {
        for (const QDBusMessage& call : std::exchange(held_, {})) {
            bus_.send(errorName.isEmpty()
                          ? call.createReply()
                          : call.createErrorReply(errorName, "Not permitted by the stand-in."));
        }
    }

  public slots:
    void Reboot(bool interactive) { hold("Reboot", interactive); }
    void PowerOff(bool interactive) { hold("PowerOff", interactive); }

  private:
    void hold(const std::string& method, bool interactive) {
        setDelayedReply(true);
        held_ << message();
        calls_.push_back(method + (interactive ? " true" : " false"));
    }

    QDBusConnection bus_;
    QList<QDBusMessage> held_;
    std::vector<std::string> calls_;
};

// A button or a tray item, its title, its logind call, and the error logind refuses it with.
const std::tuple<const char*, const char*, const char*, const char*> kCommands[] = {
    {"cmdReboot", "Reboot Windows", "Reboot false", "org.freedesktop.DBus.Error.AccessDenied"},
    {"mPopReboot", "Reboot Windows?", "Reboot false", "org.freedesktop.login1.OperationInProgress"},
    {"cmdShutDown", "Exit Windows?", "PowerOff false", "org.freedesktop.DBus.Error.AccessDenied"},
    {"mPopExitWindows", "Exit Windows?", "PowerOff false",
     "org.freedesktop.DBus.Error.InteractiveAuthorizationRequired"},
};

// Each command answered No, then Yes with logind accepting, then Yes with logind refusing.
TEST(PowerTest, EachCommandConfirmsThenAsksLogindWithoutWaitingAndActsOnTheAnswer) {
    for (const auto& [control, title, call, refusedWith] : kCommands) {
        SCOPED_TRACE(title);
        app::Form1 form;
        test::ScriptedMessageBoxes boxes;
        platform::LogindPower power;
        platform::QtBusyPointer pointer;
        system::PowerCommands commands(*form.ui.cmdReboot, *form.ui.cmdShutDown, form.popupMenu(),
                                       boxes, power, pointer);
        QSignalSpy quit(&commands, &system::PowerCommands::quitRequested);
        StandInLogind logind;
        const bool reboot = call[0] == 'R';
        const platform::MessageBox confirmation{
            reboot ? "Do you want to reboot?" : "Do you want to exit Windows?", title,
            MessageButtons::YesNo};
        const QString notice = QString("The system did not accept the %1.\r\n%2 (%3)")
                                   .arg(reboot ? "reboot" : "shut-down",
                                        QByteArray(refusedWith).endsWith("AccessDenied")
                                            ? "You are not allowed to do this."
                                            : "Not permitted by the stand-in.",
                                        refusedWith);
        const auto invoke = [&] {
            QByteArray(control).startsWith("cmd")
                ? form.findChild<QAbstractButton*>(control)->click()
                : form.popupMenu().item(control)->trigger();
        };

        boxes.answer(MessageAnswer::No);
        invoke();
        for (const QString& refusal : {QString(), QString::fromLatin1(refusedWith)}) {
            boxes.answer(MessageAnswer::Yes);
            invoke();
            ASSERT_TRUE(QTest::qWaitFor([&] { return logind.holding(); }));
            // Pending: the busy pointer shows and no second request can start.
            ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
            EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            EXPECT_FALSE(form.ui.cmdReboot->isEnabled() || form.ui.cmdShutDown->isEnabled() ||
                         form.popupMenu().item("mPopReboot")->isEnabled() ||
                         form.popupMenu().item("mPopExitWindows")->isEnabled());
            invoke();

            if (!refusal.isEmpty()) {
                boxes.answer(MessageAnswer::Ok);
            }
            logind.answer(refusal);
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return refusal.isEmpty() ? quit.count() == 1 : boxes.pending() == 0; }));
            EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
            EXPECT_TRUE(form.ui.cmdReboot->isEnabled() && form.ui.cmdShutDown->isEnabled());
        }
        EXPECT_EQ(logind.calls(), std::vector<std::string>(2, call));
        EXPECT_EQ(quit.count(), 1);
        EXPECT_EQ(boxes.shown(),
                  (std::vector{confirmation, confirmation, confirmation,
                               platform::MessageBox{notice, "Tunexa", MessageButtons::Ok}}));
    }
}

// Not sent at all, and still answered from the event loop. (An error reply from logind is the
// refusal case above.)
TEST(PowerTest, WithoutABusTheRequestIsRefusedAndSaysWhy) {
    platform::LogindPower power(QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/tunexa-no-bus"), QStringLiteral("no-bus")));
    QSignalSpy answered(&power, &platform::PowerService::answered);
    power.ExitWindowsEx(platform::ExitWindowsFlags::EWX_REBOOT);
    ASSERT_TRUE(answered.wait(10000));
    const auto answer = answered.front().front().value<platform::PowerAnswer>();
    EXPECT_FALSE(answer.accepted);
    EXPECT_EQ(answer.reason.toStdString(),
              "The system bus is not available. (org.freedesktop.DBus.Error.Disconnected)");
}

}  // namespace
}  // namespace tunexa

#include "PowerTest.moc"
