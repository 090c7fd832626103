// Ending the user's desktop session through logind, over the system bus (Qt D-Bus): the session
// this program runs in, found from our own process, else from XDG_SESSION_ID.
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QString>

#include <unistd.h>

#include <cstdlib>

#include "runtime/qt/QtBackend.h"

namespace runtime::qt {
namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");

// Each call waits this long at most: a bus that does not answer must not keep the program, and
// the session, from ending.
constexpr int kCallTimeoutMs = 2000;

QDBusMessage ask(QDBusConnection& bus, const QString& path, const QString& interface,
                 const QString& method, const QList<QVariant>& arguments = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(kLogind, path, interface, method);
    call.setArguments(arguments);
    return bus.call(call, QDBus::Block, kCallTimeoutMs);
}

bool failed(const QDBusMessage& reply) {
    return reply.type() != QDBusMessage::ReplyMessage;
}

std::string why(const QDBusMessage& reply) {
    QString text = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    return text.simplified().toStdString();
}

// Errors that say nobody is there to ask, as opposed to logind answering no.
bool noLogind(const QDBusMessage& reply) {
    const QString name = reply.errorName();
    return name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
           name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
           name == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
           name == QLatin1String("org.freedesktop.DBus.Error.Timeout") ||
           name == QLatin1String("org.freedesktop.DBus.Error.Disconnected");
}

}  // namespace

std::string QtBackend::logOff() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        return "no system bus: " + bus.lastError().message().simplified().toStdString();
    }
    // The session our own process belongs to: the one the user logged in to, whoever started us
    // in it (the display manager, the desktop's autostart, a terminal).
    QDBusMessage found = ask(bus, kManagerPath, kManager, QStringLiteral("GetSessionByPID"),
                             {QVariant::fromValue(static_cast<uint>(::getpid()))});
    if (!failed(found) && !found.arguments().isEmpty()) {
        QString path = found.arguments().constFirst().value<QDBusObjectPath>().path();
        QDBusMessage done = ask(bus, path, kSession, QStringLiteral("Terminate"));
        return failed(done)
                   ? "logind refused to end session " + path.toStdString() + ": " + why(done)
                   : std::string();
    }
    if (noLogind(found)) {
        return "logind does not answer: " + why(found);
    }
    // A process that logind does not place in a session (started outside the session's own
    // scope): the session the environment names.
    const char* id = std::getenv("XDG_SESSION_ID");
    if (id == nullptr || *id == '\0') {
        return "logind knows no session of this program (" + why(found) +
               ") and XDG_SESSION_ID is not set";
    }
    QDBusMessage done = ask(bus, kManagerPath, kManager, QStringLiteral("TerminateSession"),
                            {QString::fromLocal8Bit(id)});
    if (failed(done)) {
        return (noLogind(done) ? "logind does not answer: "
                               : "logind refused to end session " + std::string(id) + ": ") +
               why(done);
    }
    return {};
}

}  // namespace runtime::qt
