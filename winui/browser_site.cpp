// First: CGID_DocHostCommandHandler is declared by the headers but defined in no library;
// with this the header's own declaration defines it here.
#include <initguid.h>

#include "winui/browser_site.h"

#include <exdisp.h>
#include <mshtmcid.h>
#include <mshtml.h>

#include "base/trace_lines.h"
#include "base/trace_win.h"
#include "winui/site_policy.h"

namespace tessel {

namespace {

const IID kNoInterface{};  // IID_NULL, which the GUID definitions above leave undeclared

const SitePolicy* g_policy = nullptr;  // the window's thread's only

ComPtr<IDispatch> DispatchOf(const VARIANT* v) {
    ComPtr<IDispatch> out;
    if (!v) return out;
    if (V_VT(v) == VT_DISPATCH && V_DISPATCH(v))
        out = V_DISPATCH(v);
    else if (V_VT(v) == VT_UNKNOWN && V_UNKNOWN(v))
        V_UNKNOWN(v)->QueryInterface(IID_PPV_ARGS(&out));
    else if (V_VT(v) == (VT_BYREF | VT_VARIANT))
        return DispatchOf(V_VARIANTREF(v));
    return out;
}

// A property read by name: the event's error fields are expandos, found only this way.
bool GetProperty(IDispatch* object, const wchar_t* name, VARIANT* value) {
    if (!object) return false;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object->GetIDsOfNames(kNoInterface, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    return SUCCEEDED(object->Invoke(id, kNoInterface, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr,
                                    nullptr));
}

ComPtr<IDispatch> ObjectProperty(IDispatch* object, const wchar_t* name) {
    ScopedVariant value;
    if (!GetProperty(object, name, value.get())) return nullptr;
    return DispatchOf(value.get());
}

WideString TextProperty(IDispatch* object, const wchar_t* name) {
    ScopedVariant value;
    if (!GetProperty(object, name, value.get())) return u"?";
    if (V_VT(value.get()) != VT_BSTR && FAILED(::VariantChangeType(value.get(), value.get(), 0, VT_BSTR)))
        return u"?";
    return VariantText(value.get());
}

}  // namespace

BrowserSite::BrowserSite(HWND host, SecurityProblemAnswer refuses) : m_host(host), m_refuses(std::move(refuses)) {}

STDMETHODIMP BrowserSite::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
        *ppv = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleInPlaceSite || riid == IID_IOleWindow)
        *ppv = static_cast<IOleInPlaceSite*>(this);
    else if (riid == IID_IOleInPlaceFrame || riid == IID_IOleInPlaceUIWindow)
        *ppv = static_cast<IOleInPlaceFrame*>(this);
    else if (riid == IID_IDocHostUIHandler)
        *ppv = static_cast<IDocHostUIHandler*>(this);
    else if (riid == IID_IOleCommandTarget)
        *ppv = static_cast<IOleCommandTarget*>(this);
    else if (riid == IID_IServiceProvider)
        *ppv = static_cast<IServiceProvider*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

namespace {

// What the HTTP layer asks a host before it shows a prompt or acts on a security problem.
class HttpSecurity final : public IHttpSecurity, private RefCounted<HttpSecurity> {
public:
    HttpSecurity(HWND owner, BrowserSite::SecurityProblemAnswer refuses)
        : m_owner(owner), m_refuses(std::move(refuses)) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IWindowForBindingUI || riid == IID_IHttpSecurity)
            *ppv = static_cast<IHttpSecurity*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
    STDMETHODIMP_(ULONG) Release() override { return DropReference(); }
    // Every prompt is owned by the top-level window the page is shown in.
    STDMETHODIMP GetWindow(REFGUID, HWND* window) override {
        if (!window) return E_POINTER;
        *window = ::GetAncestor(m_owner, GA_ROOT);
        return S_OK;
    }
    // E_ABORT ends the request (the control reports a navigation error); S_FALSE lets the
    // control do what it does by default.
    STDMETHODIMP OnSecurityProblem(DWORD problem) override {
        const bool refused = m_refuses && m_refuses(problem);
        Trace(lines::kSecurityProblem + Latin1ToWide(std::to_string(problem)) +
              (refused ? u", refused" : u", the control's"));
        return refused ? E_ABORT : S_FALSE;
    }

private:
    friend class RefCounted<HttpSecurity>;
    ~HttpSecurity() = default;
    HWND m_owner;
    BrowserSite::SecurityProblemAnswer m_refuses;
};

}  // namespace

