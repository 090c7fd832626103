// The Linux program: the Qt 6 backend and the policy window as the start-up form.
#include <QApplication>

#include "policy/frmUsagePolicy.h"
#include "runtime/Program.h"
#include "runtime/qt/QtBackend.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Porvane"));
    QApplication::setApplicationVersion(QStringLiteral(PORVANE_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("porvane"));
    runtime::qt::QtBackend backend;
    runtime::Program program(backend);
    return program.run<frmUsagePolicy>();
}
