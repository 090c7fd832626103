// Starting an application through the POSIX process layer (its keeper), our child's exit
// watched by the event loop.
#include <QSocketNotifier>
#include <QTimer>

#include <utility>

#include "runtime/qt/QtBackend.h"
#include "runtime/system/posix/Application.h"

namespace runtime::qt {
namespace {

// A started application. Our child (its keeper, or the application itself without one) is
// reaped as soon as its pidfd says it has exited, so no zombie stays behind while we run hidden
// for hours. Reaping is safe: the pidfd keeps naming the dead process, and pidfd_send_signal on
// it then fails with ESRCH, which terminate() ignores.
class WatchedApplication : public Application {
  public:
    WatchedApplication(std::unique_ptr<posix::Application> app, QObject* parent)
        : app_(std::move(app)), child_(&app_->child()) {
        if (child_->pidfd() >= 0) {
            notifier_ = new QSocketNotifier(child_->pidfd(), QSocketNotifier::Read, parent);
            QObject::connect(notifier_, &QSocketNotifier::activated, notifier_,
                             [this] { collect(); });
        } else {
            // No pidfd (kernel before 5.3): look for the exit now and then instead.
            poll_ = new QTimer(parent);
            QObject::connect(poll_, &QTimer::timeout, poll_, [this] { collect(); });
            poll_->start(1000);
        }
    }
    ~WatchedApplication() override {
        // The watchers go before the descriptor they watch.
        delete notifier_.data();
        delete poll_.data();
    }
    std::int64_t processId() const override { return app_->pid(); }
    void setEndsWithProgram(bool ends) override { app_->setEndsWithGate(ends); }
    void terminate() override { app_->terminate(); }

  private:
    void collect() {
        if (child_->reap()) {
            if (notifier_) {
                notifier_->setEnabled(false);
            }
            if (poll_) {
                poll_->stop();
            }
        }
    }

    std::unique_ptr<posix::Application> app_;
    posix::ChildProcess* child_;
    QPointer<QSocketNotifier> notifier_;
    QPointer<QTimer> poll_;
};

}  // namespace

std::unique_ptr<Application> QtBackend::startApplication(std::string_view commandLine,
                                                         int /*windowStyle*/) {
    // The window style (1, normal with focus) is the started application's own business on X11.
    return std::make_unique<WatchedApplication>(
        posix::Application::start(commandLine, posix::keeperBesideUs()), root_.get());
}

}  // namespace runtime::qt
