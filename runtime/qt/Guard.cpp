// The way to the guard over the system bus (Qt D-Bus): org.porvane.Guard, a name only root may
// own, so whoever answers there is the guard. The guard learns which session we are from the
// bus itself; we only say Hello, Agreed and Ending. No system bus, or no guard on it, is the
// ordinary case of a computer without the guard and is not reported.
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>
#include <string>

#include "runtime/qt/QtBackend.h"

namespace runtime::qt {
namespace {

const QString kGuard = QStringLiteral("org.porvane.Guard");
const QString kPath = QStringLiteral("/org/porvane/Guard");
const QString kInterface = QStringLiteral("org.porvane.Guard1");

// Hello and Agreed wait this long for their answer, without holding anything up; the word of
// our end this long at most, so that a guard that does not answer cannot keep the program.
constexpr int kCallTimeoutMs = 2000;
constexpr int kEndingTimeoutMs = 500;

// Answers that mean nobody is there to ask: a computer without the guard.
bool noGuard(const QDBusMessage& reply) {
    const QString name = reply.errorName();
    return name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
           name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
}

std::string why(const QDBusMessage& reply) {
    QString text = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    return text.simplified().toStdString();
}

// The guard's seconds left as the gate takes them: -1 is none; the guard never sends a number
// below that, and one would mean the end has passed.
std::optional<std::int64_t> endIn(qlonglong seconds) {
    if (seconds == -1) {
        return std::nullopt;
    }
    return seconds < 0 ? 0 : seconds;
}

class GuardBus : public QObject, public GuardLink {
    Q_OBJECT

  public:
    GuardBus(QtBackend& backend, GuardEvents& events) : backend_(backend), events_(events) {}

    void hello() override {
        // Once the loop runs, so that the window is up before the bus is touched.
        QTimer::singleShot(0, this, [this] { connectOnce(); });
    }

    void agreed() override {
        connectOnce();
        agreedSent_ = true;
        if (bus_) {
            askAgreed();
        }
    }

    void ending() override {
        if (!bus_) {
            return;
        }
        QDBusMessage call =
            QDBusMessage::createMethodCall(kGuard, kPath, kInterface, QStringLiteral("Ending"));
        bus_->call(call, QDBus::Block, kEndingTimeoutMs);
    }

  public Q_SLOTS:
    void onEndChanged(const QDBusMessage& signal) {
        events_.endChanged(endIn(signal.arguments().at(0).toLongLong()));
    }
    void onEndNow() { events_.endNow(); }

  private:
    // Connects to the system bus, once, and says Hello.
    void connectOnce() {
        if (connected_) {
            return;
        }
        connected_ = true;
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected()) {
            events_.greeted(false);
            return;
        }
        bus_ = bus;
        // Heard only from the name's owner (Qt D-Bus matches the sender), and only with the
        // arguments they must have: nobody else on the bus can move our end.
        bus_->connect(kGuard, kPath, kInterface, QStringLiteral("EndChanged"), QStringLiteral("x"),
                      this, SLOT(onEndChanged(QDBusMessage)));
        bus_->connect(kGuard, kPath, kInterface, QStringLiteral("EndNow"), QString(), this,
                      SLOT(onEndNow()));
        // A guard that starts anew (restarted, or only now) knows nothing of this gate: it
        // hears Hello again, and Agreed again once we said it, or it ends the session.
        auto* watcher =
            new QDBusServiceWatcher(kGuard, *bus_, QDBusServiceWatcher::WatchForRegistration, this);
        QObject::connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
            askHello();
            if (agreedSent_) {
                askAgreed();
            }
        });
        askHello();
    }

    void askHello() {
        ask(QStringLiteral("Hello"), [this](const QDBusMessage& reply) {
            if (reply.type() == QDBusMessage::ErrorMessage && !noGuard(reply)) {
                backend_.log("the guard did not answer Hello: " + why(reply));
            }
            events_.greeted(reply.type() == QDBusMessage::ReplyMessage &&
                            reply.signature() == QLatin1String("bs") &&
                            reply.arguments().at(0).toBool());
        });
    }

    void askAgreed() {
        ask(QStringLiteral("Agreed"), [this](const QDBusMessage& reply) {
            if (reply.type() != QDBusMessage::ReplyMessage) {
                if (!noGuard(reply)) {
                    backend_.log("the guard did not answer Agreed: " + why(reply));
                }
                return;
            }
            if (reply.signature() != QLatin1String("xs")) {
                backend_.log("the guard's answer to Agreed is malformed");
                return;
            }
            qlonglong seconds = reply.arguments().at(0).toLongLong();
            QString message = reply.arguments().at(1).toString();
            if (seconds == 0 && !message.isEmpty()) {
                events_.dayUsedUp(message.toStdString());
            } else {
                events_.endChanged(endIn(seconds));
            }
        });
    }

    void ask(const QString& method, std::function<void(const QDBusMessage&)> answered) {
        QDBusMessage call = QDBusMessage::createMethodCall(kGuard, kPath, kInterface, method);
        // Never start a guard that is not running: its absence is an answer.
        call.setAutoStartService(false);
        auto* watcher = new QDBusPendingCallWatcher(bus_->asyncCall(call, kCallTimeoutMs), this);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, this,
                         [answered = std::move(answered)](QDBusPendingCallWatcher* done) {
                             answered(done->reply());
                             done->deleteLater();
                         });
    }

    QtBackend& backend_;
    GuardEvents& events_;
    std::optional<QDBusConnection> bus_;
    bool connected_ = false;
    bool agreedSent_ = false;
};

}  // namespace

std::unique_ptr<GuardLink> QtBackend::connectGuard(GuardEvents& events) {
    return std::make_unique<GuardBus>(*this, events);
}

}  // namespace runtime::qt

#include "Guard.moc"
