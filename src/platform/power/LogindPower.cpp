#include "platform/power/LogindPower.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariant>

namespace tunexa::platform {

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");

struct ErrorReason {
    QDBusError::ErrorType type;
    const char* text;
};

// Refusals the user can act on, said plainly; any other error gives its own message.
constexpr ErrorReason kReasons[] = {
    {QDBusError::Disconnected, "The system bus is not available."},
    {QDBusError::ServiceUnknown, "systemd-logind is not running."},
    {QDBusError::AccessDenied, "You are not allowed to do this."},
    {QDBusError::NoReply, "systemd-logind did not answer."},
    {QDBusError::Timeout, "systemd-logind did not answer."},
};

QString refusalReason(const QDBusError& error) {
    QString reason = error.message();
    for (const ErrorReason& known : kReasons) {
        if (error.type() == known.type) {
            reason = QString::fromLatin1(known.text);
        }
    }
    if (reason.isEmpty()) {
        reason = error.name();
    }
    return reason + QStringLiteral(" (") + error.name() + QStringLiteral(")");
}

}  // namespace

LogindPower::LogindPower(QObject* parent) : PowerService(parent) {}

LogindPower::LogindPower(QDBusConnection bus, QObject* parent)
    : PowerService(parent), bus_(std::move(bus)) {}

void LogindPower::ExitWindowsEx(ExitWindowsFlags flags) {
    const QString method = flags == ExitWindowsFlags::EWX_REBOOT ? QStringLiteral("Reboot")
                                                                 : QStringLiteral("PowerOff");
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call << QVariant(false);
    if (!bus_) {
        bus_ = QDBusConnection::systemBus();
    }
    const QDBusPendingCall pending = bus_->asyncCall(call);
    const auto answer = [this](const QDBusPendingCall& finished) {
        const QDBusPendingReply<> reply = finished;
        if (reply.isError()) {
            emit answered({false, refusalReason(reply.error())});
        } else {
            emit answered({true, {}});
        }
    };
    if (pending.isFinished()) {
        // Not sent at all (no bus): answered from the event loop all the same.
        QMetaObject::invokeMethod(
            this, [answer, pending] { answer(pending); }, Qt::QueuedConnection);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(pending, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [answer](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                answer(*finished);
            });
}

}  // namespace tunexa::platform
