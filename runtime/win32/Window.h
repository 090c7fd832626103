#pragma once
// The backend's windows and their controls (inside the Win32 backend only).

#include <vector>

#include "runtime/win32/Win32Backend.h"

namespace runtime::win32 {

// Native control ids are the runtime's ids plus this base, so IDOK and IDCANCEL (1 and 2), which
// IsDialogMessageW sends for Enter and Escape when no default button has the focus, never reach
// a control.
constexpr int kControlIdBase = 1000;
constexpr wchar_t kWindowClass[] = L"PorvaneWindow";

class Win32Backend::Control : public NativeControl {
  public:
    Control(Window& window, HWND hwnd, ControlKind kind, int id)
        : window_(&window), hwnd_(hwnd), kind_(kind), id_(id) {}
    ~Control() override;

    void setText(std::string_view text) override;
    void setBounds(const PixelRect& r) override;
    void setDocument(std::string_view bytes) override;  // RichText.cpp

    HWND hwnd() const { return hwnd_.get(); }
    ControlKind kind() const { return kind_; }
    int id() const { return id_; }
    // The window went away, and its child windows with it.
    void orphan() {
        window_ = nullptr;
        hwnd_.release();
    }

  private:
    Window* window_;
    ScopedWindow hwnd_;
    ControlKind kind_;
    int id_;
};

class Win32Backend::Window : public NativeWindow {
  public:
    Window(Win32Backend& backend, const WindowSpec& params, WindowEvents& events);
    ~Window() override;

    std::unique_ptr<NativeControl> createControl(const ControlSpec& params) override;
    void setTitle(std::string_view title) override;
    void show(int focusControlId) override;
    void hide() override;
    void centre() override;
    void placeInCorner() override;
    void bringToFront() override;
    PixelSize outerSize() const override;
    PixelSize clientSize() const override;
    void setOuterWidth(int width) override { resizeOuter({width, outerSize().height}); }
    void setOuterHeight(int height) override { resizeOuter({outerSize().width, height}); }

    HWND hwnd() const { return hwnd_.get(); }
    void forget(Control* control) { std::erase(controls_, control); }
    // Keeps the default-button style on the focused push button.
    void focusChanged();

    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  private:
    LRESULT onMessage(UINT msg, WPARAM wp, LPARAM lp);
    // The answer to a screen reader's WM_GETOBJECT for the client area (Accessibility.cpp).
    LRESULT accessibleClient(WPARAM wp);
    Control* controlFrom(HWND from, int nativeId) const;
    void makeDefault(HWND button);
    void placeInTabOrder(const Control& control);
    void resizeOuter(PixelSize size);
    // The work area of the window's monitor.
    RECT workArea() const;
    void moveTo(const PixelRect& placed);

    Win32Backend& backend_;
    WindowEvents& events_;
    ScopedOwnWindow hwnd_;
    bool ownResize_ = false;
    // False for a notice, shown without taking the activation from the application.
    bool activateOnShow_ = true;
    // True for the countdown, which is never activated, not even by a click.
    bool neverActive_ = false;
    // Escape is the close box: true for the notices, false for the policy window, which
    // closing would decline.
    bool closeOnEscape_ = false;
    // What screen readers are told the window is (an Active Accessibility role).
    long role_ = 0;
    HWND focusOnActivate_ = nullptr;
    PixelSize lastClient_;
    std::vector<Control*> controls_;
};

}  // namespace runtime::win32
