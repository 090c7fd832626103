#include "runtime/qt/QtBackend.h"

#include <cstdio>

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QSocketNotifier>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>

#include "rtf/Reader.h"
#include "runtime/Error.h"
#include "runtime/posix/Application.h"
#include "runtime/posix/Process.h"
#include "runtime/posix/SignalPipe.h"
#include "runtime/qt/RtfToQt.h"

#ifdef PORVANE_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace runtime::qt {
namespace {

QString toQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Qt hides "[*]" in window titles (the modified-document placeholder); doubled it shows as is.
QString titleText(std::string_view utf8) {
    return toQString(utf8).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

// Message texts use CR LF between lines, as on Windows.
QString messageText(std::string_view utf8) {
    QString text = toQString(utf8);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

#ifdef PORVANE_HAVE_XCB
xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (reply == nullptr) {
        return XCB_ATOM_NONE;
    }
    xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

// The X11 connection when the program runs on X11, else null.
xcb_connection_t* x11Connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}
#endif

#ifdef PORVANE_HAVE_XCB
void setProperty(xcb_connection_t* connection, xcb_window_t window, const char* name,
                 xcb_atom_t type, std::uint8_t format, std::uint32_t count, const void* data) {
    xcb_atom_t property = internAtom(connection, name);
    if (property != XCB_ATOM_NONE && type != XCB_ATOM_NONE) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, type, format,
                            count, data);
    }
}
#endif

// What an X11 window manager learns from the unmapped window, set before each map (a
// withdrawn window loses its states) and after Qt wrote its own when it made the native window:
// - out of the taskbar and pager (_NET_WM_STATE, which Qt merges with its own states when it
//   maps the window);
// - moved and closed, nothing else: Qt's Motif hints always allow resizing, and some window
//   managers go by them rather than by the equal minimum and maximum of the normal hints;
// - the class, which desktops match with the program's desktop entry: the program gives Qt no
//   name of its own (see main), so Qt's WM_CLASS is empty.
// Elsewhere (Wayland, offscreen) there is nothing to do.
void prepareMap(QWidget& window) {
#ifdef PORVANE_HAVE_XCB
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr) {
        return;
    }
    auto id = static_cast<xcb_window_t>(window.winId());
    xcb_atom_t states[2] = {internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                            internAtom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    setProperty(connection, id, "_NET_WM_STATE", XCB_ATOM_ATOM, 32, 2, states);
    enum : std::uint32_t { kHasFunctions = 1, kHasDecorations = 2 };
    enum : std::uint32_t { kFunctionMove = 4, kFunctionClose = 32 };
    enum : std::uint32_t { kDecorBorder = 2, kDecorTitle = 8, kDecorMenu = 16 };
    const std::uint32_t motif[5] = {kHasFunctions | kHasDecorations, kFunctionMove | kFunctionClose,
                                    kDecorBorder | kDecorTitle | kDecorMenu, 0, 0};
    setProperty(connection, id, "_MOTIF_WM_HINTS", internAtom(connection, "_MOTIF_WM_HINTS"), 32, 5,
                motif);
    static const char wmClass[] = "porvane\0Porvane";
    setProperty(connection, id, "WM_CLASS", XCB_ATOM_STRING, 8, sizeof wmClass, wmClass);
    xcb_flush(connection);
#else
    (void)window;
#endif
}

// Gives the keyboard focus to a mapped window on X11 whatever the window manager's policy on
// new windows: the gate waits for an answer, so its window must take the keys at once. Qt's
// own activation is only a request that a window manager may turn down.
void takeFocus(QWidget& window) {
#ifdef PORVANE_HAVE_XCB
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr) {
        return;
    }
    xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT,
                        static_cast<xcb_window_t>(window.winId()), XCB_CURRENT_TIME);
    xcb_flush(connection);
#else
    (void)window;
#endif
}

class Window;

