// Timers (QTimer with Qt::PreciseTimer) and the event loop, which also watches the signal pipe.
#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include "runtime/qt/Objects.h"

namespace runtime::qt {

Timer::Timer(QObject* parent, TimerEvents& events) : timer_(new QTimer(parent)) {
    timer_->setTimerType(Qt::PreciseTimer);
    connection_ =
        QObject::connect(timer_, &QTimer::timeout, timer_, [&events] { events.ticked(); });
}

Timer::~Timer() {
    QObject::disconnect(connection_);
    if (timer_) {
        timer_->stop();
        timer_->deleteLater();  // we may be inside its timeout
    }
}

void Timer::start(int intervalMs) {
    if (timer_) {
        timer_->start(intervalMs);
    }
}

void Timer::stop() {
    if (timer_) {
        timer_->stop();
    }
}

int QtBackend::runEventLoop(ProgramEvents& events) {
    programEvents_ = &events;
    signalNotifier_->setEnabled(true);
    looping_ = true;
    int status = QApplication::exec();
    looping_ = false;
    signalNotifier_->setEnabled(false);
    programEvents_ = nullptr;
    return status;
}

void QtBackend::quit(int status) {
    // Only a running loop is told: QCoreApplication::exit() outside exec() leaves Qt's
    // quit flag set, and the next modal loop (a message box) would return at once.
    if (looping_) {
        QCoreApplication::exit(status);
    }
}

}  // namespace runtime::qt
