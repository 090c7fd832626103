#include "runtime/Form.h"

#include <algorithm>
#include <cmath>

#include "runtime/Files.h"
#include "runtime/Program.h"

namespace runtime {
namespace {

int toPixels(int twips, double twipsPerPixel) {
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

int toTwips(int pixels, double twipsPerPixel) {
    return static_cast<int>(std::lround(pixels * twipsPerPixel));
}

PixelRect toPixels(const TwipsRect& r, double tpp) {
    return {toPixels(r.left, tpp), toPixels(r.top, tpp), toPixels(r.width, tpp),
            toPixels(r.height, tpp)};
}

}  // namespace

// ---- Control --------------------------------------------------------------------------------

Control::Control(Form& owner, ControlKind kind, std::string caption, TwipsRect bounds, int tabIndex)
    : owner_(owner),
      kind_(kind),
      id_(0),
      tabIndex_(tabIndex),
      designText_(caption),
      designBounds_(bounds),
      text_(std::move(caption)),
      bounds_(bounds) {
    id_ = owner_.addControl(*this);
}

Control::~Control() {
    owner_.removeControl(*this);
}

void Control::setCaption(std::string_view text) {
    text_ = text;
    if (native_) {
        native_->setText(text_);
    }
}

void Control::setLeft(int twips) {
    bounds_.left = twips;
    pushBounds();
}

void Control::setTop(int twips) {
    bounds_.top = twips;
    pushBounds();
}

void Control::setWidth(int twips) {
    bounds_.width = std::max(0, twips);
    pushBounds();
}

void Control::setHeight(int twips) {
    bounds_.height = std::max(0, twips);
    pushBounds();
}

void Control::pushBounds() {
    if (native_) {
        native_->setBounds(toPixels(bounds_, twipsPerPixel_));
    }
}

void Control::attach(NativeWindow& window, double twipsPerPixel) {
    twipsPerPixel_ = twipsPerPixel;
    text_ = designText_;
    bounds_ = designBounds_;
    native_ =
        window.createControl(ControlSpec{kind_, id_, text_, toPixels(bounds_, twipsPerPixel_)});
}

void Control::detach() {
    native_.reset();
}

void CommandButton::clicked() {
    if (Click) {
        Click();
    }
}

void RichTextBox::LoadFile(std::string_view fileName) {
    fileName_ = fileName;
    std::string bytes = fileName.empty() ? std::string() : readWholeFile(fileName);
    if (native()) {
        native()->setDocument(bytes);
    }
}

// ---- Timer ----------------------------------------------------------------------------------

Timer::Timer(Form& owner, int intervalMs, bool enabled)
    : owner_(owner),
      designInterval_(intervalMs),
      designEnabled_(enabled),
      interval_(intervalMs),
      enabled_(enabled) {
    owner_.addTimer(*this);
}

Timer::~Timer() {
    owner_.removeTimer(*this);
}

void Timer::setEnabled(bool enabled) {
    enabled_ = enabled;
    apply();
}

void Timer::setInterval(int ms) {
    interval_ = ms;
    apply();
}

void Timer::apply() {
    if (!native_) {
        return;
    }
    if (enabled_ && interval_ > 0) {
        native_->start(interval_);
    } else {
        native_->stop();
    }
}

void Timer::attach(Backend& backend) {
    interval_ = designInterval_;
    enabled_ = designEnabled_;
    tickPending_ = false;
    native_ = backend.createTimer(*this);
    apply();
}

void Timer::detach() {
    native_.reset();
    enabled_ = false;
    tickPending_ = false;
}

void Timer::ticked() {
    // Ticks that fall due while a handler runs merge into the one already waiting.
    if (tickPending_) {
        return;
    }
    tickPending_ = true;
    Program::current().post([this] {
        tickPending_ = false;
        if (native_ && enabled_ && OnTimer) {
            OnTimer();
        }
    });
}

// ---- Form -----------------------------------------------------------------------------------

Form::Form(FormDesign design) : design_(std::move(design)), caption_(design_.caption) {}

Form::~Form() = default;

int Form::addControl(Control& control) {
    // Kept in tab order, ties in the order of creation: the window is built in this order, so a
    // backend only appends each control to its window's keyboard order.
    auto after = std::upper_bound(
        controls_.begin(), controls_.end(), control.tabIndex(),
        [](int tabIndex, const Control* other) { return tabIndex < other->tabIndex(); });
    controls_.insert(after, &control);
    return static_cast<int>(controls_.size());
}

void Form::removeControl(Control& control) {
    std::erase(controls_, &control);
}

void Form::addTimer(runtime::Timer& timer) {
    timers_.push_back(&timer);
}

void Form::removeTimer(runtime::Timer& timer) {
    std::erase(timers_, &timer);
}

void Form::load() {
    if (window_) {
        return;
    }
    Backend& backend = Program::current().backend();
    twipsPerPixel_ = backend.twipsPerPixelX();
    caption_ = design_.caption;
    window_ = backend.createWindow(WindowSpec{design_.kind,
                                              caption_,
                                              {toPixels(design_.clientWidth, twipsPerPixel_),
                                               toPixels(design_.clientHeight, twipsPerPixel_)}},
                                   *this);
    for (Control* control : controls_) {
        control->attach(*window_, twipsPerPixel_);
    }
    for (runtime::Timer* timer : timers_) {
        timer->attach(backend);
    }
    shownBefore_ = false;
    Form_Load();
}

Control* Form::firstInTabOrder() const {
    for (Control* control : controls_) {
        if (control->kind() != ControlKind::Label) {  // a label never takes the focus
            return control;
        }
    }
    return nullptr;
}

void Form::Show() {
    load();
    if (!window_ || visible_) {
        return;  // unloaded by its own load step, or shown already
    }
    Control* focus = firstInTabOrder();
    if (!shownBefore_) {
        // Once per load: shown again, it stays where the user left it.
        if (shownInCorner(design_.kind)) {
            window_->placeInCorner();
        } else {
            window_->centre();
        }
    }
    window_->show(focus != nullptr ? focus->id() : 0);
    visible_ = true;
    if (!shownBefore_) {
        shownBefore_ = true;
        Form_Resize();
    }
}

void Form::Hide() {
    if (window_ && visible_) {
        window_->hide();
    }
    visible_ = false;
}

void Form::ZOrder() {
    if (window_ && visible_) {
        window_->bringToFront();
    }
}

void Form::Unload() {
    if (!window_) {
        return;
    }
    Form_Unload();
    if (!window_) {
        return;  // the unload step unloaded the form itself
    }
    for (runtime::Timer* timer : timers_) {
        timer->detach();
    }
    for (Control* control : controls_) {
        control->detach();
    }
    window_.reset();
    visible_ = false;
}

void Form::setCaption(std::string_view caption) {
    caption_ = caption;
    if (window_) {
        window_->setTitle(caption_);
    }
}

int Form::Width() const {
    return window_ ? toTwips(window_->outerSize().width, twipsPerPixel_) : 0;
}

int Form::Height() const {
    return window_ ? toTwips(window_->outerSize().height, twipsPerPixel_) : 0;
}

int Form::ScaleWidth() const {
    return window_ ? toTwips(window_->clientSize().width, twipsPerPixel_) : design_.clientWidth;
}

int Form::ScaleHeight() const {
    return window_ ? toTwips(window_->clientSize().height, twipsPerPixel_) : design_.clientHeight;
}

void Form::setWidth(int twips) {
    load();
    int width = toPixels(twips, twipsPerPixel_);
    if (width <= 0) {
        throw makeError(kInvalidPropertyValue);
    }
    // Told even when unchanged: the window keeps it as the outer width once the frame is known.
    bool same = window_->outerSize().width == width;
    window_->setOuterWidth(width);
    if (!same) {
        Form_Resize();
    }
}

void Form::setHeight(int twips) {
    load();
    int height = toPixels(twips, twipsPerPixel_);
    if (height <= 0) {
        throw makeError(kInvalidPropertyValue);
    }
    bool same = window_->outerSize().height == height;
    window_->setOuterHeight(height);
    if (!same) {
        Form_Resize();
    }
}

void Form::clicked(int controlId) {
    Program::current().post([this, controlId] {
        if (!window_ || !visible_) {
            return;  // the window went away before the click could be handled
        }
        for (Control* control : controls_) {
            if (control->id() == controlId) {
                control->clicked();
                return;
            }
        }
    });
}

void Form::closeRequested() {
    // The close box acts as the form's own way out: unload it, running its unload step. A
    // window without one ignores the request.
    if (!closesOnRequest(design_.kind)) {
        return;
    }
    Program::current().post([this] { Unload(); });
}

void Form::resized() {
    Program::current().post([this] {
        if (window_) {
            Form_Resize();
        }
    });
}

}  // namespace runtime