// The top-level widget of a window. Its owner is cleared when the runtime releases the window,
// so that a widget waiting for deletion reports nothing more.
class WindowWidget : public QWidget {
  public:
    explicit WindowWidget(Qt::WindowFlags flags) : QWidget(nullptr, flags) {}
    Window* owner = nullptr;
    // Set by a show: the next time the platform window is exposed, it takes the keyboard focus.
    bool focusOnExpose = false;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
};

// A control: its widget, deleted with its window or later when released on its own.
class Control : public NativeControl {
  public:
    Control(QWidget* widget, double twipsPerPixel)
        : widget_(widget), twipsPerPixel_(twipsPerPixel) {}
    ~Control() override {
        for (const QMetaObject::Connection& c : connections_) {
            QObject::disconnect(c);
        }
        if (widget_) {
            widget_->hide();
            widget_->deleteLater();  // we may be inside one of its own signals
        }
    }

    void setText(std::string_view text) override {
        if (auto* button = qobject_cast<QPushButton*>(widget_.data())) {
            button->setText(toQString(text));
        } else if (auto* label = qobject_cast<QLabel*>(widget_.data())) {
            label->setText(toQString(text));
        } else if (auto* view = qobject_cast<QTextEdit*>(widget_.data())) {
            view->setPlainText(toQString(text));
        }
    }

    void setBounds(const PixelRect& b) override {
        if (widget_) {
            widget_->setGeometry(b.left, b.top, std::max(0, b.width), std::max(0, b.height));
        }
    }

    void setDocument(std::string_view bytes) override {
        auto* view = qobject_cast<QTextEdit*>(widget_.data());
        if (view == nullptr) {
            return;
        }
        // The reader takes any bytes: RTF, plain text otherwise, empty for none.
        fillDocument(*view->document(), rtf::parse(bytes), twipsPerPixel_);
        view->moveCursor(QTextCursor::Start);
        view->ensureCursorVisible();
    }

    QPointer<QWidget> widget_;
    double twipsPerPixel_;
    std::vector<QMetaObject::Connection> connections_;
};

class Window : public NativeWindow {
  public:
    Window(QtBackend& backend, const WindowSpec& params, WindowEvents& events, double tpp)
        : backend_(backend), events_(events), twipsPerPixel_(tpp) {
        Qt::WindowFlags flags =
            Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        flags |= params.kind == WindowKind::ToolWindow ? Qt::Tool : Qt::Dialog;
        if (params.kind == WindowKind::Notice) {
            flags |= Qt::WindowStaysOnTopHint;  // above an application that fills the screen
        }
        widget_ = new WindowWidget(flags);
        // On X11 Qt then maps the window with a zero user time, which window managers read as
        // "do not focus", and does not set the input focus itself.
        widget_->setAttribute(Qt::WA_ShowWithoutActivating, params.kind == WindowKind::Notice);
        // A Wayland client cannot ask to be shown without the keyboard: the compositor decides,
        // and sway, for one, hands it over. A notice's buttons then take the focus only from a
        // click, so that the Space or Enter the user was typing cannot dismiss it unread.
        clickFocusOnly_ = params.kind == WindowKind::Notice &&
                          QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
        widget_->owner = this;
        widget_->setWindowTitle(titleText(params.title));
        designed_ = QSize(std::max(0, params.client.width), std::max(0, params.client.height));
        setClient(designed_);
    }

    ~Window() override {
        if (widget_) {
            widget_->owner = nullptr;
            widget_->hide();
            backend_.retire(widget_);
        }
    }

