// Windows and their controls: fixed-size top-level QWidgets laid out from the pixel geometry
// the runtime gives, with QPushButton, QLabel and read-only QTextEdit controls.
#include <QAccessible>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>

#include <algorithm>

#include "rtf/Reader.h"
#include "runtime/qt/Objects.h"
#include "runtime/qt/RtfToQt.h"

namespace runtime::qt {
namespace {

// Qt hides "[*]" in window titles (the modified-document placeholder); doubled it shows as is.
QString titleText(std::string_view utf8) {
    return toQString(utf8).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

}  // namespace

// ---- controls -------------------------------------------------------------------------------

Control::~Control() {
    for (const QMetaObject::Connection& c : connections_) {
        QObject::disconnect(c);
    }
    if (widget_) {
        widget_->hide();
        widget_->deleteLater();  // we may be inside one of its own signals
    }
}

void Control::setText(std::string_view text) {
    if (auto* button = qobject_cast<QPushButton*>(widget_.data())) {
        button->setText(toQString(text));
    } else if (auto* label = qobject_cast<QLabel*>(widget_.data())) {
        label->setText(toQString(text));
    } else if (auto* view = qobject_cast<QTextEdit*>(widget_.data())) {
        view->setPlainText(toQString(text));
    }
}

void Control::setBounds(const PixelRect& b) {
    if (widget_) {
        widget_->setGeometry(b.left, b.top, b.width, b.height);
    }
}

void Control::setDocument(std::string_view bytes) {
    auto* view = qobject_cast<QTextEdit*>(widget_.data());
    if (view == nullptr) {
        return;
    }
    // The reader takes any bytes: RTF, plain text otherwise, empty for none.
    fillDocument(*view->document(), rtf::parse(bytes), twipsPerPixel_, view->palette());
    view->moveCursor(QTextCursor::Start);
    view->ensureCursorVisible();
}

// ---- windows --------------------------------------------------------------------------------

Window::Window(QtBackend& backend, const WindowSpec& params, WindowEvents& events, double tpp)
    : backend_(backend), events_(events), twipsPerPixel_(tpp) {
    Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    flags |=
        closesOnRequest(params.kind) ? Qt::WindowCloseButtonHint : Qt::WindowMinimizeButtonHint;
    flags |= params.kind == WindowKind::Dialog || params.kind == WindowKind::Notice ? Qt::Dialog
                                                                                    : Qt::Tool;
    if (showsWithoutFocus(params.kind)) {
        flags |= Qt::WindowStaysOnTopHint;  // above an application that fills the screen
    }
    if (params.kind == WindowKind::Countdown) {
        // Never the keyboard's: on X11 its WM_HINTS say it takes no input at all.
        flags |= Qt::WindowDoesNotAcceptFocus;
    }
    widget_ = new WindowWidget(params.kind, flags);
    // On X11 Qt then maps the window with a zero user time, which window managers read as
    // "do not focus", and does not set the input focus itself.
    widget_->setAttribute(Qt::WA_ShowWithoutActivating, showsWithoutFocus(params.kind));
    // A Wayland client cannot ask to be shown without the keyboard: the compositor decides,
    // and sway, for one, hands it over. A notice's buttons then take the focus only from a
    // click, so that the Space or Enter the user was typing cannot dismiss it unread.
    clickFocusOnly_ = params.kind == WindowKind::Notice &&
                      QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    widget_->owner = this;
    widget_->setWindowTitle(titleText(params.title));
    designed_ = QSize(params.client.width, params.client.height);
    setClient(designed_);
}

Window::~Window() {
    if (widget_) {
        widget_->owner = nullptr;
        widget_->hide();
        backend_.retire(widget_);
    }
}

std::unique_ptr<NativeControl> Window::createControl(const ControlSpec& params) {
    QWidget* widget = nullptr;
    auto control = std::make_unique<Control>(nullptr, twipsPerPixel_);
    switch (params.kind) {
        case ControlKind::Button: {
            auto* button = new QPushButton(toQString(params.text), widget_);
            // Enter and Space activate the focused button; the first in tab order is the
            // one focused at start. Qt's tab order is the order of creation, which is the
            // runtime's tab order.
            button->setAutoDefault(true);
            if (clickFocusOnly_) {
                button->setFocusPolicy(Qt::ClickFocus);
            }
            int id = params.id;
            control->connections_.push_back(QObject::connect(button, &QPushButton::clicked, button,
                                                             [this, id] { events_.clicked(id); }));
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
            view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
            view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            view->setLineWrapMode(QTextEdit::WidgetWidth);
            view->setTabChangesFocus(true);
            view->setUndoRedoEnabled(false);
            view->setAccessibleName(QStringLiteral("Usage policy"));
            widget = view;
            break;
        }
    }
    widget->setGeometry(params.bounds.left, params.bounds.top, params.bounds.width,
                        params.bounds.height);
    widget->show();
    control->widget_ = widget;
    controls_[params.id] = widget;
    return control;
}

void Window::setTitle(std::string_view title) {
    widget_->setWindowTitle(titleText(title));
}

void Window::show(int focusControlId) {
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

void Window::centre() {
    inCorner_ = false;
    placeWhenFramed();
}

void Window::placeInCorner() {
    inCorner_ = true;
    placeWhenFramed();
}

void Window::placeWhenFramed() {
    placeNow();
    // Placed again once the window manager's frame is known.
    placePending_ = true;
    // The frame usually shows up within moments of mapping; past this, a later change is
    // the user's or the window manager's business.
    QTimer::singleShot(2000, widget_, [w = widget_] {
        if (w->owner != nullptr) {
            w->owner->placePending_ = false;
        }
    });
}

void Window::bringToFront() {
    if ((widget_->windowState() & Qt::WindowMinimized) != 0) {
        widget_->setWindowState(widget_->windowState() & ~Qt::WindowMinimized);
    }
    widget_->show();
    widget_->raise();
    if (widget_->kind == WindowKind::Notice) {
        // Shown again as far as a screen reader can tell, so that it announces the notice
        // again as it did when the notice first appeared.
        QAccessibleEvent shown(widget_.data(), QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
    }
}

PixelSize Window::outerSize() const {
    QSize c = widget_->size();
    QMargins m = margins();
    return {c.width() + m.left() + m.right(), c.height() + m.top() + m.bottom()};
}

PixelSize Window::clientSize() const {
    QSize c = widget_->size();
    return {c.width(), c.height()};
}

// A configured dimension is the outer size, kept as the frame becomes known; the other
// keeps the designed client size. Before the window is mapped the frame is not known yet.
void Window::setOuterWidth(int width) {
    outerWidth_ = width;
    fitClient();
}

void Window::setOuterHeight(int height) {
    outerHeight_ = height;
    fitClient();
}

QMargins Window::margins() const {
    QWindow* handle = widget_->windowHandle();
    return handle != nullptr && widget_->isVisible() ? handle->frameMargins() : margins_;
}

void Window::reconcileFrame() {
    if (!widget_->isVisible() || widget_->windowHandle() == nullptr) {
        return;
    }
    QMargins now = widget_->windowHandle()->frameMargins();
    if (now == margins_) {
        return;
    }
    margins_ = now;
    fitClient();
    if (placePending_) {
        placePending_ = false;
        placeNow();
    }
    events_.resized();
}

void Window::platformResized(const QSize& size) {
    if (size == client_) {
        return;
    }
    client_ = size;
    events_.resized();
}

void Window::setClient(const QSize& size) {
    client_ = size;
    widget_->setFixedSize(size);
}

void Window::fitClient() {
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

void Window::placeNow() {
    QScreen* screen =
        widget_->screen() != nullptr ? widget_->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect area = screen->availableGeometry();
    PixelRect workArea{area.left(), area.top(), area.width(), area.height()};
    PixelRect placed =
        inCorner_ ? inCornerOf(workArea, outerSize()) : centredOn(workArea, outerSize());
    widget_->move(placed.left, placed.top);
}

// ---- the top-level widget -------------------------------------------------------------------

void WindowWidget::closeEvent(QCloseEvent* event) {
    // The runtime decides: it unloads the form, which releases this window.
    event->ignore();
    if (owner != nullptr) {
        owner->closeRequested();
    }
}

void WindowWidget::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        closesOnEscape(kind) && owner != nullptr) {
        owner->closeRequested();
        return;
    }
    QWidget::keyPressEvent(event);
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
            // minimized gate is out of the taskbar too, so the user could not get it back. The
            // countdown may be minimized: it comes back at each reminder.
            if (owner != nullptr && kind != WindowKind::Countdown &&
                (windowState() & Qt::WindowMinimized) != 0) {
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

}  // namespace runtime::qt
