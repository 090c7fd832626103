// The forms runtime's own rules, on small forms of the tests' own.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "runtime/Error.h"
#include "runtime/Program.h"
#include "runtime/Services.h"

namespace {

using runtime::MessageIcon;
using runtime::Program;

std::vector<std::string> gLog;

class Second : public runtime::Form {
  public:
    Second() : Form({runtime::WindowKind::Dialog, "Second", 3000, 1500}) {
        ok.Click = [this] { Unload(); };
    }
    runtime::CommandButton ok{*this, "OK", {100, 100, 1200, 375}, 0};
    int field = 0;

  protected:
    void Form_Load() override { gLog.push_back("Second.Load"); }
    void Form_Unload() override { gLog.push_back("Second.Unload"); }
    void Form_Terminate() override { gLog.push_back("Second.Terminate"); }
};

class First : public runtime::Form {
  public:
    First() : Form({runtime::WindowKind::ToolWindow, "First", 4500, 3000}) {
        go.Click = [this] { onGo(); };
        hide.Click = [this] { Hide(); };
        tmr.OnTimer = [this] { onTick(); };
    }
    runtime::CommandButton go{*this, "Go", {100, 100, 1200, 375}, 1};
    runtime::CommandButton hide{*this, "Hide", {100, 600, 1200, 375}, 0};
    runtime::Label note{*this, "note", {100, 1100, 3000, 375}, 2};
    runtime::Timer tmr{*this, 1000, false};
    std::function<void()> goAction;
    int ticks = 0;

  protected:
    void Form_Load() override { gLog.push_back("First.Load"); }
    void Form_Resize() override { gLog.push_back("First.Resize"); }
    void Form_Unload() override { gLog.push_back("First.Unload"); }
    void Form_Terminate() override { gLog.push_back("First.Terminate"); }

  private:
    void onGo() {
        gLog.push_back("Go");
        if (goAction) {
            goAction();
        }
        gLog.push_back("Go done");
    }
    void onTick() {
        ++ticks;
        gLog.push_back("Tick");
    }
};

// A start-up form that ends the program while it loads: it unloads itself, or fails.
class Brief : public runtime::Form {
  public:
    Brief() : Form({runtime::WindowKind::Dialog, "Brief", 3000, 1500}) {}
    static inline bool fails = false;

  protected:
    void Form_Load() override {
        if (fails) {
            throw runtime::makeError(runtime::kFileNotFound);
        }
        Unload();
    }
};

class Runtime : public testing_support::ProgramTest {
  protected:
    Runtime() { gLog.clear(); }
    First& first() { return *program->existing<First>(); }
    void startFirst() {
        program->start<First>();
        ASSERT_NE(program->existing<First>(), nullptr);
    }
};

TEST_F(Runtime, StartLoadsShowsAndLaysOutTheStartUpForm) {
    startFirst();
    EXPECT_EQ(gLog, (std::vector<std::string>{"First.Load", "First.Resize"}));
    const auto* w = backend().visibleWindow("First");
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->centred);
    EXPECT_EQ(w->client, (runtime::PixelSize{300, 200}));  // 4500 x 3000 twips at 15
    // The lowest tab index that can take the focus: "Hide" (0), not the label.
    EXPECT_EQ(w->focusedControlId, first().hide.id());
    // The window is built in tab order, whatever the order of declaration.
    std::vector<std::string> built;
    for (const auto* control : w->controls) {
        built.push_back(control->text);
    }
    EXPECT_EQ(built, (std::vector<std::string>{"Hide", "Go", "note"}));
    EXPECT_FALSE(program->ended());
}

TEST_F(Runtime, CentredOnTheFirstShowOfEachLoad) {
    startFirst();
    first().goAction = [&] {
        first().Hide();
        first().Show();
        runtime::defaultInstance<Second>().Show();
        runtime::defaultInstance<Second>().Unload();
        runtime::defaultInstance<Second>().Show();
    };
    backend().click("First", "Go");
    EXPECT_EQ(backend().visibleWindow("First")->centred, 1) << "shown again, it stays put";
    EXPECT_EQ(backend().visibleWindow("Second")->centred, 1) << "a new load, a new window";
}

