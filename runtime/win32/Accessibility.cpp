// What screen readers learn of a window through Active Accessibility, which UI Automation (and
// so Narrator) reads too. The platform describes the client area of a window of our own class
// as a plain "client"; this gives it the role of what it is: the closing notice (and the
// policy window) a dialog, the warning an alert. Everything else is the platform's own
// description of the window.

#include <oleacc.h>

#include "runtime/win32/Window.h"

namespace runtime::win32 {
namespace {

// The platform's accessible object of a client area, with the role replaced.
class WithRole final : public IAccessible {
  public:
    WithRole(IAccessible* standard, LONG role) : inner_(standard), role_(role) {}
    WithRole(const WithRole&) = delete;
    WithRole& operator=(const WithRole&) = delete;

    // IUnknown: ours for IAccessible and IDispatch; what else readers ask of the standard
    // object (IEnumVARIANT for the children, IOleWindow for the window) is the platform's.
    // Nothing else is handed on: COM would marshal the platform's object in place of ours
    // (IMarshal), and a reader would get the plain client role back.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
            iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        if (iid == __uuidof(IEnumVARIANT) || iid == __uuidof(IOleWindow)) {
            return inner_->QueryInterface(iid, out);
        }
        return E_NOINTERFACE;
    }
    // Readers may hold the object from other threads.
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(::InterlockedIncrement(&refs_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (child.vt == VT_I4 && child.lVal == CHILDID_SELF && role != nullptr) {
            role->vt = VT_I4;
            role->lVal = role_;
            return S_OK;
        }
        return inner_->get_accRole(child, role);
    }

    // The rest is the platform's.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        return inner_->GetTypeInfoCount(n);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID lcid, ITypeInfo** info) override {
        return inner_->GetTypeInfo(i, lcid, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT n, LCID lcid,
                                            DISPID* ids) override {
        return inner_->GetIDsOfNames(iid, names, n, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                                     UINT* bad) override {
        return inner_->Invoke(id, iid, lcid, flags, params, result, info, bad);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return inner_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* n) override {
        return inner_->get_accChildCount(n);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return inner_->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return inner_->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return inner_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return inner_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return inner_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return inner_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return inner_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return inner_->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return inner_->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return inner_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return inner_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return inner_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        return inner_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long dir, VARIANT start, VARIANT* end) override {
        return inner_->accNavigate(dir, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return inner_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return inner_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return inner_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return inner_->put_accValue(child, value);
    }

  private:
    ~WithRole() { inner_->Release(); }

    IAccessible* inner_;
    LONG role_;
    LONG refs_ = 1;
};

}  // namespace

LRESULT Win32Backend::Window::accessibleClient(WPARAM wp) {
    // Handing an object across takes COM on this thread; the first request starts it.
    static const bool com = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    IAccessible* standard = nullptr;
    if (!com || FAILED(::CreateStdAccessibleObject(hwnd(), OBJID_CLIENT, __uuidof(IAccessible),
                                                   reinterpret_cast<void**>(&standard)))) {
        return ::DefWindowProcW(hwnd(), WM_GETOBJECT, wp, static_cast<LPARAM>(OBJID_CLIENT));
    }
    auto* described = new WithRole(standard, role_);
    LRESULT result = ::LresultFromObject(__uuidof(IAccessible), wp, described);
    described->Release();
    return result;
}

}  // namespace runtime::win32
