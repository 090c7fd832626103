#pragma once
// Shared helpers of the Qt tests: a temporary folder per test, waiting on the event loop with
// a deadline, whether a process runs (tests/support), and a Program on the Qt backend whose
// "executable directory" is that folder.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QWidget>
#include <QWindow>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Form.h"
#include "runtime/Program.h"
#include "runtime/qt/QtBackend.h"
#include "settings/mdlGlobals.h"
#include "tests/support/Processes.h"
#include "tests/support/TempDir.h"

namespace qt_testing {

using testing_support::processState;
using testing_support::running;
using testing_support::TempDir;

// Processes events until `done` holds or `ms` pass; returns whether it held.
inline bool waitUntil(const std::function<bool()>& done, int ms = 5000) {
    return testing_support::pollUntil(
        done, ms, [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); });
}

// Lets pending events (and deferred deletes) run for a moment.
inline void settle(int ms = 50) {
    waitUntil([] { return false; }, ms);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A Program on the Qt backend, its executable directory a fresh temporary folder.
class QtProgramTest : public ::testing::Test {
  protected:
    QtProgramTest() {
        backend = std::make_unique<runtime::qt::QtBackend>();
        backend->executableDirectoryOverride = dir.path().string();
        program = std::make_unique<runtime::Program>(*backend);
        // No test waits for ever on a box: each is recorded and dismissed unless a test
        // installs its own hook.
        backend->onMessageBox = [this](QMessageBox& box) {
            boxes.push_back({box.text(), box.windowTitle(), box.icon(),
                             static_cast<int>(box.buttons().size()), box.isModal()});
            box.accept();
        };
    }
    ~QtProgramTest() override {
        program.reset();
        settle(10);
        backend.reset();
        sIniFile.clear();
    }

    void writeIni(std::string_view text) { dir.write("Porvane.ini", text); }

    static QWidget* widget(runtime::Form& form) {
        return form.native() != nullptr ? runtime::qt::QtBackend::widgetOf(*form.native())
                                        : nullptr;
    }
    static QWidget* widget(runtime::Control& control) {
        return control.native() != nullptr ? runtime::qt::QtBackend::widgetOf(*control.native())
                                           : nullptr;
    }

    // The frame the platform reports around a mapped window (offscreen: 2 px on each side).
    static QMargins frame(QWidget* window) {
        return window->windowHandle() != nullptr ? window->windowHandle()->frameMargins()
                                                 : QMargins();
    }

    // A message box as it was shown.
    struct Box {
        QString text;
        QString title;
        QMessageBox::Icon icon;
        int buttons;
        bool modal;
    };

    TempDir dir;
    std::vector<Box> boxes;
    // Context of the test's single-shot timers: one that has not fired dies with the test.
    QObject scope;
    std::unique_ptr<runtime::qt::QtBackend> backend;
    std::unique_ptr<runtime::Program> program;
};

}  // namespace qt_testing