    std::unique_ptr<NativeControl> createControl(const ControlSpec& params) override {
        QWidget* widget = nullptr;
        auto control = std::make_unique<Control>(nullptr, twipsPerPixel_);
        switch (params.kind) {
            case ControlKind::Button: {
                auto* button = new QPushButton(toQString(params.text), widget_);
                // Enter and Space activate the focused button; the first in tab order is the
                // one focused at start.
                button->setAutoDefault(true);
                if (clickFocusOnly_) {
                    button->setFocusPolicy(Qt::ClickFocus);
                }
                int id = params.id;
                control->connections_.push_back(QObject::connect(
                    button, &QPushButton::clicked, button, [this, id] { events_.clicked(id); }));
                widget = button;
                break;
            }
            case ControlKind::Label: {
                auto* label = new QLabel(toQString(params.text), widget_);
                label->setTextFormat(Qt::PlainText);
                label->setWordWrap(true);
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                label->setFocusPolicy(Qt::NoFocus);
                widget = label;
                break;
            }
            case ControlKind::RichText: {
                auto* view = new QTextEdit(widget_);
                view->setReadOnly(true);
                view->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                              Qt::TextSelectableByKeyboard);
                view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
                view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                view->setLineWrapMode(QTextEdit::WidgetWidth);
                view->setTabChangesFocus(true);
                view->setUndoRedoEnabled(false);
                widget = view;
                break;
            }
        }
        widget->setGeometry(params.bounds.left, params.bounds.top, std::max(0, params.bounds.width),
                            std::max(0, params.bounds.height));
        widget->show();
        control->widget_ = widget;
        controls_[params.id] = widget;
        tabOrder_.emplace_back(params.tabIndex, widget);
        applyTabOrder();
        return control;
    }

    void setTitle(std::string_view title) override { widget_->setWindowTitle(titleText(title)); }

    void show(int focusControlId) override {
        if (!widget_->isVisible()) {
            prepareMap(*widget_);
            if (QWindow* handle = widget_->windowHandle()) {
                handle->removeEventFilter(widget_);
                handle->installEventFilter(widget_);
            }
            // A notice shown without activation must not take the input focus either.
            widget_->focusOnExpose = !widget_->testAttribute(Qt::WA_ShowWithoutActivating);
        }
        auto it = clickFocusOnly_ ? controls_.end() : controls_.find(focusControlId);
        if (it != controls_.end() && it->second) {
            it->second->setFocus(Qt::OtherFocusReason);
        }
        widget_->show();
        widget_->raise();
        if (!widget_->testAttribute(Qt::WA_ShowWithoutActivating)) {
            widget_->activateWindow();
        }
        if (it != controls_.end() && it->second) {
            it->second->setFocus(Qt::ActiveWindowFocusReason);
        }
        for (int delay : {0, 300}) {
            QTimer::singleShot(delay, widget_, [w = widget_] {
                if (w->owner != nullptr) {
                    w->owner->reconcileFrame();
                }
            });
        }
    }

    void hide() override { widget_->hide(); }

    void centre() override {
        centreNow();
        // Centred again once the window manager's frame is known.
        centrePending_ = true;
        // The frame usually shows up within moments of mapping; past this, a later change is
        // the user's or the window manager's business.
        QTimer::singleShot(2000, widget_, [w = widget_] {
            if (w->owner != nullptr) {
                w->owner->centrePending_ = false;
            }
        });
    }

    PixelSize outerSize() const override {
        QSize c = widget_->size();
        QMargins m = margins();
        return {c.width() + m.left() + m.right(), c.height() + m.top() + m.bottom()};
    }

    PixelSize clientSize() const override {
        QSize c = widget_->size();
        return {c.width(), c.height()};
    }

    // A configured dimension is the outer size, kept as the frame becomes known; the other
    // keeps the designed client size. Before the window is mapped the frame is not known yet.
    void setOuterSize(PixelSize size) override {
        outerWidth_ = size.width;
        outerHeight_ = size.height;
        fitClient();
    }
    void setOuterWidth(int width) override {
        outerWidth_ = width;
        fitClient();
    }
    void setOuterHeight(int height) override {
        outerHeight_ = height;
        fitClient();
    }

    // The frame the window manager gave us: read from the platform window once mapped; the
    // last one seen (none at first) before that.
    QMargins margins() const {
        QWindow* handle = widget_->windowHandle();
        return handle != nullptr && widget_->isVisible() ? handle->frameMargins() : margins_;
    }

    // Once mapped, the frame is known: keep the configured outer sizes (the client shrinks by
    // the frame) and tell the runtime, whose layout depends on the client and outer sizes.
    void reconcileFrame() {
        if (!widget_->isVisible() || widget_->windowHandle() == nullptr) {
            return;
        }
        QMargins now = widget_->windowHandle()->frameMargins();
        if (now == margins_) {
            return;
        }
        margins_ = now;
        fitClient();
        if (centrePending_) {
            centrePending_ = false;
            centreNow();
        }
        events_.resized();
    }

    // A size change that we did not ask for.
    void platformResized(const QSize& size) {
        if (size == client_) {
            return;
        }
        client_ = size;
        events_.resized();
    }

    void closeRequested() { events_.closeRequested(); }

    QPointer<WindowWidget> widget_;
    bool centrePending_ = false;

  private:
    void setClient(const QSize& size) {
        client_ = size;
        widget_->setFixedSize(size);
    }

    void fitClient() {
        QMargins m = margins();
        QSize c = designed_;
        if (outerWidth_) {
            c.setWidth(std::max(0, *outerWidth_ - m.left() - m.right()));
        }
        if (outerHeight_) {
            c.setHeight(std::max(0, *outerHeight_ - m.top() - m.bottom()));
        }
        if (c != client_) {
            setClient(c);
        }
    }

    void centreNow() {
        QScreen* screen =
            widget_->screen() != nullptr ? widget_->screen() : QGuiApplication::primaryScreen();
        if (screen == nullptr) {
            return;
        }
        QRect area = screen->availableGeometry();
        PixelSize outer = outerSize();
        widget_->move(area.left() + (area.width() - outer.width) / 2,
                      area.top() + (area.height() - outer.height) / 2);
    }

    void applyTabOrder() {
        std::stable_sort(tabOrder_.begin(), tabOrder_.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        QWidget* previous = nullptr;
        for (auto& [index, widget] : tabOrder_) {
            if (!widget || widget->focusPolicy() == Qt::NoFocus) {
                continue;
            }
            if (previous != nullptr) {
                QWidget::setTabOrder(previous, widget);
            }
            previous = widget;
        }
    }

    QtBackend& backend_;
    WindowEvents& events_;
    double twipsPerPixel_;
    QSize designed_;
    QSize client_;
    QMargins margins_;  // the frame last laid out for
    std::optional<int> outerWidth_;
    std::optional<int> outerHeight_;
    bool clickFocusOnly_ = false;
    std::map<int, QPointer<QWidget>> controls_;
    std::vector<std::pair<int, QPointer<QWidget>>> tabOrder_;
};

