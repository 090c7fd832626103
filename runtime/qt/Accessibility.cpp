// What screen readers learn of the program through Qt's accessibility bridge (AT-SPI on
// Linux): the program's name, and for each top-level window a role that tells a reader how to
// present it. A plain QWidget window is only a "filler", which readers neither announce nor
// read out.
#include <QAccessible>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QApplication>

#include "runtime/qt/Objects.h"

namespace runtime::qt {
namespace {

// The program as a whole, named "Porvane". Qt names it by the application's name, which the
// program leaves empty (Qt would put it into every empty window title).
class Application : public QAccessibleApplication {
  public:
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? QStringLiteral("Porvane") : QAccessibleApplication::text(t);
    }
};

// The policy window and the closing notice are dialogs: a reader says the title, reads the
// notice's message and then the focused button. The warning is a notification, which a reader
// announces with its title and message as soon as it shows, although it takes no focus. The
// countdown is a plain window named by its title, whose label a reader reads when asked: it
// never takes the focus, so its changes each second are never spoken.
QAccessible::Role roleOf(WindowKind kind) {
    switch (kind) {
        case WindowKind::Notice:
            return QAccessible::Notification;
        case WindowKind::Countdown:
            return QAccessible::Window;
        default:
            return QAccessible::Dialog;
    }
}

QAccessibleInterface* describe(const QString& /*className*/, QObject* object) {
    if (object == qApp) {
        return new Application;
    }
    if (auto* window = dynamic_cast<WindowWidget*>(object)) {
        return new QAccessibleWidget(window, roleOf(window->kind));
    }
    return nullptr;
}

}  // namespace

void describeForScreenReaders() {
    static bool installed = false;
    if (installed) {
        return;
    }
    installed = true;
    QAccessible::installFactory(describe);
}

}  // namespace runtime::qt
