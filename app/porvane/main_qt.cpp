// The Linux program: the Qt 6 backend and the policy window as the start-up form.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "policy/frmUsagePolicy.h"
#include "runtime/Program.h"
#include "runtime/qt/FontWarmUp.h"
#include "runtime/qt/QtBackend.h"

int main() {
    // The program reads no arguments, and Qt gets none either, so its own options (-platform,
    // -style, -session, ...) are not honoured: whoever starts the gate cannot change how it
    // behaves. Qt gets no program name either: it puts the application's name (the executable's
    // name unless set) into the title of a window whose title is empty, and a title must be
    // exactly the configured text, empty included.
    char noName[] = "";
    char* qtArgv[] = {noName, nullptr};
    int qtArgc = 1;
    runtime::qt::FontWarmUp fonts;
    QApplication application(qtArgc, qtArgv);
    fonts.wait();
    QApplication::setApplicationVersion(QStringLiteral(PORVANE_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("porvane"));
    int status = 0;
    {
        runtime::qt::QtBackend backend;
        runtime::Program program(backend);
        status = program.run<frmUsagePolicy>();
    }
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        // Qt's Wayland client can hang for good in its teardown: the main thread joins the
        // event thread while that one is blocked reading the display. Everything of ours is
        // done by now (destroy steps run, windows released, the started application left as it
        // should be), so flush our output and leave without the toolkit's teardown; the
        // compositor drops the connection and its windows when the process goes.
        std::cout.flush();
        std::cerr.flush();
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
