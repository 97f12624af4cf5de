// Reboot and shut-down requests against a stand-in systemd-logind on a private message bus. The
// stand-in lives on its own thread: a blocking call to an object on the caller's thread would
// never be answered.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <cstdlib>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "platform/power/LogindPower.h"

namespace tunexa {
namespace {

using platform::ExitWindowsFlags;

const QString kLogind = QStringLiteral("org.freedesktop.login1");

struct Call {
    std::string method;
    bool interactive;
    friend bool operator==(const Call&, const Call&) = default;
};

// What the stand-in saw and how it answers; shared between the threads.
struct Ledger {
    std::mutex lock;
    std::vector<Call> calls;
    QString refusal;  // an error name to answer with; empty accepts

    void record(const char* method, bool interactive) {
        const std::lock_guard guard(lock);
        calls.push_back({method, interactive});
    }
    QString refusalName() {
        const std::lock_guard guard(lock);
        return refusal;
    }
    std::vector<Call> seen() {
        const std::lock_guard guard(lock);
        return calls;
    }
};

class StandInManager : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

  public:
    explicit StandInManager(Ledger& ledger) : ledger_(ledger) {}

  public slots:
    void Reboot(bool interactive) { answer("Reboot", interactive); }
    void PowerOff(bool interactive) { answer("PowerOff", interactive); }
    void Halt(bool interactive) { answer("Halt", interactive); }

  private:
    void answer(const char* method, bool interactive) {
        ledger_.record(method, interactive);
        const QString refusal = ledger_.refusalName();
        if (!refusal.isEmpty()) {
            sendErrorReply(refusal, QStringLiteral("Not permitted by the stand-in."));
        }
    }

    Ledger& ledger_;
};

// Connects to the bus, owns the logind name and serves calls until quit.
class StandInThread : public QThread {
  public:
    StandInThread(QString address, Ledger& ledger)
        : address_(std::move(address)), ledger_(ledger) {}

    std::future<bool> ready() { return ready_.get_future(); }

  protected:
    void run() override {
        const QString name = QStringLiteral("login1-stand-in");
        bool registered = false;
        {
            QDBusConnection bus = QDBusConnection::connectToBus(address_, name);
            StandInManager manager(ledger_);
            registered = bus.isConnected() &&
                         bus.registerObject(QStringLiteral("/org/freedesktop/login1"), &manager,
                                            QDBusConnection::ExportAllSlots) &&
                         bus.registerService(kLogind);
            ready_.set_value(registered);
            if (registered) {
                exec();
            }
            bus.unregisterService(kLogind);
            bus.unregisterObject(QStringLiteral("/org/freedesktop/login1"));
        }
        QDBusConnection::disconnectFromBus(name);
    }

  private:
    QString address_;
    Ledger& ledger_;
    std::promise<bool> ready_;
};

// One private bus for the whole process: the system bus connection, once made, stays.
class PrivateBus : public ::testing::Environment {
  public:
    static const QString& address() { return address_; }

    void SetUp() override {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty()) {
            return;
        }
        process_ = std::make_unique<QProcess>();
        process_->start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                 QStringLiteral("--print-address=1")});
        QByteArray line;
        while (!line.contains('\n') && process_->waitForReadyRead(10000)) {
            line += process_->readAllStandardOutput();
        }
        address_ = QString::fromUtf8(line.trimmed());
        // The system bus of this process is the private one, before anything connects to it.
        if (!address_.isEmpty()) {
            setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.toUtf8().constData(), 1);
        }
    }
    void TearDown() override {
        if (process_ != nullptr) {
            process_->terminate();
            process_->waitForFinished(10000);
        }
    }

  private:
    static inline QString address_;
    std::unique_ptr<QProcess> process_;
};

[[maybe_unused]] ::testing::Environment* const privateBusEnvironment =
    ::testing::AddGlobalTestEnvironment(new PrivateBus);

class LogindPowerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (PrivateBus::address().isEmpty()) {
            GTEST_SKIP() << "dbus-daemon is not installed or did not start; no private bus";
        }
    }

    void startStandIn() {
        standIn_ = std::make_unique<StandInThread>(PrivateBus::address(), ledger_);
        auto ready = standIn_->ready();
        standIn_->start();
        ASSERT_TRUE(ready.get()) << "the stand-in could not own " << kLogind.toStdString();
    }

    void TearDown() override {
        if (standIn_ != nullptr) {
            standIn_->quit();
            standIn_->wait();
        }
    }

    static QDBusConnection privateBus() {
        return QDBusConnection::connectToBus(PrivateBus::address(), QStringLiteral("caller"));
    }

    Ledger ledger_;
    std::unique_ptr<StandInThread> standIn_;
};

TEST_F(LogindPowerTest, RebootAsksLogindToRebootWithoutInteraction) {
    startStandIn();
    platform::LogindPower power;  // the system bus, here the private one
    const platform::PowerAnswer answer = power.ExitWindowsEx(ExitWindowsFlags::EWX_REBOOT);
    EXPECT_TRUE(answer.accepted) << answer.reason.toStdString();
    EXPECT_TRUE(answer.reason.isEmpty());
    EXPECT_EQ(ledger_.seen(), (std::vector<Call>{{"Reboot", false}}));
}

TEST_F(LogindPowerTest, ExitWindowsAsksLogindToPowerOffWithoutInteraction) {
    startStandIn();
    platform::LogindPower power(privateBus());
    const platform::PowerAnswer answer = power.ExitWindowsEx(ExitWindowsFlags::EWX_SHUTDOWN);
    EXPECT_TRUE(answer.accepted) << answer.reason.toStdString();
    EXPECT_EQ(ledger_.seen(), (std::vector<Call>{{"PowerOff", false}}));
}

struct Refusal {
    const char* errorName;
    const char* reasonStart;
};

class LogindRefusal : public LogindPowerTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(LogindRefusal, IsARefusalWithAReasonNamingTheError) {
    ledger_.refusal = QString::fromLatin1(GetParam().errorName);
    startStandIn();
    platform::LogindPower power(privateBus());
    const platform::PowerAnswer answer = power.ExitWindowsEx(ExitWindowsFlags::EWX_REBOOT);
    EXPECT_FALSE(answer.accepted);
    EXPECT_TRUE(answer.reason.startsWith(QString::fromLatin1(GetParam().reasonStart)))
        << answer.reason.toStdString();
    EXPECT_TRUE(answer.reason.contains(QString::fromLatin1(GetParam().errorName)));
}

INSTANTIATE_TEST_SUITE_P(
    Errors, LogindRefusal,
    ::testing::Values(
        Refusal{"org.freedesktop.DBus.Error.AccessDenied", "You are not allowed to do this."},
        Refusal{"org.freedesktop.login1.OperationInProgress", "Not permitted by the stand-in."},
        Refusal{"org.freedesktop.DBus.Error.InteractiveAuthorizationRequired",
                "Not permitted by the stand-in."}));

TEST_F(LogindPowerTest, NoLogindOnTheBusIsARefusal) {
    platform::LogindPower power(privateBus());
    const platform::PowerAnswer answer = power.ExitWindowsEx(ExitWindowsFlags::EWX_SHUTDOWN);
    EXPECT_FALSE(answer.accepted);
    EXPECT_EQ(answer.reason, QStringLiteral("systemd-logind is not running. "
                                            "(org.freedesktop.DBus.Error.ServiceUnknown)"));
}

TEST_F(LogindPowerTest, NoBusAtAllIsARefusal) {
    platform::LogindPower power(QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/tunexa-no-bus"), QStringLiteral("nowhere")));
    const platform::PowerAnswer answer = power.ExitWindowsEx(ExitWindowsFlags::EWX_REBOOT);
    EXPECT_FALSE(answer.accepted);
    EXPECT_EQ(answer.reason, QStringLiteral("The system bus is not available. "
                                            "(org.freedesktop.DBus.Error.Disconnected)"));
}

}  // namespace
}  // namespace tunexa

#include "LogindPowerTest.moc"