TEST_F(Runtime, AProgramThatEndsWhileStartingNeverEntersTheLoop) {
    // The headless backend has no event loop: entering it throws.
    for (bool fails : {false, true}) {
        SCOPED_TRACE(fails ? "fails" : "unloads itself");
        restart();
        Brief::fails = fails;
        EXPECT_EQ(program->run<Brief>(), fails ? 1 : 0);
        EXPECT_EQ(backend().quitStatus(), fails ? 1 : 0);
    }
}

TEST_F(Runtime, ShellRefusesABlankLineAndAnUnknownWindowStyle) {
    struct Row {
        const char* line;
        int style;
    } rows[] = {{"", 1}, {" \t ", 1}, {"app", 5}, {"app", 7}, {"app", -1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("'") + row.line + "' " + std::to_string(row.style));
        try {
            runtime::Shell(row.line, row.style);
            ADD_FAILURE() << "started";
        } catch (const runtime::Error& e) {
            EXPECT_EQ(e.number, runtime::kInvalidProcedureCall);
        }
    }
    EXPECT_TRUE(backend().processes().empty());
}

TEST_F(Runtime, AFormReferredToIsCreatedAndLoadedBeforeTheCallGoesOn) {
    startFirst();
    first().goAction = [&] {
        Second& second = runtime::defaultInstance<Second>();
        gLog.push_back(second.Loaded() ? "loaded" : "not loaded");
        EXPECT_EQ(&second, &runtime::defaultInstance<Second>());  // one instance only
    };
    ASSERT_TRUE(backend().click("First", "Go"));
    EXPECT_EQ(gLog, (std::vector<std::string>{"First.Load", "First.Resize", "Go", "Second.Load",
                                              "loaded", "Go done"}));
}

TEST_F(Runtime, UnloadRunsInsideTheRequestAndFieldsLiveOn) {
    startFirst();
    first().goAction = [&] {
        runtime::defaultInstance<Second>().field = 42;
        runtime::defaultInstance<Second>().Show();
        runtime::defaultInstance<Second>().Unload();
        gLog.push_back("after unload");
    };
    backend().click("First", "Go");
    EXPECT_EQ(gLog[gLog.size() - 3], "Second.Unload");
    EXPECT_EQ(gLog[gLog.size() - 2], "after unload");
    Second* second = program->existing<Second>();
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(second->Loaded());
    EXPECT_EQ(backend().window("Second"), nullptr);
    EXPECT_EQ(second->field, 42);
}

TEST_F(Runtime, ProgramEndsWhenNoFormIsLoadedThenDestroysEveryForm) {
    startFirst();
    first().goAction = [&] {
        runtime::defaultInstance<Second>().Show();
        first().Unload();
        gLog.push_back("still in handler");
    };
    backend().click("First", "Go");
    EXPECT_FALSE(program->ended()) << "the second form is still loaded";
    EXPECT_EQ(gLog.back(), "Go done");
    ASSERT_TRUE(backend().click("Second", "OK"));
    EXPECT_TRUE(program->ended());
    EXPECT_EQ(backend().quitStatus(), 0);
    EXPECT_EQ(std::vector<std::string>(gLog.end() - 3, gLog.end()),
              (std::vector<std::string>{"Second.Unload", "First.Terminate", "Second.Terminate"}));
}

TEST_F(Runtime, AHiddenLoadedFormKeepsTheProgramAliveUntilAnEndFromOutside) {
    startFirst();
    backend().click("First", "Hide");
    EXPECT_FALSE(program->ended());
    EXPECT_EQ(backend().visibleWindow("First"), nullptr);
    EXPECT_TRUE(first().Loaded());
    EXPECT_FALSE(backend().click("First", "Go")) << "a hidden window takes no clicks";
    // An end asked for from outside unloads it in order and destroys it.
    program->endRequested();
    EXPECT_TRUE(program->ended());
    EXPECT_EQ(program->exitStatus(), 0);
    EXPECT_EQ(std::vector<std::string>(gLog.end() - 2, gLog.end()),
              (std::vector<std::string>{"First.Unload", "First.Terminate"}));
}

