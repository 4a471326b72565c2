#include "winui/browser_host.h"

#include "winui/window_procedure.h"

#include <exdispid.h>
#include <ole2.h>
#include <olectl.h>

#include <atomic>
#include <memory>

#include "base/trace_win.h"
#include "winui/browser_events.h"
#include "winui/browser_site.h"

namespace tessel {

namespace {

// DWebBrowserEvents2 sink: hands every event to its target's sink map, nothing else.
class BrowserEventSink final : public IDispatch, private RefCounted<BrowserEventSink> {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID_DWebBrowserEvents2) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
    STDMETHODIMP_(ULONG) Release() override { return DropReference(); }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        if (n) *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        if (m_target && params) m_target->FireControlEvent(m_controlId, id, *params);
        return S_OK;
    }

    BrowserEvents* m_target = nullptr;
    UINT m_controlId = 0;

private:
    friend class RefCounted<BrowserEventSink>;
    ~BrowserEventSink() = default;
};

struct HostState {
    ComPtr<BrowserSite> site;
    ComPtr<BrowserEventSink> sink;
    ComPtr<IOleObject> object;
    ComPtr<IOleInPlaceObject> inplace;
    ComPtr<IWebBrowser2> browser;
    ComPtr<IConnectionPoint> events;
    DWORD cookie = 0;

    // The window owns its state from its first message to its last.
    static HostState* Bind(HWND, const CREATESTRUCTW&) { return new HostState; }
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

HostState* StateOf(HWND host) {
    return reinterpret_cast<HostState*>(::GetWindowLongPtrW(host, GWLP_USERDATA));
}

HRESULT CreateWebBrowser(IOleObject** object) {
    return ::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                              IID_IOleObject, reinterpret_cast<void**>(object));
}

ControlFactory g_factory = &CreateWebBrowser;

bool Embed(HWND host, HostState& st) {
    if (FAILED(g_factory(st.object.ReleaseAndGetAddressOf())) || !st.object) return false;
    // The target of the moment decides on security problems (it is set after embedding).
    st.site.Attach(new BrowserSite(host, [host](unsigned long problem) {
        const HostState* state = StateOf(host);
        return state && state->sink && state->sink->m_target &&
               state->sink->m_target->RefusesSecurityProblem(state->sink->m_controlId, problem);
    }));
    st.sink.Attach(new BrowserEventSink());
    if (FAILED(st.object->SetClientSite(st.site.Get()))) return false;
    RECT rc;
    ::GetClientRect(host, &rc);
    // UI activation, not only in-place: the control then takes the keyboard and hands its
    // active object to the frame. (Wine's control UI-activates only on this first verb.)
    if (FAILED(st.object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, st.site.Get(), 0, host, &rc))) return false;
    st.object.As(&st.inplace);
    st.object.As(&st.browser);  // a stand-in control in tests may have none
    // Nothing dropped on the window navigates it.
    if (st.browser) TRACE_IF_FAILED(st.browser->put_RegisterAsDropTarget(VARIANT_FALSE));
    ComPtr<IConnectionPointContainer> cpc;
    if (SUCCEEDED(st.object.As(&cpc)) && SUCCEEDED(cpc->FindConnectionPoint(DIID_DWebBrowserEvents2, &st.events)))
        TRACE_IF_FAILED(st.events->Advise(st.sink.Get(), &st.cookie));
    return true;
}

// In the order the control expects: deactivate, stop the events, take the client site
// away, close; the references go last. OLE itself ends later, with the application.
void Unembed(HostState& st) {
    if (st.inplace) {
        TRACE_IF_FAILED(st.inplace->UIDeactivate());
        TRACE_IF_FAILED(st.inplace->InPlaceDeactivate());
        st.inplace.Reset();
    }
    if (st.events && st.cookie) TRACE_IF_FAILED(st.events->Unadvise(st.cookie));
    st.events.Reset();
    st.cookie = 0;
    st.browser.Reset();
    if (st.object) {
        TRACE_IF_FAILED(st.object->SetClientSite(nullptr));
        TRACE_IF_FAILED(st.object->Close(OLECLOSE_NOSAVE));
        st.object.Reset();
    }
    if (st.site) st.site->Detach();
    if (st.sink) st.sink->m_target = nullptr;
}

// The control's own window, where the keyboard focus belongs.
HWND ControlWindow(const HostState& st) {
    HWND window = nullptr;
    if (IOleInPlaceActiveObject* active = st.site ? st.site->active() : nullptr) active->GetWindow(&window);
    if (!window && st.inplace) st.inplace->GetWindow(&window);
    return window;
}

LRESULT HostState::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        // A control that cannot be made fails the window, and with it the dialog.
        return Embed(hwnd, *this) ? 0 : -1;
    case WM_SIZE:
        if (inplace) {
            RECT rc{0, 0, LOWORD(lParam), HIWORD(lParam)};
            TRACE_IF_FAILED(inplace->SetObjectRects(&rc, &rc));
        }
        return 0;
    case WM_SETFOCUS:
        // Focus given to the container (the dialog's first control) goes on into the control.
        if (object) {
            if (!site->active()) {
                RECT rc;
                ::GetClientRect(hwnd, &rc);
                TRACE_IF_FAILED(object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site.Get(), 0, hwnd, &rc));
            }
            HWND control = ControlWindow(*this);
            if (control && control != hwnd && ::GetFocus() == hwnd) ::SetFocus(control);
        }
        return 0;
    case WM_DESTROY:
        Unembed(*this);
        return 0;
    case WM_NCDESTROY:
        delete this;
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case kDownloadsStoppedMessage:
        // The same check as DownloadComplete's: a result is taken once, whichever comes first.
        if (site) site->CheckTaken();
        if (sink && sink->m_target) sink->m_target->OnDownloadsSettled(sink->m_controlId);
        return 0;
    default:
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

void RegisterBrowserHostClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WindowProcedure<HostState>;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kBrowserHostClass;
    ::RegisterClassExW(&wc);
}

ComPtr<IWebBrowser2> BrowserOfHost(HWND host) {
    HostState* st = host && ::IsWindow(host) ? StateOf(host) : nullptr;
    return st ? st->browser : nullptr;
}

bool TranslateControlAccelerators(HWND dialog, MSG& msg) {
    for (HWND host = ::FindWindowExW(dialog, nullptr, kBrowserHostClass, nullptr); host;
         host = ::FindWindowExW(dialog, host, kBrowserHostClass, nullptr)) {
        HostState* st = StateOf(host);
        IOleInPlaceActiveObject* active = st && st->site ? st->site->active() : nullptr;
        if (!active) continue;
        ComPtr<IOleInPlaceActiveObject> hold(active);  // the call may deactivate it
        if (hold->TranslateAccelerator(&msg) == S_OK) return true;
    }
    return false;
}

void SetControlFactory(ControlFactory factory) { g_factory = factory ? factory : &CreateWebBrowser; }

void SetBrowserEventTarget(HWND host, BrowserEvents* target, UINT controlId) {
    if (HostState* st = host ? StateOf(host) : nullptr; st && st->sink) {
        st->sink->m_target = target;
        st->sink->m_controlId = controlId;
    }
}

}  // namespace tessel