STDMETHODIMP BrowserSite::QueryService(REFGUID service, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (service != IID_IHttpSecurity && service != IID_IWindowForBindingUI) return E_NOINTERFACE;
    ComPtr<IHttpSecurity> security;
    security.Attach(new HttpSecurity(m_host, m_refuses));
    return security->QueryInterface(riid, ppv);
}

STDMETHODIMP BrowserSite::GetContainer(IOleContainer** c) {
    if (c) *c = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP BrowserSite::GetWindow(HWND* h) {
    if (!h) return E_POINTER;
    *h = m_host;
    return S_OK;
}

STDMETHODIMP BrowserSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                           LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    if (frame) {
        *frame = this;
        AddRef();
    }
    if (doc) *doc = nullptr;
    if (pos) ::GetClientRect(m_host, pos);
    if (clip) ::GetClientRect(m_host, clip);
    if (info) {
        info->fMDIApp = FALSE;
        info->hwndFrame = ::GetAncestor(m_host, GA_ROOT);
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}

STDMETHODIMP BrowserSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
    m_active = object;
    return S_OK;
}

// The flags replace the control's own defaults, so they carry those defaults as well.
STDMETHODIMP BrowserSite::GetHostInfo(DOCHOSTUIINFO* info) {
    if (!info) return E_POINTER;
    info->dwFlags = kHostUiFlags;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}

STDMETHODIMP BrowserSite::GetOptionKeyPath(LPOLESTR* key, DWORD) {
    if (key) *key = nullptr;
    return S_FALSE;  // the control's own registry settings
}