TEST_F(Runtime, CloseBoxUnloadsTheForm) {
    startFirst();
    ASSERT_TRUE(backend().requestClose("First"));
    EXPECT_EQ(gLog.back(), "First.Terminate");
    EXPECT_EQ(gLog[gLog.size() - 2], "First.Unload");
    EXPECT_TRUE(program->ended());
}

TEST_F(Runtime, TicksDueDuringAModalBoxWaitAndMergeIntoOne) {
    startFirst();
    first().tmr.setEnabled(true);
    first().goAction = [&] { runtime::MsgBox("hold on", "Box", MessageIcon::None); };
    // The user takes 3.5 s to dismiss the box: three ticks fall due meanwhile.
    backend().onMessageBox = [&](const auto&) { backend().advance(3500); };
    backend().click("First", "Go");
    auto goDone = std::find(gLog.begin(), gLog.end(), "Go done");
    ASSERT_NE(goDone, gLog.end());
    EXPECT_EQ(std::find(gLog.begin(), goDone, "Tick"), goDone) << "no tick inside the handler";
    EXPECT_EQ(first().ticks, 1) << "the three ticks merge into one, delivered after it";
    backend().onMessageBox = nullptr;
    backend().advance(500);
    EXPECT_EQ(first().ticks, 2) << "and the timer keeps its rhythm";
}

TEST_F(Runtime, TimerTicksOncePerIntervalOnlyWhileEnabled) {
    startFirst();
    backend().advance(5000);
    EXPECT_EQ(first().ticks, 0);
    first().tmr.setEnabled(true);
    backend().advance(2999);
    EXPECT_EQ(first().ticks, 2);
    backend().advance(1);
    EXPECT_EQ(first().ticks, 3);
    first().tmr.setEnabled(false);
    backend().advance(10000);
    EXPECT_EQ(first().ticks, 3);
}

TEST_F(Runtime, UnhandledErrorShowsTheBoxAndEndsWithStatusOneWithoutDestroySteps) {
    startFirst();
    first().goAction = [] { throw runtime::makeError(runtime::kFileNotFound); };
    backend().click("First", "Go");
    ASSERT_EQ(backend().messageBoxes().size(), 1u);
    EXPECT_EQ(backend().messageBoxes()[0].text, "Run-time error '53':\n\nFile not found");
    EXPECT_EQ(backend().messageBoxes()[0].title, "Porvane");
    EXPECT_EQ(backend().messageBoxes()[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(program->ended());
    EXPECT_EQ(program->exitStatus(), 1);
    EXPECT_EQ(backend().quitStatus(), 1);
    EXPECT_EQ(std::count(gLog.begin(), gLog.end(), "First.Terminate"), 0);
    EXPECT_EQ(gLog.back(), "Go") << "the handler stopped at the error";
}

TEST_F(Runtime, GeometryFollowsTheScreenFactor) {
    backend().setTwipsPerPixel(10.0);  // 144 dots per inch
    startFirst();
    const auto* w = backend().visibleWindow("First");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->client, (runtime::PixelSize{450, 300}));
    EXPECT_EQ(w->control(first().go.id())->bounds, (runtime::PixelRect{10, 10, 120, 38}));
    EXPECT_EQ(first().ScaleWidth(), 4500);
    auto frame = backend().frame(runtime::WindowKind::ToolWindow);
    EXPECT_EQ(first().Width(), (450 + frame.left + frame.right) * 10);
}

TEST_F(Runtime, ControlsReturnToTheirDesignAfterUnload) {
    startFirst();
    first().goAction = [&] {
        Second& second = runtime::defaultInstance<Second>();
        second.ok.setCaption("Changed");
        second.setCaption("Changed title");
        second.Unload();
        Second& again = runtime::defaultInstance<Second>();
        EXPECT_EQ(again.ok.Caption(), "OK");
        EXPECT_EQ(again.Caption(), "Second");
    };
    backend().click("First", "Go");
    EXPECT_EQ(gLog.back(), "Go done");
}

TEST_F(Runtime, NegativeControlSizesStayAtZero) {
    startFirst();
    first().note.setHeight(-500);
    EXPECT_EQ(first().note.Height(), 0);
    EXPECT_EQ(backend().visibleWindow("First")->control(first().note.id())->bounds.height, 0);
}

}  // namespace
