#pragma once
// Forms and their controls. A form owns its controls as members, under the names its designer
// gave them, and overrides the event steps it uses. Geometry here is in twips; the form converts
// to pixels with the screen's factor when it talks to the backend.
//
// The forms (policy/, closing/) and settings/ keep the names of the original Windows program on
// purpose: whoever knows that program finds every window, control, handler and setting under
// its old name. A lower-case prefix
// tells the kind: frm a window, dlg a dialog window, cmd a push button, lbl a label, rtb a
// rich-text view, tmr a timer, mdl and dml a code module; fields carry their type (s string,
// l 32-bit integer, b Boolean, v an optional value). A handler joins the control and the event
// (cmdAgree_Click, tmrClose_Timer, Form_Load). docs/CODE.md says more.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Backend.h"

namespace runtime {

class Form;
class Program;

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TwipsRect&) const = default;
};

// A control on a form: its design-time text and box, and the native control while the form is
// loaded. Unloading the form returns the control to its design-time values, as the window it
// belonged to is gone.
class Control {
  public:
    Control(Form& owner, ControlKind kind, std::string caption, TwipsRect bounds, int tabIndex);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Caption() const { return text_; }
    void setCaption(std::string_view text);

    int Left() const { return bounds_.left; }
    int Top() const { return bounds_.top; }
    int Width() const { return bounds_.width; }
    int Height() const { return bounds_.height; }
    // A negative size is kept at zero: a window shorter than its button band gives the view
    // no room rather than an error.
    void setLeft(int twips);
    void setTop(int twips);
    void setWidth(int twips);
    void setHeight(int twips);

    ControlKind kind() const { return kind_; }
    int id() const { return id_; }
    int tabIndex() const { return tabIndex_; }
    // The native control while the form is loaded, else null (tests read backend state here).
    NativeControl* native() const { return native_.get(); }

  protected:
    Form& owner_;

  private:
    friend class Form;
    void attach(NativeWindow& window, double twipsPerPixel);
    void detach();
    void pushBounds();
    virtual void clicked() {}

    ControlKind kind_;
    int id_;
    int tabIndex_;
    std::string designText_;
    TwipsRect designBounds_;
    std::string text_;
    TwipsRect bounds_;
    double twipsPerPixel_ = kTwipsPerPixel;
    std::unique_ptr<NativeControl> native_;
};

class CommandButton : public Control {
  public:
    CommandButton(Form& owner, std::string caption, TwipsRect bounds, int tabIndex)
        : Control(owner, ControlKind::Button, std::move(caption), bounds, tabIndex) {}
    // The form's Click handler, bound in the form's constructor.
    std::function<void()> Click;

  private:
    void clicked() override;
};

class Label : public Control {
  public:
    Label(Form& owner, std::string caption, TwipsRect bounds, int tabIndex)
        : Control(owner, ControlKind::Label, std::move(caption), bounds, tabIndex) {}

    // Sets the caption only when the text changes, so that a countdown's tick repaints nothing
    // else, and a screen reader, which reads the label whenever asked, is told of no change in
    // between.
    void setCaptionIfChanged(std::string_view text) {
        if (Caption() != text) {
            setCaption(text);
        }
    }
};

class RichTextBox : public Control {
  public:
    RichTextBox(Form& owner, TwipsRect bounds, int tabIndex)
        : Control(owner, ControlKind::RichText, {}, bounds, tabIndex) {}
    // Reads the named file and shows it. An empty name gives an empty view; a missing file
    // raises error 53, one that cannot be read error 75.
    void LoadFile(std::string_view fileName);
    const std::string& FileName() const { return fileName_; }

  private:
    std::string fileName_;
};

// A timer on a form. While enabled and its form is loaded, OnTimer runs once per interval;
// ticks that fall due while another handler runs merge into one, delivered after it.
class Timer : private TimerEvents {
  public:
    Timer(Form& owner, int intervalMs, bool enabled);
    ~Timer() override;
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    int Interval() const { return interval_; }
    void setInterval(int ms);
    // The form's Timer handler, bound in the form's constructor.
    std::function<void()> OnTimer;

  private:
    friend class Form;
    void attach(Backend& backend);
    void detach();
    void apply();
    void ticked() override;

    Form& owner_;
    int designInterval_;
    bool designEnabled_;
    int interval_;
    bool enabled_;
    bool tickPending_ = false;
    std::unique_ptr<NativeTimer> native_;
};

struct FormDesign {
    WindowKind kind = WindowKind::Dialog;
    std::string caption;
    int clientWidth = 0;  // twips
    int clientHeight = 0;
};

// A window with its controls and event steps. Created on first use by the Program (see
// defaultInstance), loaded before the call that referred to it goes on, and destroyed at the
// program's end, when its Form_Terminate runs.
class Form : private WindowEvents {
  public:
    explicit Form(FormDesign design);
    ~Form() override;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Loads the form if needed and shows it modeless, focusing its first control in tab order.
    void Show();
    // Hides the form; it stays loaded with its controls, timers and fields.
    void Hide();
    // Brings a shown form back into view, above other windows and restored when minimized,
    // without taking the focus; a notice is announced again.
    void ZOrder();
    // Runs Form_Unload, then releases the window; the object and its fields live on.
    void Unload();

    bool Loaded() const { return window_ != nullptr; }
    bool Visible() const { return visible_; }

    const std::string& Caption() const { return caption_; }
    void setCaption(std::string_view caption);
    // Outer size, frame and title bar included.
    int Width() const;
    int Height() const;
    void setWidth(int twips);
    void setHeight(int twips);
    // Client area.
    int ScaleWidth() const;
    int ScaleHeight() const;

    // The native window while loaded, else null (tests read backend state here).
    NativeWindow* native() const { return window_.get(); }
    const std::vector<Control*>& controls() const { return controls_; }

  protected:
    virtual void Form_Load() {}
    virtual void Form_Resize() {}
    virtual void Form_Unload() {}
    virtual void Form_Terminate() {}

  private:
    friend class Control;
    friend class Timer;
    friend class Program;
    int addControl(Control& control);
    void removeControl(Control& control);
    void addTimer(runtime::Timer& timer);
    void removeTimer(runtime::Timer& timer);
    void load();
    void terminate() { Form_Terminate(); }
    Control* firstInTabOrder() const;

    // WindowEvents: posted to the program, which runs them when no handler is running.
    void clicked(int controlId) override;
    void closeRequested() override;
    void resized() override;

    FormDesign design_;
    std::string caption_;
    bool visible_ = false;
    bool shownBefore_ = false;
    double twipsPerPixel_ = kTwipsPerPixel;
    std::vector<Control*> controls_;
    std::vector<runtime::Timer*> timers_;
    std::unique_ptr<NativeWindow> window_;
};

}  // namespace runtime