void WindowWidget::closeEvent(QCloseEvent* event) {
    // The runtime decides: it unloads the form, which releases this window.
    event->ignore();
    if (owner != nullptr) {
        owner->closeRequested();
    }
}

void WindowWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (owner != nullptr) {
        owner->platformResized(event->size());
    }
}

bool WindowWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose && focusOnExpose && isVisible() &&
        windowHandle() != nullptr && windowHandle()->isExposed()) {
        focusOnExpose = false;
        takeFocus(*this);
    }
    return QWidget::eventFilter(watched, event);
}

bool WindowWidget::event(QEvent* event) {
    bool result = QWidget::event(event);
    switch (event->type()) {
        case QEvent::WindowStateChange:
            // Some window managers (Openbox) minimize any window whatever its hints say; a
            // minimized gate is out of the taskbar too, so the user could not get it back.
            if (owner != nullptr && (windowState() & Qt::WindowMinimized) != 0) {
                QTimer::singleShot(0, this, [this] {
                    if (owner != nullptr && isVisible()) {
                        setWindowState(windowState() & ~Qt::WindowMinimized);
                        raise();
                        if (!testAttribute(Qt::WA_ShowWithoutActivating)) {
                            activateWindow();
                        }
                    }
                });
            }
            break;
        case QEvent::Move:
        case QEvent::Show:
        case QEvent::WindowActivate:
            if (owner != nullptr) {
                owner->reconcileFrame();
            }
            break;
        default:
            break;
    }
    return result;
}

