#include "platform/power/LogindPower.h"

#include <QDBusError>
#include <QDBusMessage>
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

LogindPower::LogindPower(QDBusConnection bus) : bus_(std::move(bus)) {}

PowerAnswer LogindPower::ExitWindowsEx(ExitWindowsFlags flags) {
    const QString method = flags == ExitWindowsFlags::EWX_REBOOT ? QStringLiteral("Reboot")
                                                                 : QStringLiteral("PowerOff");
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call << QVariant(false);
    const QDBusMessage reply = bus_.call(call);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        return {true, {}};
    }
    const QDBusError error =
        reply.type() == QDBusMessage::ErrorMessage ? QDBusError(reply) : bus_.lastError();
    return {false, refusalReason(error)};
}

}  // namespace tunexa::platform
