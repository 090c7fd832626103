#pragma once
// The backend's native objects, shared by its files (inside the Qt backend only): windows and
// their controls (Window.cpp), timers (EventLoop.cpp), and the X11 hints the windows need
// (X11Hints.cpp where xcb is found, NoX11Hints.cpp elsewhere).

#include <QMargins>
#include <QMetaObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/qt/QtBackend.h"
#include "runtime/qt/QtText.h"

class QTimer;

namespace runtime::qt {

// What an X11 window manager learns from the unmapped window; see X11Hints.cpp.
void prepareMap(QWidget& window);
// Gives the keyboard focus to a mapped window on X11; see X11Hints.cpp.
void takeFocus(QWidget& window);
// The session's idle source on X11 and on Wayland, null where there is none; see Idle.cpp.
std::unique_ptr<IdleSource> x11IdleSource();
std::unique_ptr<IdleSource> waylandIdleSource();
// Names the program and gives each window a role for screen readers; see Accessibility.cpp.
void describeForScreenReaders();

class Window;

// The top-level widget of a window. Its owner is cleared when the runtime releases the window,
// so that a widget waiting for deletion reports nothing more.
class WindowWidget : public QWidget {
  public:
    WindowWidget(WindowKind windowKind, Qt::WindowFlags flags)
        : QWidget(nullptr, flags), kind(windowKind) {}
    const WindowKind kind;
    Window* owner = nullptr;
    // Set by a show: the next time the platform window is exposed, it takes the keyboard focus.
    bool focusOnExpose = false;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
};

// A control: its widget, deleted with its window or later when released on its own.
class Control : public NativeControl {
  public:
    Control(QWidget* widget, double twipsPerPixel)
        : widget_(widget), twipsPerPixel_(twipsPerPixel) {}
    ~Control() override;

    void setText(std::string_view text) override;
    void setBounds(const PixelRect& b) override;
    void setDocument(std::string_view bytes) override;

    QPointer<QWidget> widget_;
    double twipsPerPixel_;
    std::vector<QMetaObject::Connection> connections_;
};

class Window : public NativeWindow {
  public:
    Window(QtBackend& backend, const WindowSpec& params, WindowEvents& events, double tpp);
    ~Window() override;

    std::unique_ptr<NativeControl> createControl(const ControlSpec& params) override;
    void setTitle(std::string_view title) override;
    void show(int focusControlId) override;
    void hide() override { widget_->hide(); }
    void centre() override;
    void placeInCorner() override;
    void bringToFront() override;
    PixelSize outerSize() const override;
    PixelSize clientSize() const override;
    void setOuterWidth(int width) override;
    void setOuterHeight(int height) override;

    // The frame the window manager gave us: read from the platform window once mapped; the
    // last one seen (none at first) before that.
    QMargins margins() const;
    // Once mapped, the frame is known: keep the configured outer sizes (the client shrinks by
    // the frame) and tell the runtime, whose layout depends on the client and outer sizes.
    void reconcileFrame();
    // A size change that we did not ask for.
    void platformResized(const QSize& size);
    void closeRequested() { events_.closeRequested(); }

    QPointer<WindowWidget> widget_;
    // Placed again once the window manager's frame is known: centred or in the corner.
    bool placePending_ = false;

  private:
    void setClient(const QSize& size);
    void fitClient();
    void placeNow();
    // Places the window again once the frame is known, for a moment after it was mapped.
    void placeWhenFramed();

    QtBackend& backend_;
    WindowEvents& events_;
    double twipsPerPixel_;
    QSize designed_;
    QSize client_;
    QMargins margins_;  // the frame last laid out for
    std::optional<int> outerWidth_;
    std::optional<int> outerHeight_;
    bool clickFocusOnly_ = false;
    bool inCorner_ = false;
    std::map<int, QPointer<QWidget>> controls_;
};

class Timer : public NativeTimer {
  public:
    Timer(QObject* parent, TimerEvents& events);
    ~Timer() override;
    void start(int intervalMs) override;
    void stop() override;
    QPointer<QTimer> timer_;

  private:
    QMetaObject::Connection connection_;
};

}  // namespace runtime::qt
