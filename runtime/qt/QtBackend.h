#pragma once
// The Qt 6 Widgets backend: windows as fixed-size top-level QWidgets laid out from the pixel
// geometry the runtime gives, QPushButton / QLabel / read-only QTextEdit controls, QTimer with
// Qt::PreciseTimer, QMessageBox, and the POSIX process layer with its pidfd watched by a
// QSocketNotifier. A QApplication must exist before the backend is made.
//
// The concerns sit in their own files, named as in the Win32 backend: Window.cpp (windows and
// controls), EventLoop.cpp (timers and the event loop), Process.cpp (the started application),
// MessageBox.cpp (message boxes and the log), Accessibility.cpp (what screen readers are told),
// Idle.cpp (the session's idle time), Session.cpp (logging off through logind), Guard.cpp (the
// way to the guard); besides them
// X11Hints.cpp (what the X11 window manager is told; NoX11Hints.cpp where xcb is not found),
// X11Idle.cpp and WaylandIdle.cpp (the idle time on each) and RtfToQt.cpp with ListMarker.cpp (the
// RTF reader's document as a QTextDocument). Objects.h declares the objects they share, QtText.h
// the UTF-8/QString edge. This file's .cpp holds construction and the create* functions.

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "runtime/Backend.h"

class QMessageBox;
class QSocketNotifier;
class QTextEdit;
class QTimer;
class QWidget;

namespace runtime::posix {
class SignalPipe;
}

namespace runtime::qt {

class QtBackend : public Backend {
  public:
    QtBackend();
    ~QtBackend() override;
    QtBackend(const QtBackend&) = delete;
    QtBackend& operator=(const QtBackend&) = delete;

    // ---- for tests ----
    // Called with each message box once it is on screen (inside its modal loop); a test can
    // read it and close it. Unset: the box waits for the user.
    std::function<void(QMessageBox&)> onMessageBox;
    // Where executableDirectory() points instead of the running executable's folder.
    std::optional<std::string> executableDirectoryOverride;
    // The top-level widget of a window made by this backend, and the widget of a control.
    static QWidget* widgetOf(NativeWindow& window);
    static QWidget* widgetOf(NativeControl& control);
    // The QTimer behind a timer made by this backend.
    static QTimer* timerOf(NativeTimer& timer);

    // ---- Backend ----
    // QtBackend.cpp
    std::string executableDirectory() override;
    double logicalDpiX() override;
    // The system clock and the local time zone, through QDateTime.
    std::int64_t wallClockMs() override;
    std::int32_t utcOffsetAt(std::int64_t utcSeconds) override;
    std::unique_ptr<NativeWindow> createWindow(const WindowSpec& params,
                                               WindowEvents& events) override;
    std::unique_ptr<NativeTimer> createTimer(TimerEvents& events) override;
    // MessageBox.cpp
    void messageBox(std::string_view text, std::string_view title, MessageIcon icon) override;
    void fatalErrorBox(std::string_view text, std::string_view title) override;
    void log(std::string_view line) override;
    // Idle.cpp
    std::unique_ptr<IdleSource> createIdleSource() override;
    // Process.cpp
    std::unique_ptr<Application> startApplication(std::string_view commandLine,
                                                  int windowStyle) override;
    // Session.cpp
    std::string logOff() override;
    // Guard.cpp
    std::unique_ptr<GuardLink> connectGuard(GuardEvents& events) override;
    // EventLoop.cpp
    int runEventLoop(ProgramEvents& events) override;
    void quit(int status) override;

    // Windows released by the runtime, deleted later (never inside one of their own events);
    // whatever is left goes with the backend.
    void retire(QWidget* window);

  private:
    // MessageBox.cpp: a message box; the fatal error's closes on an end asked for from outside.
    void showBox(std::string_view text, std::string_view title, MessageIcon icon, bool fatal);

    // Parent of timers and notifiers retired with deleteLater; deleted with the backend.
    std::unique_ptr<QObject> root_;
    std::vector<QPointer<QWidget>> retired_;
    std::unique_ptr<posix::SignalPipe> signals_;
    QSocketNotifier* signalNotifier_ = nullptr;
    ProgramEvents* programEvents_ = nullptr;
    // The fatal error's box while it is up: an end asked for from outside closes it.
    QMessageBox* fatalBox_ = nullptr;
    bool looping_ = false;
};

}  // namespace runtime::qt