class Timer : public NativeTimer {
  public:
    Timer(QObject* parent, TimerEvents& events) : timer_(new QTimer(parent)) {
        timer_->setTimerType(Qt::PreciseTimer);
        connection_ =
            QObject::connect(timer_, &QTimer::timeout, timer_, [&events] { events.ticked(); });
    }
    ~Timer() override {
        QObject::disconnect(connection_);
        if (timer_) {
            timer_->stop();
            timer_->deleteLater();  // we may be inside its timeout
        }
    }
    void start(int intervalMs) override {
        if (timer_) {
            timer_->start(intervalMs);
        }
    }
    void stop() override {
        if (timer_) {
            timer_->stop();
        }
    }
    QPointer<QTimer> timer_;

  private:
    QMetaObject::Connection connection_;
};

// A started application. Our child (its keeper, or the application itself without one) is
// reaped as soon as its pidfd says it has exited, so no zombie stays behind while we run hidden
// for hours. Reaping is safe: the pidfd keeps naming the dead process, and pidfd_send_signal on
// it then fails with ESRCH, which terminate() ignores.
class Started : public StartedProgram {
  public:
    Started(std::unique_ptr<posix::Application> app, QObject* parent)
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
    ~Started() override {
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

// ---- the backend ----------------------------------------------------------------------------

QtBackend::QtBackend() : root_(std::make_unique<QObject>()) {
    // The program's end is the runtime's rule (no form loaded), not Qt's: Qt does not even
    // count Qt::Tool windows when it decides that the last window has closed.
    QApplication::setQuitOnLastWindowClosed(false);
#ifdef PORVANE_HAVE_ICON
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
#endif
    signals_ = std::make_unique<posix::SignalPipe>();
    signalNotifier_ = new QSocketNotifier(signals_->readFd(), QSocketNotifier::Read, root_.get());
    signalNotifier_->setEnabled(false);  // bytes wait in the pipe until the loop runs
    QObject::connect(signalNotifier_, &QSocketNotifier::activated, signalNotifier_, [this] {
        if (signals_->drain() > 0 && programEvents_ != nullptr) {
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
    return posix::executableDirectory();
}

double QtBackend::twipsPerPixelX() {
    QScreen* screen = QGuiApplication::primaryScreen();
    double dpi = screen != nullptr ? screen->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

std::unique_ptr<NativeWindow> QtBackend::createWindow(const WindowSpec& params,
                                                      WindowEvents& events) {
    return std::make_unique<Window>(*this, params, events, twipsPerPixelX());
}

std::unique_ptr<NativeTimer> QtBackend::createTimer(TimerEvents& events) {
    return std::make_unique<Timer>(root_.get(), events);
}

void QtBackend::messageBox(std::string_view text, std::string_view title, MessageIcon icon) {
    QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    toQString(title), messageText(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(QMessageBox::Ok);
    if (onMessageBox) {
        QTimer::singleShot(0, &box, [this, &box] { onMessageBox(box); });
    }
    box.exec();
}

void QtBackend::log(std::string_view line) {
    // Standard error reaches the session's journal when the desktop started us.
    std::string entry = "porvane: " + std::string(line) + "\n";
    std::fwrite(entry.data(), 1, entry.size(), stderr);
    std::fflush(stderr);
}

std::unique_ptr<StartedProgram> QtBackend::startProgram(std::string_view commandLine,
                                                        int /*windowStyle*/) {
    // The window style (1, normal with focus) is the started program's own business on X11.
    return std::make_unique<Started>(
        posix::Application::start(commandLine, posix::keeperBesideUs()), root_.get());
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
