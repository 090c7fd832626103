// The Qt backend's own rules, with a small form: sizes and frames, resize reporting, dialog
// flags, timers, message boxes and the event loop.
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "QtTestSupport.h"
#include "closing/frmTimeLeft.h"

using qt_testing::QtProgramTest;
using qt_testing::settle;
using qt_testing::waitUntil;

namespace {

class Probe : public runtime::Form {
  public:
    Probe() : Form({runtime::WindowKind::Dialog, "Probe", 3000, 1500}) {}
    runtime::Label note{*this,
                        "A note that is long enough to wrap over more than one line.",
                        {150, 150, 1500, 600},
                        2};
    runtime::CommandButton OK{*this, "OK", {1500, 900, 1200, 375}, 0};
    runtime::CommandButton Other{*this, "Other", {150, 900, 1200, 375}, 1};
    int resizes = 0;
    using Form::setWidth;

  protected:
    void Form_Resize() override { ++resizes; }
};

class Backend : public QtProgramTest {
  protected:
    Probe& probe() { return program->defaultInstance<Probe>(); }
    void showProbe() {
        program->post([this] { probe().Show(); });
        settle();
    }
};

// A program side of the loop that asks nothing of it.
struct QuietProgram : runtime::ProgramEvents {
    void endRequested() override {}
};

TEST_F(Backend, ExecutableDirectoryIsTheTestProgramsFolder) {
    backend->executableDirectoryOverride.reset();
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(backend->executableDirectory(), exe.parent_path().string());
}

TEST_F(Backend, DialogIsFixedWithACloseBoxAndCentredOnFirstShowOnly) {
    program->post([this] { probe().Show(); });
    QWidget* w = widget(probe());
    ASSERT_TRUE(waitUntil([&] { return w->isVisible(); }));
    EXPECT_EQ(w->windowFlags() & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(w->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(w->size(), QSize(200, 100));
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    EXPECT_EQ(w->focusWidget(), widget(probe().OK));
    // Hidden and shown again: it stays where it was.
    w->move(10, 20);
    program->post([this] { probe().Hide(); });
    showProbe();
    EXPECT_EQ(w->pos(), QPoint(10, 20));
}

TEST_F(Backend, OwnSizeChangesAreNotReportedAsResizes) {
    showProbe();
    // The first show ran the resize step, and again once the frame was known.
    int before = probe().resizes;
    EXPECT_EQ(before, 2);
    program->post([this] { probe().setWidth(4500); });
    settle();
    // The runtime ran its resize step itself; the backend reported nothing on top.
    EXPECT_EQ(probe().resizes, before + 1);
    QMargins m = frame(widget(probe()));
    EXPECT_EQ(widget(probe())->width(), 300 - m.left() - m.right());
    EXPECT_EQ(probe().native()->outerSize(), (runtime::PixelSize{300, 100 + m.top() + m.bottom()}));
}

TEST_F(Backend, LabelIsPlainWrappedAndTopLeft) {
    showProbe();
    auto* label = qobject_cast<QLabel*>(widget(probe().note));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_TRUE(label->wordWrap());
    EXPECT_EQ(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
    EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
    program->post([this] { probe().note.setCaption("<b>not bold</b>"); });
    EXPECT_EQ(label->text(), QStringLiteral("<b>not bold</b>"));
}

TEST_F(Backend, TimerIsPreciseStopsAndIsReleasedSafely) {
    struct Sink : runtime::TimerEvents {
        int n = 0;
        void ticked() override { ++n; }
    } sink;
    auto native = backend->createTimer(sink);
    QTimer* timer = runtime::qt::QtBackend::timerOf(*native);
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->timerType(), Qt::PreciseTimer);
    native->start(10);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(waitUntil([&] { return sink.n >= 10; }, 3000));
    EXPECT_GE(clock.elapsed(), 95);
    native->stop();
    int n = sink.n;
    settle(50);
    EXPECT_EQ(sink.n, n);
    native->start(10);
    ASSERT_TRUE(waitUntil([&] { return sink.n > n; }, 3000));
    native.reset();  // deleted later, never ticks again
    n = sink.n;
    settle(50);
    EXPECT_EQ(sink.n, n);
}

TEST_F(Backend, MessageBoxTurnsCrLfIntoLineBreaks) {
    backend->messageBox("one\r\ntwo\r\n\r\nfour", "Title", runtime::MessageIcon::None);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("one\ntwo\n\nfour"));
    EXPECT_EQ(boxes[0].title, QStringLiteral("Title"));
    EXPECT_EQ(boxes[0].icon, QMessageBox::NoIcon);
}

TEST_F(Backend, OnlyTheRuntimeEndsTheLoop) {
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
    // A hidden form that is still loaded keeps the program running with no window shown.
    program->post([this] {
        probe().Show();
        probe().Hide();
    });
    QuietProgram events;
    bool running = false;
    QTimer::singleShot(200, &scope, [&] {
        running = !program->ended();
        program->post([this] { probe().Unload(); });  // the last form goes: the program ends
    });
    EXPECT_EQ(backend->runEventLoop(events), 0);
    EXPECT_TRUE(running);
    EXPECT_TRUE(program->ended());
}

// The countdown: on top, never the keyboard's, no close box, minimizable; first in the work
// area's bottom-right corner; a window named by its title around a label a reader can read.
TEST_F(Backend, CountdownStaysOnTopTakesNoFocusAndCannotBeClosed) {
    program->post([this] {
        probe().Show();  // the active window, as the application would be
        frmTimeLeft& countdown = program->defaultInstance<frmTimeLeft>();
        countdown.setCaption("Time left");
        countdown.ShowTimeLeft("4:59");
        countdown.Show();
    });
    frmTimeLeft& countdown = *program->existing<frmTimeLeft>();
    QWidget* w = widget(countdown);
    ASSERT_TRUE(waitUntil([&] { return w->isVisible(); }));
    settle(100);
    // (The offscreen platform activates whatever shows; the desktops' own tests see the focus
    // stay with the application.)
    Qt::WindowFlags flags = w->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(flags & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(w->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    QRect area = w->screen()->availableGeometry();
    QMargins m = frame(w);
    EXPECT_EQ(w->geometry().bottomRight() + QPoint(m.right(), m.bottom()), area.bottomRight());
    // A close request, from the title bar or the window manager, does nothing.
    EXPECT_FALSE(w->close());
    settle();
    EXPECT_TRUE(countdown.Loaded());
    EXPECT_TRUE(w->isVisible());
    // Minimized, it comes back when brought to the front.
    w->setWindowState(Qt::WindowMinimized);
    settle();
    EXPECT_TRUE(w->windowState() & Qt::WindowMinimized);
    program->post([&] { countdown.ZOrder(); });
    settle();
    EXPECT_FALSE(w->windowState() & Qt::WindowMinimized);
    // What a screen reader reads: the window by its title, the label's text at that moment.
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(w);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->text(QAccessible::Name), QStringLiteral("Time left"));
    QAccessibleInterface* label =
        QAccessible::queryAccessibleInterface(widget(countdown.lblTimeLeft));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->role(), QAccessible::StaticText);
    program->post([&] { countdown.ShowTimeLeft("4:58"); });
    EXPECT_EQ(label->text(QAccessible::Name), QStringLiteral("4:58"));
    EXPECT_FALSE(widget(countdown.lblTimeLeft)->focusPolicy() & Qt::TabFocus);
}

// Escape is the close box of the notices; the policy window (a tool window) keeps ignoring it,
// since closing it would be Disagree.
TEST(WindowKeys, EscapeClosesTheNoticesOnly) {
    struct Closes : runtime::WindowEvents {
        int closes = 0;
        void clicked(int) override {}
        void closeRequested() override { ++closes; }
        void resized() override {}
    };
    runtime::qt::QtBackend backend;
    for (auto [kind, closes] :
         {std::pair{runtime::WindowKind::ToolWindow, 0}, std::pair{runtime::WindowKind::Dialog, 1},
          std::pair{runtime::WindowKind::Notice, 1},
          std::pair{runtime::WindowKind::Countdown, 0}}) {
        Closes events;
        auto window = backend.createWindow({kind, "t", {200, 100}}, events);
        auto ok = window->createControl({runtime::ControlKind::Button, 1, "OK", {0, 0, 80, 25}});
        QTest::keyClick(runtime::qt::QtBackend::widgetOf(*ok), Qt::Key_Escape);
        EXPECT_EQ(events.closes, closes) << static_cast<int>(kind);
    }
}

}  // namespace