namespace {

// The page's edit and print commands (CGID_MSHTML, which no import library defines).
const GUID kMshtmlCommands = {0xDE4BA900, 0x59CA, 0x11CF, {0x95, 0x92, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// Takes nothing dropped on the page.
class RefusingDropTarget final : public IDropTarget, private RefCounted<RefusingDropTarget> {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = riid == IID_IUnknown || riid == IID_IDropTarget ? static_cast<IDropTarget*>(this) : nullptr;
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
    STDMETHODIMP_(ULONG) Release() override { return DropReference(); }
    STDMETHODIMP DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override { return Refuse(effect); }
    STDMETHODIMP DragOver(DWORD, POINTL, DWORD* effect) override { return Refuse(effect); }
    STDMETHODIMP DragLeave() override { return S_OK; }
    STDMETHODIMP Drop(IDataObject*, DWORD, POINTL, DWORD* effect) override { return Refuse(effect); }

private:
    friend class RefCounted<RefusingDropTarget>;
    ~RefusingDropTarget() = default;
    static HRESULT Refuse(DWORD* effect) {
        if (effect) *effect = DROPEFFECT_NONE;
        return S_OK;
    }
};

}  // namespace

void SetSitePolicy(const SitePolicy* policy) { g_policy = policy; }

STDMETHODIMP BrowserSite::GetDropTarget(IDropTarget*, IDropTarget** target) {
    if (!target) return E_POINTER;
    *target = nullptr;
    if (!g_policy || !g_policy->RefusesDrops()) return E_NOTIMPL;  // the control's own
    *target = new RefusingDropTarget();
    return S_OK;
}

STDMETHODIMP BrowserSite::TranslateAccelerator(LPMSG msg, const GUID*, DWORD) {
    if (!msg || !g_policy) return S_FALSE;
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0, alt = ::GetKeyState(VK_MENU) < 0;
    return g_policy->TakesKey(msg->message, msg->wParam, ctrl, alt, [this] { return FocusIsEditable(); }) ? S_OK
                                                                                                          : S_FALSE;
}

bool KeepsBackspace(const FocusedField& field) {
    if (field.disabled) return false;
    if (field.contentEditable) return true;
    if (field.readOnly) return false;
    if (field.tag == u"TEXTAREA") return true;
    if (field.tag != u"INPUT") return false;
    for (const char16_t* button : {u"button", u"checkbox", u"radio", u"submit", u"reset", u"image", u"file", u"hidden",
                                   u"range", u"color"})
        if (field.type == button) return false;
    return true;
}

namespace {

// The element with the focus, found through frames: a frame's document is reached through
// its own browser service, as a host may whatever the frame's origin. A frame whose inside
// cannot be reached is itself the answer.
ComPtr<IHTMLElement> FocusedElement(ComPtr<IHTMLDocument2> document) {
    ComPtr<IHTMLElement> element;
    for (int depth = 0; document && depth < 16; ++depth) {
        element.Reset();
        if (FAILED(document->get_activeElement(&element)) || !element) return nullptr;
        ComPtr<IHTMLFrameBase2> frame;
        ComPtr<IHTMLWindow2> window;
        if (FAILED(element.As(&frame)) || FAILED(frame->get_contentWindow(&window)) || !window) return element;
        document.Reset();
        ComPtr<IServiceProvider> services;
        ComPtr<IWebBrowser2> inner;
        ComPtr<IDispatch> dispatch;
        if (SUCCEEDED(window.As(&services)) &&
            SUCCEEDED(services->QueryService(IID_IWebBrowserApp, IID_PPV_ARGS(&inner))) &&
            SUCCEEDED(inner->get_Document(&dispatch)) && dispatch)
            dispatch.As(&document);
        else
            window->get_document(&document);
    }
    return element;
}

FocusedField Describe(const ComPtr<IHTMLElement>& element) {
    FocusedField field;
    ScopedBstr tag;
    if (SUCCEEDED(element->get_tagName(tag.put()))) field.tag = tag.str();
    ComPtr<IHTMLElement3> element3;
    VARIANT_BOOL flag = VARIANT_FALSE;
    if (SUCCEEDED(element.As(&element3))) {
        if (SUCCEEDED(element3->get_isContentEditable(&flag))) field.contentEditable = flag != VARIANT_FALSE;
        if (SUCCEEDED(element3->get_disabled(&flag))) field.disabled = flag != VARIANT_FALSE;
    }
    ComPtr<IHTMLInputElement> input;
    ComPtr<IHTMLTextAreaElement> area;
    if (SUCCEEDED(element.As(&input))) {
        ScopedBstr type;
        if (SUCCEEDED(input->get_type(type.put()))) field.type = type.str();
        if (SUCCEEDED(input->get_readOnly(&flag))) field.readOnly = flag != VARIANT_FALSE;
    } else if (SUCCEEDED(element.As(&area)) && SUCCEEDED(area->get_readOnly(&flag))) {
        field.readOnly = flag != VARIANT_FALSE;
    }
    return field;
}

}  // namespace

// An enabled, writable text field or text area, or content the page made editable, has the
// focus, in whatever frame.
bool BrowserSite::FocusIsEditable() const {
    ComPtr<IWebBrowser2> browser;
    ComPtr<IDispatch> dispatch;
    ComPtr<IHTMLDocument2> document;
    if (!m_active || FAILED(m_active.As(&browser)) || FAILED(browser->get_Document(&dispatch)) || !dispatch ||
        FAILED(dispatch.As(&document)))
        return false;
    const ComPtr<IHTMLElement> element = FocusedElement(document);
    return element && KeepsBackspace(Describe(element));
}

STDMETHODIMP BrowserSite::ShowContextMenu(DWORD, POINT* at, IUnknown* commands, IDispatch*) {
    ComPtr<IOleCommandTarget> target;
    if (!g_policy || !at || !commands || FAILED(commands->QueryInterface(IID_PPV_ARGS(&target)))) return S_FALSE;
    const std::optional<UINT> chosen = g_policy->TrackContextMenu(m_host, *at, [&target](UINT command) {
        OLECMD state{command, 0};
        target->QueryStatus(&kMshtmlCommands, 1, &state, nullptr);
        return (state.cmdf & OLECMDF_ENABLED) != 0;
    });
    if (!chosen) return S_FALSE;
    if (*chosen) target->Exec(&kMshtmlCommands, *chosen, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
    return S_OK;  // shown: not the control's own menu
}

STDMETHODIMP BrowserSite::GetExternal(IDispatch** external) {
    if (external) *external = nullptr;
    return S_FALSE;  // no external object of ours
}

STDMETHODIMP BrowserSite::TranslateUrl(DWORD, LPWSTR, LPWSTR* out) {
    if (out) *out = nullptr;
    return S_FALSE;  // not translated
}

STDMETHODIMP BrowserSite::FilterDataObject(IDataObject*, IDataObject** out) {
    if (out) *out = nullptr;
    return S_FALSE;  // not replaced
}

STDMETHODIMP BrowserSite::QueryStatus(const GUID* group, ULONG count, OLECMD commands[], OLECMDTEXT*) {
    if (!group) return OLECMDERR_E_NOTSUPPORTED;
    if (*group != CGID_DocHostCommandHandler) return OLECMDERR_E_UNKNOWNGROUP;
    for (ULONG i = 0; commands && i < count; ++i)
        commands[i].cmdf =
            commands[i].cmdID == OLECMDID_SHOWSCRIPTERROR ? OLECMDF_SUPPORTED | OLECMDF_ENABLED : 0;
    return S_OK;
}

void BrowserSite::PostCheck() {
    // A message that could not be posted leaves the next report free to try.
    if (!m_checkPosted.exchange(true) && !::PostMessageW(m_host, kDownloadsStoppedMessage, 0, 0))
        m_checkPosted = false;
}

STDMETHODIMP BrowserSite::SetStatusText(LPCOLESTR) {
    PostCheck();
    return S_OK;
}

// Only traces and posts: it may arrive while the program waits, and must not pump messages.
STDMETHODIMP BrowserSite::Exec(const GUID* group, DWORD id, DWORD, VARIANT* in, VARIANT* out) {
    if (!group) {
        // The control's downloads have stopped: the signal it may send a host with a command
        // target in place of DownloadComplete. Handled from the loop, as the event is.
        if (id != OLECMDID_SETDOWNLOADSTATE || !in) return OLECMDERR_E_NOTSUPPORTED;
        ScopedVariant state;
        if (FAILED(::VariantChangeType(state.get(), in, 0, VT_I4))) return E_INVALIDARG;
        if (V_I4(state.get()) == 0) PostCheck();
        return S_OK;
    }
    if (*group != CGID_DocHostCommandHandler) return OLECMDERR_E_UNKNOWNGROUP;
    if (id != OLECMDID_SHOWSCRIPTERROR) return OLECMDERR_E_NOTSUPPORTED;
    Trace(DescribeScriptError(in));
    // No dialog; the page's scripts go on.
    if (out) {
        ::VariantClear(out);
        V_VT(out) = VT_BOOL;
        V_BOOL(out) = VARIANT_TRUE;
    }
    return S_OK;
}

WideString DescribeScriptError(const VARIANT* document) {
    const ComPtr<IDispatch> doc = DispatchOf(document);
    const ComPtr<IDispatch> window = ObjectProperty(doc.Get(), L"parentWindow");
    const ComPtr<IDispatch> event = ObjectProperty(window.Get(), L"event");
    if (!event) return lines::kScriptError + WideString(u"(no details)");
    return lines::kScriptError + TextProperty(event.Get(), L"errorMessage") + u" at " +
           TextProperty(event.Get(), L"errorUrl") + u" line " + TextProperty(event.Get(), L"errorLine") +
           u" char " + TextProperty(event.Get(), L"errorCharacter") + u" code " +
           TextProperty(event.Get(), L"errorCode");
}

}  // namespace tessel
