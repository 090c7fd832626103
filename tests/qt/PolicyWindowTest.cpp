// The policy window and the closing notice on the Qt backend (offscreen): texts, sizes, layout,
// focus, keyboard activation, the close box, the timer, message boxes and the event loop.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>

#include <signal.h>

#include <cmath>

#include "QtTestSupport.h"
#include "closing/dlgClosing.h"
#include "policy/frmUsagePolicy.h"
#include "tests/support/DesignSize.h"

using qt_testing::QtProgramTest;
using qt_testing::running;
using qt_testing::settle;
using qt_testing::waitUntil;
using testing_support::kDesignClient;

namespace {

QSize designSize() {
    return {kDesignClient.width, kDesignClient.height};
}

constexpr const char* kIni =
    "[General]\r\n"
    "FormCaption=Lab Usage Policy\r\n"
    "DisagreeCaption=I Disagree\r\n"
    "AgreeCaption=I Agree\r\n"
    "PolicyFile=policy.rtf\r\n";

int px(int twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

class PolicyWindow : public QtProgramTest {
  protected:
    frmUsagePolicy& form() { return *program->existing<frmUsagePolicy>(); }
    QWidget* window() { return widget(form()); }
    QPushButton* agree() { return qobject_cast<QPushButton*>(widget(form().cmdAgree)); }
    QPushButton* disagree() { return qobject_cast<QPushButton*>(widget(form().cmdDisagree)); }
    QTextEdit* view() { return qobject_cast<QTextEdit*>(widget(form().rtbPolicy)); }
    PolicyWindow() { dir.write("policy.rtf", "{\\rtf1\\ansi Be kind to the machines.\\par}"); }
    // Starts with kIni and `extra` lines after it.
    void start(const std::string& extra = "") {
        writeIni(kIni + extra);
        open();
    }
    void open() {
        program->start<frmUsagePolicy>();
        ASSERT_NE(window(), nullptr);
        ASSERT_TRUE(waitUntil([this] { return window()->isVisible(); }));
        settle();
    }
};

TEST_F(PolicyWindow, ScreenFactorIsFifteenTwipsPerPixelAtNinetySixDpi) {
    EXPECT_DOUBLE_EQ(backend->twipsPerPixelX(),
                     1440.0 / QGuiApplication::primaryScreen()->logicalDotsPerInchX());
    EXPECT_DOUBLE_EQ(backend->twipsPerPixelX(), 15.0);  // the offscreen screen is 96 DPI
}

TEST_F(PolicyWindow, TextsFromTheSettingsAndAFixedSize) {
    start();
    EXPECT_EQ(window()->windowTitle(), QStringLiteral("Lab Usage Policy"));
    EXPECT_EQ(agree()->text(), QStringLiteral("I Agree"));
    EXPECT_EQ(disagree()->text(), QStringLiteral("I Disagree"));
    // The design size and the outer size: ConfiguredSize's "Neither" row.
    EXPECT_EQ(window()->minimumSize(), window()->maximumSize());  // fixed size
    EXPECT_TRUE(view()->isReadOnly());
    EXPECT_EQ(view()->toPlainText(), QStringLiteral("Be kind to the machines."));
    EXPECT_EQ(view()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(view()->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
}

TEST_F(PolicyWindow, WindowIsACentredToolWindowWithOnlyACloseBox) {
    start();
    Qt::WindowFlags flags = window()->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    QRect area = window()->screen()->availableGeometry();
    QRect frame = window()->frameGeometry();
    EXPECT_LE(std::abs(frame.center().x() - area.center().x()), 1);
    EXPECT_LE(std::abs(frame.center().y() - area.center().y()), 1);
}

// A configured dimension is the outer size, one pixel more than asked, kept once the frame is
// known (it is set before the window is mapped; offscreen reports 2 px on each side); a
// dimension left at 0 keeps the designed client size. Agree is placed from the outer width,
// so the resize step runs again once the frame is known.
struct SizeCase {
    const char* name;
    const char* keys;
    int width;  // configured, 0 for none
    int height;
};

class ConfiguredSize : public PolicyWindow, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(ConfiguredSize, OuterSizeHoldsAndTheOtherDimensionKeepsItsDesign) {
    const SizeCase& c = GetParam();
    start(c.keys);
    QMargins m;
    ASSERT_TRUE(waitUntil([&] {
        m = frame(window());
        return !m.isNull() &&
               form().native()->outerSize().width ==
                   (c.width != 0 ? c.width + 1 : kDesignClient.width + m.left() + m.right());
    }));
    const QSize client(c.width != 0 ? c.width + 1 - m.left() - m.right() : kDesignClient.width,
                       c.height != 0 ? c.height + 1 - m.top() - m.bottom() : kDesignClient.height);
    const int outerWidth = client.width() + m.left() + m.right();
    EXPECT_EQ(window()->size(), client);
    EXPECT_EQ(form().native()->outerSize(),
              (runtime::PixelSize{outerWidth, client.height() + m.top() + m.bottom()}));
    // The layout: view across the top, the buttons 220 twips under it, Agree 220 twips from
    // the outer right edge.
    const int viewHeight = client.height() * 15 - 800;
    EXPECT_EQ(view()->geometry(), QRect(0, 0, client.width(), px(viewHeight)));
    EXPECT_EQ(disagree()->geometry(), QRect(px(120), px(viewHeight + 220), px(1215), px(375)));
    EXPECT_EQ(agree()->geometry(),
              QRect(px(outerWidth * 15 - 1215 - 220), px(viewHeight + 220), px(1215), px(375)));
}

INSTANTIATE_TEST_SUITE_P(
    PolicyWindow, ConfiguredSize,
    ::testing::Values(SizeCase{"Both", "PolicyWidth=640\r\nPolicyHeight=480\r\n", 640, 480},
                      SizeCase{"WidthOnly", "PolicyWidth=640\r\n", 640, 0},
                      SizeCase{"HeightOnly", "PolicyHeight=480\r\n", 0, 480},
                      SizeCase{"Neither", "", 0, 0}),
    [](const ::testing::TestParamInfo<SizeCase>& row) { return row.param.name; });

TEST_F(PolicyWindow, AgreeHasTheFocusAtStartAndTabGoesToDisagree) {
    start();
    EXPECT_EQ(window()->focusWidget(), agree());
    EXPECT_TRUE(agree()->autoDefault());
    QWidget* next = agree()->nextInFocusChain();
    while (next != nullptr && next->focusPolicy() == Qt::NoFocus) {
        next = next->nextInFocusChain();
    }
    EXPECT_EQ(next, disagree());
}

TEST_F(PolicyWindow, EnterOnAgreeStartsTheApplicationAndTheEndTerminatesIt) {
    start(
        "Application=sh -c 'echo $$ > started.pid; exec sleep 30'\r\n"
        "[Application]\r\nCloseApplicationOnClose=True\r\n");
    // Run with cwd = the temporary folder so the child writes there.
    std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    QTest::keyClick(agree(), Qt::Key_Return);
    std::filesystem::current_path(saved);
    ASSERT_TRUE(form().bAppStarted);
    EXPECT_FALSE(window()->isVisible());
    ASSERT_TRUE(waitUntil([&] { return !dir.read("started.pid").empty(); }));
    pid_t pid = std::stoi(dir.read("started.pid"));
    EXPECT_TRUE(running(pid));
    // The policy window unloads (hidden, so through the runtime); the program ends and its
    // destroy step ends the application through the pidfd.
    program->post([this] { form().Unload(); });
    EXPECT_TRUE(program->ended());
    EXPECT_EQ(program->exitStatus(), 0);
    EXPECT_TRUE(waitUntil([&] { return !running(pid); }));
}

TEST_F(PolicyWindow, CloseBoxActsLikeDisagreeAndTheRuntimeDestroysTheWindow) {
    start(
        "[Closing]\r\nShowCloseDialog=True\r\nCloseTitle=Bye\r\n"
        "CloseText=Your session is over. Please log off.\r\n");
    QPointer<QWidget> policy = window();
    EXPECT_FALSE(policy->close());  // the close event is ignored: the runtime decides
    EXPECT_FALSE(form().Loaded());
    settle();
    EXPECT_TRUE(policy.isNull());  // released by the runtime's unload
    // The unload step showed the closing notice: a fixed dialog with the label at the top.
    dlgClosing* notice = program->existing<dlgClosing>();
    ASSERT_NE(notice, nullptr);
    QWidget* dialog = widget(*notice);
    ASSERT_TRUE(waitUntil([&] { return dialog->isVisible(); }));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Bye"));
    EXPECT_EQ(dialog->windowFlags() & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_EQ(dialog->size(), QSize(px(6030), px(1725)));
    auto* label = qobject_cast<QLabel*>(widget(notice->lblText));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Your session is over. Please log off."));
    EXPECT_TRUE(label->wordWrap());
    EXPECT_EQ(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
    EXPECT_EQ(label->geometry(), QRect(px(120), px(120), px(5775), px(975)));
    EXPECT_EQ(dialog->focusWidget(), widget(notice->OKButton));
    EXPECT_FALSE(program->ended());
    QTest::keyClick(widget(notice->OKButton), Qt::Key_Return);
    EXPECT_TRUE(program->ended());
}

TEST_F(PolicyWindow, ResizeByThePlatformRunsTheResizeStep) {
    start();
    // As a window manager would: a size the program did not ask for.
    window()->setMinimumSize(0, 0);
    window()->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    window()->resize(400, 300);
    ASSERT_TRUE(waitUntil([&] { return view()->width() == 400; }));
    EXPECT_EQ(view()->height(), px(300 * 15 - 800));
    EXPECT_EQ(form().ScaleWidth(), 400 * 15);
}

TEST_F(PolicyWindow, TimedCloseTicksThroughQTimer) {
    start("Application=true\r\n[Application]\r\nClosePorvaneInSeconds=1\r\n");
    agree()->click();
    EXPECT_TRUE(form().bAppStarted);
    EXPECT_TRUE(form().Loaded());
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(waitUntil([&] { return program->ended(); }, 5000));
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_EQ(form().vEndReason, policy::EndReason::TimeLimit);
}

TEST_F(PolicyWindow, BadSettingShowsACriticalMessageBoxWithLineBreaks) {
    start("PolicyWidth=wide\r\n");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, QStringLiteral("Ini RW Class"));
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes[0].buttons, 1);
    EXPECT_TRUE(boxes[0].modal);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Error Number: 13\nType mismatch\n\n"
                                            "Error getting Section = General - Key = PolicyWidth"));
    EXPECT_EQ(window()->size(), designSize());  // the width read as 0: design size
}

TEST_F(PolicyWindow, MessageBoxClosedFromOutsideItsLoop) {
    // Without the hook: a test closes the active modal widget, as a user would.
    backend->onMessageBox = nullptr;
    bool seen = false;
    QTimer::singleShot(100, &scope, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        seen = modal != nullptr;
        if (modal != nullptr) {
            modal->close();
        }
    });
    start("PolicyHeight=40000\r\n");
    EXPECT_TRUE(seen);
    EXPECT_EQ(window()->size(), designSize());
}

TEST_F(PolicyWindow, ClicksDuringAModalBoxWaitForTheRunningHandler) {
    // Agree with a bad ClosePorvaneAfterAgree: the handler shows a box; a Disagree click
    // delivered inside the box's loop must wait until the Agree handler returns.
    start("Application=true\r\n[Application]\r\nClosePorvaneAfterAgree=maybe\r\n");
    bool unloadedDuringBox = true;
    backend->onMessageBox = [&](QMessageBox& box) {
        window()->close();  // a close request, as the window manager sends it
        unloadedDuringBox = !form().Loaded();
        box.accept();
    };
    agree()->click();
    EXPECT_FALSE(unloadedDuringBox);
    EXPECT_TRUE(form().bAppStarted);
    EXPECT_FALSE(form().Loaded());  // the request ran once the Agree handler had returned
    EXPECT_TRUE(program->ended());
}

TEST_F(PolicyWindow, FatalErrorShowsTheRuntimeBoxAndRunReturnsOne) {
    writeIni(std::string(kIni) + "Application=no-such-program-porvane\r\n");
    QTimer::singleShot(200, &scope, [this] { agree()->click(); });
    EXPECT_EQ(program->run<frmUsagePolicy>(), 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              QStringLiteral("Run-time error '53':\n\nFile not found\n\nno-such-program-porvane"));
}

TEST_F(PolicyWindow, SigtermEndsTheProgramInOrderAndEndsTheApplication) {
    writeIni(std::string(kIni) + "Application=sh -c 'echo $$ > " + dir.file("started.pid") +
             "; exec sleep 30'\r\n"
             "[Application]\r\nCloseApplicationOnClose=True\r\n"
             "[Closing]\r\nShowCloseDialog=True\r\nCloseTitle=Bye\r\n");
    pid_t child = 0;
    QTimer::singleShot(200, &scope, [&] {
        agree()->click();
        ASSERT_TRUE(waitUntil([&] { return !dir.read("started.pid").empty(); }));
        child = static_cast<pid_t>(std::stoi(dir.read("started.pid")));
        ::raise(SIGTERM);
    });
    EXPECT_EQ(program->run<frmUsagePolicy>(), 0);
    EXPECT_FALSE(form().Loaded());
    EXPECT_FALSE(program->existing<dlgClosing>()->Loaded());
    ASSERT_GT(child, 0);
    EXPECT_TRUE(waitUntil([&] { return !running(child); }));
}

TEST_F(PolicyWindow, TitlePlaceholderIsShownLiterally) {
    writeIni("[General]\r\nFormCaption=Policy [*] v2\r\n");
    open();
    EXPECT_EQ(window()->windowHandle()->title(), QStringLiteral("Policy [*] v2"));
}

}  // namespace
