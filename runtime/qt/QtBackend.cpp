#include "runtime/qt/QtBackend.h"

#include <QApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include <utility>

#include "runtime/qt/Objects.h"
#include "runtime/system/NativeFiles.h"
#include "runtime/system/posix/SignalPipe.h"

namespace runtime::qt {

QtBackend::QtBackend() : root_(std::make_unique<QObject>()) {
    // The program's end is the runtime's rule (no form loaded), not Qt's: Qt does not even
    // count Qt::Tool windows when it decides that the last window has closed.
    QApplication::setQuitOnLastWindowClosed(false);
    describeForScreenReaders();
    // Title bars and task switchers use the small sizes; each size more costs start-up time
    // and memory to decode, and the desktop finds the large ones in the icon theme.
    // Decoding them loads Qt's image plugins, so it waits until the event loop runs: the
    // policy window is on screen first and gets its icon a moment later.
    QTimer::singleShot(0, root_.get(), [] {
        QIcon icon;
        for (int size : {16, 32, 48}) {
            icon.addFile(QStringLiteral(":/icons/porvane-%1.png").arg(size), QSize(size, size));
        }
        QApplication::setWindowIcon(icon);
    });
    signals_ = std::make_unique<posix::SignalPipe>();
    signalNotifier_ = new QSocketNotifier(signals_->readFd(), QSocketNotifier::Read, root_.get());
    signalNotifier_->setEnabled(false);  // bytes wait in the pipe until the loop runs
    QObject::connect(signalNotifier_, &QSocketNotifier::activated, signalNotifier_, [this] {
        if (signals_->drain() == 0) {
            return;
        }
        if (fatalBox_ != nullptr) {
            fatalBox_->done(QMessageBox::Ok);
        } else if (programEvents_ != nullptr) {
            programEvents_->endRequested();
        }
    });
}

QtBackend::~QtBackend() {
    for (QPointer<QWidget>& widget : retired_) {
        delete widget.data();
    }
    // Notifiers and timers go before the descriptors they watch.
    root_.reset();
    signals_.reset();
}

QWidget* QtBackend::widgetOf(NativeWindow& window) {
    auto* w = dynamic_cast<Window*>(&window);
    return w != nullptr ? w->widget_.data() : nullptr;
}

QWidget* QtBackend::widgetOf(NativeControl& control) {
    auto* c = dynamic_cast<Control*>(&control);
    return c != nullptr ? c->widget_.data() : nullptr;
}

QTimer* QtBackend::timerOf(NativeTimer& timer) {
    auto* t = dynamic_cast<Timer*>(&timer);
    return t != nullptr ? t->timer_.data() : nullptr;
}

void QtBackend::retire(QWidget* window) {
    std::erase_if(retired_, [](const QPointer<QWidget>& w) { return w.isNull(); });
    retired_.emplace_back(window);
    window->deleteLater();
}

std::string QtBackend::executableDirectory() {
    if (executableDirectoryOverride) {
        return *executableDirectoryOverride;
    }
    return runtime::executableDirectory();
}

double QtBackend::logicalDpiX() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInchX() : 0.0;
}

std::int64_t QtBackend::wallClockMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

std::int32_t QtBackend::utcOffsetAt(std::int64_t utcSeconds) {
    return QDateTime::fromSecsSinceEpoch(utcSeconds).offsetFromUtc();
}

std::unique_ptr<NativeWindow> QtBackend::createWindow(const WindowSpec& params,
                                                      WindowEvents& events) {
    return std::make_unique<Window>(*this, params, events, twipsPerPixelX());
}

std::unique_ptr<NativeTimer> QtBackend::createTimer(TimerEvents& events) {
    return std::make_unique<Timer>(root_.get(), events);
}

}  // namespace runtime::qt
