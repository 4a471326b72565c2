// The control container driven with a stand-in control: keys reach the UI-active control
// before the dialog manager, the focus goes into the control, teardown runs in order.
#include <gtest/gtest.h>

#include <windows.h>
#include <docobj.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <ole2.h>
#include <urlmon.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/control_features_win.h"
#include "app/edit_menu_win.h"
#include "app/site_policy_win.h"
#include "app/words_win.h"
#include "base/handles_win.h"
#include "base/module_win.h"
#include "base/wide_win.h"
#include "winui/browser_events.h"
#include "winui/browser_host.h"
#include "winui/browser_site.h"
#include "winui/modal_dialog.h"

using namespace tessel;

namespace {

std::vector<std::string> g_log;
HWND g_controlWindow = nullptr;

// The program's trace as a debugger reads it: OutputDebugString raises DBG_PRINTEXCEPTION_C
// (Windows raises a wide form before it, Wine does not), seen first by a vectored handler.
struct TraceCapture {
    static std::vector<std::string>& Lines() {
        static std::vector<std::string> lines;
        return lines;
    }
    static LONG CALLBACK Take(EXCEPTION_POINTERS* e) {
        const EXCEPTION_RECORD& r = *e->ExceptionRecord;
        if (r.ExceptionCode == DBG_PRINTEXCEPTION_C && r.NumberParameters >= 2)
            Lines().emplace_back(reinterpret_cast<const char*>(r.ExceptionInformation[1]));
        return EXCEPTION_CONTINUE_SEARCH;
    }
    TraceCapture() : handler(AddVectoredExceptionHandler(1, Take)) { Lines().clear(); }
    ~TraceCapture() { RemoveVectoredExceptionHandler(handler); }
    void* const handler;
};

LRESULT CALLBACK StubWindowProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_GETDLGCODE) return 0;
    return DefWindowProcW(h, m, w, l);
}

class StubEvents final : public IConnectionPoint {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        *out = (riid == IID_IUnknown || riid == IID_IConnectionPoint) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetConnectionInterface(IID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer**) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
        m_sink = sink;
        *cookie = 42;
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override {
        g_log.push_back(cookie == 42 ? "unadvise" : "unadvise?");
        m_sink = nullptr;
        return S_OK;
    }
    STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }
    IUnknown* m_sink = nullptr;
};

// Just enough of an ActiveX control: in-place and UI activation through the site, the
// active object handed to the frame, accelerators answered as the test says.
class StubControl final : public IOleObject, public IOleInPlaceObject, public IOleInPlaceActiveObject,
                          public IConnectionPointContainer {
public:
    bool consumeKeys = false;
    LONG refs = 1;
    StubEvents events;

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IOleObject)
            *out = static_cast<IOleObject*>(this);
        else if (riid == IID_IOleInPlaceObject || riid == IID_IOleWindow)
            *out = static_cast<IOleInPlaceObject*>(this);
        else if (riid == IID_IOleInPlaceActiveObject)
            *out = static_cast<IOleInPlaceActiveObject*>(this);
        else if (riid == IID_IConnectionPointContainer)
            *out = static_cast<IConnectionPointContainer*>(this);
        else
            return *out = nullptr, E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override {
        if (!site) g_log.push_back("site released");
        m_site = site;
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite**) override { return E_NOTIMPL; }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD) override {
        g_log.push_back("close");
        return S_OK;
    }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT rc) override {
        g_log.push_back("verb " + std::to_string(verb));
        if (verb != OLEIVERB_UIACTIVATE || m_uiActive) return S_OK;
        if (!m_window)
            m_window = g_controlWindow = CreateWindowW(L"TesselStubControl", L"", WS_CHILD | WS_VISIBLE, rc->left,
                                                      rc->top, rc->right - rc->left, rc->bottom - rc->top, parent,
                                                      nullptr, GetModuleHandleW(nullptr), nullptr);
        IOleInPlaceSite* inplace = nullptr;
        if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inplace)))) return E_FAIL;
        inplace->OnInPlaceActivate();
        inplace->OnUIActivate();
        IOleInPlaceFrame* frame = nullptr;
        IOleInPlaceUIWindow* doc = nullptr;
        RECT pos, clip;
        OLEINPLACEFRAMEINFO info{};
        info.cb = sizeof info;
        inplace->GetWindowContext(&frame, &doc, &pos, &clip, &info);
        if (frame) {
            frame->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), L"stub");
            m_frame = frame;
        }
        if (doc) doc->Release();
        inplace->Release();
        m_uiActive = true;
        SetFocus(m_window);
        return S_OK;
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, for both the in-place object and the active object
    STDMETHODIMP GetWindow(HWND* h) override {
        *h = m_window;
        return m_window ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceObject
    STDMETHODIMP InPlaceDeactivate() override {
        g_log.push_back("deactivate");
        if (m_window) DestroyWindow(m_window);
        m_window = nullptr;
        return S_OK;
    }
    STDMETHODIMP UIDeactivate() override {
        g_log.push_back("ui deactivate");
        if (m_frame) {
            m_frame->SetActiveObject(nullptr, nullptr);
            m_frame->Release();
            m_frame = nullptr;
        }
        m_uiActive = false;
        return S_OK;
    }
    STDMETHODIMP SetObjectRects(LPCRECT, LPCRECT) override { return S_OK; }
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

    // IOleInPlaceActiveObject
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override {
        if (msg->message == WM_KEYDOWN) g_log.push_back("accelerator " + std::to_string(msg->wParam));
        return consumeKeys ? S_OK : S_FALSE;
    }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** out) override {
        *out = riid == DIID_DWebBrowserEvents2 ? &events : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }

    IOleClientSite* Site() const { return m_site; }

private:
    IOleClientSite* m_site = nullptr;  // not held: the log shows when it is taken away
    IOleInPlaceFrame* m_frame = nullptr;
    HWND m_window = nullptr;
    bool m_uiActive = false;
};

StubControl* g_stub = nullptr;

HRESULT MakeStub(IOleObject** out) {
    g_stub->AddRef();
    *out = g_stub;
    return S_OK;
}

constexpr UINT kSendKeys = WM_APP + 1;
constexpr UINT kFinish = WM_APP + 2;

// A dialog like the program's: Enter and Escape are noted, never end it.
class KeyDialog : public ModalDialog {
public:
    KeyDialog() : ModalDialog(200) {}
    HWND focusAtStart = nullptr;

protected:
    BOOL OnInitDialog() override {
        ModalDialog::OnInitDialog();
        PostMessageW(GetSafeHwnd(), kSendKeys, 0, 0);
        return TRUE;
    }
    void OnOK() override { g_log.push_back("dialog ok"); }
    void OnCancel() override { g_log.push_back("dialog cancel"); }
    MessageResult OnSendKeys(WPARAM, LPARAM) {
        focusAtStart = GetFocus();
        for (WPARAM key : {WPARAM(VK_TAB), WPARAM(VK_RETURN), WPARAM(VK_ESCAPE), WPARAM('C')})
            PostMessageW(focusAtStart ? focusAtStart : GetSafeHwnd(), WM_KEYDOWN, key, 1);
        PostMessageW(GetSafeHwnd(), kFinish, 0, 0);
        return 0;
    }
    MessageResult OnFinish(WPARAM, LPARAM) {
        g_log.push_back("finish");
        EndDialog(7);
        return 0;
    }
    const MessageEntry* GetMessageMap() const override {
        static const MessageEntry map[] = {
            On(kSendKeys, &KeyDialog::OnSendKeys),
            On(kFinish, &KeyDialog::OnFinish),
            {0, nullptr},
        };
        return map;
    }
};

class ControlHost : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        WNDCLASSW wc{};
        wc.lpfnWndProc = StubWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TesselStubControl";
        RegisterClassW(&wc);
        RegisterBrowserHostClass(GetModuleHandleW(nullptr));
        g_log.clear();
        g_controlWindow = nullptr;
        g_stub = &stub;
        SetControlFactory(&MakeStub);
    }
    void TearDown() override {
        SetControlFactory(nullptr);
        g_stub = nullptr;
        OleUninitialize();
    }
    // The log from the first key to the end of the run, activation left out.
    std::vector<std::string> KeysAndTeardown() const {
        std::vector<std::string> out;
        for (const auto& entry : g_log)
            if (entry.rfind("verb", 0) != 0) out.push_back(entry);
        return out;
    }
    StubControl stub;
};

}  // namespace

TEST_F(ControlHost, ConsumedKeysNeverReachTheDialogManager) {
    stub.consumeKeys = true;
    KeyDialog dlg;
    EXPECT_EQ(dlg.DoModal(), std::optional<INT_PTR>(7));
    EXPECT_EQ(dlg.focusAtStart, g_controlWindow) << "the focus is inside the control at start";
    const std::vector<std::string> expected = {"accelerator 9",  "accelerator 13", "accelerator 27",
                                               "accelerator 67", "finish",         "ui deactivate",
                                               "deactivate",     "unadvise",       "site released",
                                               "close"};
    EXPECT_EQ(KeysAndTeardown(), expected);
    EXPECT_EQ(stub.refs, 1) << "every reference the host took is released";
    EXPECT_EQ(stub.events.m_sink, nullptr);
}

TEST_F(ControlHost, DeclinedKeysGoToTheDialogManagerAfterTheControl) {
    stub.consumeKeys = false;
    KeyDialog dlg;
    EXPECT_EQ(dlg.DoModal(), std::optional<INT_PTR>(7)) << "Enter and Escape do not end it";
    const std::vector<std::string> expected = {"accelerator 9",  "accelerator 13", "dialog ok",
                                               "accelerator 27", "dialog cancel",  "accelerator 67",
                                               "finish",         "ui deactivate",  "deactivate",
                                               "unadvise",       "site released",  "close"};
    EXPECT_EQ(KeysAndTeardown(), expected);
    EXPECT_EQ(g_log.front(), "verb -4") << "UI activation is the control's first verb";
}

namespace {
// Waits as the program's dialog does: a cancelled wait, then one whose handle is signalled
// before its handler returns.
class WaitingDialog : public ModalDialog {
public:
    WaitingDialog() : ModalDialog(200) {}
    KernelHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    KernelHandle never{CreateEventW(nullptr, TRUE, TRUE, nullptr)};
    std::vector<std::string> steps;

protected:
    BOOL OnInitDialog() override {
        ModalDialog::OnInitDialog();
        WaitFor(never.get(), [this] { steps.push_back("cancelled wait ran"); });
        CancelWait();
        WaitFor(done.get(), [this] {
            steps.push_back(IsWaiting() ? "still waiting" : "from the loop");
            EndDialog(7);
        });
        SetEvent(done.get());
        steps.push_back("handler returned");
        return TRUE;
    }
};
}  // namespace

TEST_F(ControlHost, AWaitEndsFromTheLoopAndACancelledOneNever) {
    WaitingDialog dlg;
    EXPECT_EQ(dlg.DoModal(), std::optional<INT_PTR>(7));
    EXPECT_EQ(dlg.steps, (std::vector<std::string>{"handler returned", "from the loop"}));
}

namespace {

// A script object that answers properties by name only, as the page's expandos are found.
class StubScriptObject final : public IDispatch {
public:
    std::map<std::wstring, VARIANT> props;
    ~StubScriptObject() {
        for (auto& p : props) VariantClear(&p.second);
    }
    void Set(const wchar_t* name, const wchar_t* text) {
        VARIANT v;
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = SysAllocString(text);
        props[name] = v;
    }
    void Set(const wchar_t* name, LONG number) {
        VARIANT v;
        V_VT(&v) = VT_I4;
        V_I4(&v) = number;
        props[name] = v;
    }
    void Set(const wchar_t* name, IDispatch* object) {
        VARIANT v;
        V_VT(&v) = VT_DISPATCH;
        V_DISPATCH(&v) = object;
        object->AddRef();
        props[name] = v;
    }
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        *out = (riid == IID_IUnknown || riid == IID_IDispatch) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
        DISPID id = 1;
        for (const auto& p : props) {
            if (p.first == names[0]) return *ids = id, S_OK;
            ++id;
        }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (!(flags & DISPATCH_PROPERTYGET) || !result || id < 1 || id > static_cast<DISPID>(props.size()))
            return DISP_E_MEMBERNOTFOUND;
        auto it = props.begin();
        std::advance(it, id - 1);
        return VariantCopy(result, &it->second);
    }
};

// A host window with the stub control in it, and the site the control was given.
struct EmbeddedStub {
    HWND parent = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    HWND host = CreateWindowW(kBrowserHostClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 200, parent, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    ~EmbeddedStub() { DestroyWindow(parent); }
};

}  // namespace

TEST_F(ControlHost, SiteDrawsThePageToScaleEdgeToEdgeAndLeavesTheRestToTheControl) {
    EmbeddedStub embedded;
    ASSERT_TRUE(embedded.host);
    ASSERT_TRUE(stub.Site());
    ComPtr<IDocHostUIHandler> ui;
    ASSERT_EQ(stub.Site()->QueryInterface(IID_PPV_ARGS(&ui)), S_OK);
    DOCHOSTUIINFO info{};
    info.cbSize = sizeof info;
    info.dwDoubleClick = 7;
    ASSERT_EQ(ui->GetHostInfo(&info), S_OK);
    // Drawn to the display's scale and edge to edge; the flags replace the control's defaults,
    // so the ones a page relies on (UTF-8 addresses, in-place navigation) are carried too.
    for (DWORD flag : {DOCHOSTUIFLAG_DPI_AWARE, DOCHOSTUIFLAG_NO3DBORDER, DOCHOSTUIFLAG_URL_ENCODING_ENABLE_UTF8,
                       DOCHOSTUIFLAG_ENABLE_INPLACE_NAVIGATION})
        EXPECT_TRUE(info.dwFlags & flag) << std::hex << flag;
    EXPECT_EQ(info.dwDoubleClick, 0u);
    POINT pt{};
    EXPECT_EQ(ui->ShowContextMenu(0, &pt, nullptr, nullptr), S_FALSE) << "no page commands: the control's menu";
    // What the control reads back is cleared, never left as it came.
    LPOLESTR key = reinterpret_cast<LPOLESTR>(1);
    EXPECT_EQ(ui->GetOptionKeyPath(&key, 0), S_FALSE);
    EXPECT_EQ(key, nullptr);
    IDispatch* external = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(ui->GetExternal(&external), S_FALSE);
    EXPECT_EQ(external, nullptr);
    LPWSTR url = reinterpret_cast<LPWSTR>(1);
    wchar_t in[] = L"http://h/";
    EXPECT_EQ(ui->TranslateUrl(0, in, &url), S_FALSE);
    EXPECT_EQ(url, nullptr);
    IDataObject* data = reinterpret_cast<IDataObject*>(1);
    EXPECT_EQ(ui->FilterDataObject(nullptr, &data), S_FALSE);
    EXPECT_EQ(data, nullptr);
    // No container: the control asks the site itself for its command target.
    IOleContainer* container = reinterpret_cast<IOleContainer*>(1);
    EXPECT_TRUE(FAILED(stub.Site()->GetContainer(&container)));
    EXPECT_EQ(container, nullptr);
}

namespace {
// A host's sink that refuses one security problem.
struct RefusingTarget final : BrowserEvents {
    bool RefusesSecurityProblem(UINT controlId, unsigned long problem) override {
        asked = controlId;
        return problem == 12045;
    }
    UINT asked = 0;
};
}  // namespace

TEST_F(ControlHost, TheHttpLayersPromptsAreOwnedByOurWindowAndItsProblemsOurs) {
    EmbeddedStub embedded;
    ASSERT_TRUE(embedded.host && stub.Site());
    ComPtr<IServiceProvider> services;
    ASSERT_EQ(stub.Site()->QueryInterface(IID_PPV_ARGS(&services)), S_OK);
    ComPtr<IHttpSecurity> security;
    ASSERT_EQ(services->QueryService(IID_IHttpSecurity, IID_PPV_ARGS(&security)), S_OK);
    ComPtr<IWindowForBindingUI> binding;
    ASSERT_EQ(services->QueryService(IID_IWindowForBindingUI, IID_PPV_ARGS(&binding)), S_OK);
    HWND owner = nullptr;
    EXPECT_EQ(binding->GetWindow(IID_IHttpSecurity, &owner), S_OK);
    EXPECT_EQ(owner, embedded.parent) << "the top-level window, not the control's container";
    // No target yet: the control's own way. Then the target decides, for its control id.
    EXPECT_EQ(security->OnSecurityProblem(12045), S_FALSE);
    RefusingTarget target;
    SetBrowserEventTarget(embedded.host, &target, 77);
    EXPECT_EQ(security->OnSecurityProblem(12045), E_ABORT);
    EXPECT_EQ(target.asked, 77u);
    EXPECT_EQ(security->OnSecurityProblem(12039), S_FALSE);
    SetBrowserEventTarget(embedded.host, nullptr, 0);
    ComPtr<IUnknown> other;
    EXPECT_TRUE(FAILED(services->QueryService(IID_IOleCommandTarget, IID_PPV_ARGS(&other))));
}

TEST_F(ControlHost, ScriptErrorsAreTracedNeverShownAndScriptsGoOn) {
    EmbeddedStub embedded;
    ComPtr<IOleCommandTarget> target;
    ASSERT_EQ(stub.Site()->QueryInterface(IID_PPV_ARGS(&target)), S_OK);
    StubScriptObject event, window, document;
    event.Set(L"errorMessage", L"'x' is undefined");
    event.Set(L"errorLine", 12);
    event.Set(L"errorCharacter", 5);
    event.Set(L"errorCode", LONG(0));
    event.Set(L"errorUrl", L"http://h/viewer");
    window.Set(L"event", &event);
    document.Set(L"parentWindow", &window);
    VARIANT in;
    V_VT(&in) = VT_UNKNOWN;
    V_UNKNOWN(&in) = &document;
    VARIANT out;
    VariantInit(&out);
    TraceCapture trace;
    EXPECT_EQ(target->Exec(&CGID_DocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, &in, &out), S_OK);
    EXPECT_EQ(V_VT(&out), VT_BOOL);
    EXPECT_EQ(V_BOOL(&out), VARIANT_TRUE) << "continue running scripts";
    EXPECT_EQ(target->Exec(&CGID_DocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, &in, nullptr), S_OK);
    const std::string traced = "tessel: script error: 'x' is undefined at http://h/viewer line 12 char 5 code 0\n";
    EXPECT_EQ(TraceCapture::Lines(), std::vector<std::string>(2, traced));
    VARIANT empty;
    VariantInit(&empty);
    EXPECT_EQ(DescribeScriptError(&empty), u"script error: (no details)");
    // Every other command stays the control's.
    const GUID other = {0x000214D1, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    EXPECT_EQ(target->Exec(nullptr, OLECMDID_SHOWSCRIPTERROR, 0, &in, &out), OLECMDERR_E_NOTSUPPORTED);
    // The control's downloads stopping (state 0) reaches the host window, from the loop.
    MSG stopped;
    for (LONG state : {1, 0}) {
        VARIANT downloading;
        V_VT(&downloading) = VT_I4;
        V_I4(&downloading) = state;
        EXPECT_EQ(target->Exec(nullptr, OLECMDID_SETDOWNLOADSTATE, 0, &downloading, nullptr), S_OK);
        EXPECT_EQ(PeekMessageW(&stopped, embedded.host, kDownloadsStoppedMessage, kDownloadsStoppedMessage,
                               PM_REMOVE) != FALSE, state == 0);
    }
    EXPECT_EQ(target->Exec(&other, OLECMDID_SHOWSCRIPTERROR, 0, &in, &out), OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(target->Exec(&CGID_DocHostCommandHandler, 2300, 0, &in, &out), OLECMDERR_E_NOTSUPPORTED);
    OLECMD commands[2] = {{OLECMDID_SHOWSCRIPTERROR, 0}, {2300, 7}};
    EXPECT_EQ(target->QueryStatus(&CGID_DocHostCommandHandler, 2, commands, nullptr), S_OK);
    EXPECT_EQ(commands[0].cmdf, static_cast<DWORD>(OLECMDF_SUPPORTED | OLECMDF_ENABLED));
    EXPECT_EQ(commands[1].cmdf, 0u);
    EXPECT_EQ(target->QueryStatus(nullptr, 2, commands, nullptr), OLECMDERR_E_NOTSUPPORTED);
    EXPECT_EQ(target->QueryStatus(&other, 2, commands, nullptr), OLECMDERR_E_UNKNOWNGROUP);
}

TEST_F(ControlHost, DropsRefusedAndBrowserKeysTaken) {
    EmbeddedStub embedded;
    ComPtr<IDocHostUIHandler> ui;
    ASSERT_EQ(stub.Site()->QueryInterface(IID_PPV_ARGS(&ui)), S_OK);
    ComPtr<IDropTarget> drop;
    MSG refresh{embedded.host, WM_KEYDOWN, VK_F5, 0, 0, {}};
    // Without the program's policy the site is program-neutral: all of it is the control's.
    SetSitePolicy(nullptr);
    EXPECT_EQ(ui->GetDropTarget(nullptr, drop.GetAddressOf()), E_NOTIMPL);
    EXPECT_FALSE(drop);
    EXPECT_EQ(ui->TranslateAccelerator(&refresh, nullptr, 0), S_FALSE);
    const ViewerSitePolicy policy;
    SetSitePolicy(&policy);
    struct Unset {
        ~Unset() { SetSitePolicy(nullptr); }
    } unset;
    ASSERT_EQ(ui->GetDropTarget(nullptr, drop.GetAddressOf()), S_OK);
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
    EXPECT_EQ(drop->Drop(nullptr, 0, POINTL{}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    // Keys through the site: navigation keys are taken (no page: Backspace edits nothing).
    for (WPARAM key : {WPARAM(VK_F5), WPARAM(VK_BROWSER_BACK), WPARAM(VK_BACK)}) {
        MSG msg{embedded.host, WM_KEYDOWN, key, 0, 0, {}};
        EXPECT_EQ(ui->TranslateAccelerator(&msg, nullptr, 0), S_OK) << key;
    }
    MSG letter{embedded.host, WM_KEYDOWN, 'R', 0, 0, {}};
    EXPECT_EQ(ui->TranslateAccelerator(&letter, nullptr, 0), S_FALSE);
    // With modifiers: Ctrl+R/N/O/L and Alt+arrows, never AltGr, copy, find or print.
    EXPECT_TRUE(IsBrowserNavigationKey(WM_KEYDOWN, 'N', true, false, false));
    EXPECT_TRUE(IsBrowserNavigationKey(WM_SYSKEYDOWN, VK_LEFT, false, true, false));
    EXPECT_FALSE(IsBrowserNavigationKey(WM_KEYDOWN, VK_LEFT, false, false, false));
    EXPECT_FALSE(IsBrowserNavigationKey(WM_KEYDOWN, 'R', true, true, false));
    for (WPARAM kept : {WPARAM('C'), WPARAM('V'), WPARAM('F'), WPARAM('P'), WPARAM('A')})
        EXPECT_FALSE(IsBrowserNavigationKey(WM_KEYDOWN, kept, true, false, false)) << kept;
    EXPECT_FALSE(IsBrowserNavigationKey(WM_KEYDOWN, VK_BACK, false, false, true)) << "editing a field";
    EXPECT_FALSE(IsBrowserNavigationKey(WM_KEYUP, VK_F5, false, false, false));
    // Home, which would land on a home page with every way back blocked.
    EXPECT_TRUE(IsBrowserNavigationKey(WM_SYSKEYDOWN, VK_HOME, false, true, false));
    EXPECT_TRUE(IsBrowserNavigationKey(WM_KEYDOWN, VK_BROWSER_HOME, false, false, false));
    EXPECT_FALSE(IsBrowserNavigationKey(WM_KEYDOWN, VK_HOME, false, false, false)) << "the caret's Home";
    // Backspace edits only where it can: not in a read-only or disabled field, nor on a button.
    EXPECT_TRUE(KeepsBackspace({u"INPUT", u"text"}));
    EXPECT_TRUE(KeepsBackspace({u"TEXTAREA", u"textarea"}));
    EXPECT_TRUE(KeepsBackspace({u"DIV", u"", true}));
    EXPECT_FALSE(KeepsBackspace({u"INPUT", u"text", false, false, true}));
    EXPECT_FALSE(KeepsBackspace({u"TEXTAREA", u"textarea", false, true}));
    EXPECT_FALSE(KeepsBackspace({u"INPUT", u"checkbox"}));
    EXPECT_FALSE(KeepsBackspace({u"IFRAME", u""})) << "a frame whose inside could not be reached";
}

// The menu speaks the user's language: run under LANG=de_DE and he_IL as well (tests/win/run.py);
// the labels are those of Wine's translated resource, as measured.
TEST(EditMenu, SystemLabelsOurIdsMirroredWhereTheLanguageReadsRightToLeft) {
    const std::map<LANGID, std::vector<std::string>> expected = {
        {0x0409, {"16 Cu&t", "15 &Copy", "26 Paste", "-", "31 Select &All", "-", "27 &Print"}},
        {0x0407, {"16 &Ausschneiden", "15 &Kopieren", "26 Einf\xC3\xBCgen", "-", "31 Alles &markieren", "-",
                  "27 &Drucken"}},
        {0x040d, {"16 \xD7\x92&\xD7\x96\xD7\x99\xD7\xA8\xD7\x94", "15 \xD7\x94&\xD7\xA2\xD7\xAA\xD7\xA7\xD7\x94",
                  "26 \xD7\x94\xD7\x93\xD7\x91\xD7\xA7\xD7\x94", "-",
                  "31 \xD7\x91\xD7\x97\xD7\x99\xD7\xA8\xD7\xAA \xD7\x94&\xD7\x9B\xD7\x95\xD7\x9C", "-",
                  "27 \xD7\x94\xD7\x93\xD7\xA4&\xD7\xA1\xD7\x94"}}};
    const LANGID language = GetUserDefaultUILanguage();
    ASSERT_TRUE(expected.count(language)) << std::hex << language;
    // As the program sets the menu up: from the words of the user's language.
    const Words words = LoadWords(PreferredUiLanguages());
    EXPECT_EQ(words.rightToLeft, language == 0x040d) << words.tag;
    EditMenuWords ours;
    ours.rightToLeft = words.rightToLeft;
    EXPECT_EQ(EditMenuLayout(ours), words.rightToLeft ? static_cast<UINT>(TPM_LAYOUTRTL) : 0u);
    const MenuHandle owned = BuildEditMenu(ours, [](UINT command) { return command != IDM_PASTE; });
    ASSERT_TRUE(owned);
    HMENU menu = owned.get();
    std::vector<std::string> seen;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING | MIIM_STATE;
        item.dwTypeData = text;
        item.cch = 256;
        ASSERT_TRUE(GetMenuItemInfoW(menu, i, TRUE, &item));
        if (item.fType & MFT_SEPARATOR) {
            seen.push_back("-");
            continue;
        }
        EXPECT_EQ((item.fType & MFT_RIGHTORDER) != 0, words.rightToLeft) << i;
        EXPECT_EQ((item.fState & MFS_GRAYED) != 0, item.wID == IDM_PASTE) << i;
        seen.push_back(std::to_string(item.wID) + " " + ToUtf8(FromW(text)));
    }
    EXPECT_EQ(seen, expected.at(language));
}

// Windows 10 1607 reads dpiAwareness, then ignores dpiAware, and knows no PerMonitorV2: the
// list must go on to a value it knows, or the program is unaware there (stretched, blurry).
TEST(Manifest, DpiAwarenessKeepsTheSystemsScaleWherePerMonitorV2IsUnknown) {
    WideString folder = ModulePath();
    folder.resize(folder.find_last_of(u'\\') + 1);
    const LibraryHandle program(LoadLibraryExW(W(folder + u"tessel.exe"), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(program);
    HRSRC found = FindResourceW(program.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_TRUE(found);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(program.get(), found)));
    const std::string manifest(bytes, SizeofResource(program.get(), found));
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
    const std::size_t open = manifest.find('>', manifest.find("<dpiAwareness")) + 1;
    std::vector<std::string> values;
    std::string value;
    for (char c : manifest.substr(open, manifest.find("</dpiAwareness>") - open) + ",") {
        if (c == ',') values.push_back(std::exchange(value, {}));
        else if (c != ' ') value += c;
    }
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(values.front(), "PerMonitorV2");
    EXPECT_TRUE(std::find(values.begin() + 1, values.end(), "System") != values.end() ||
                std::find(values.begin() + 1, values.end(), "PerMonitor") != values.end());
}

// Read back as the control reads it (Wine plays no sound): on for this process, in no registry.
TEST(ControlFeatures, NavigationSoundsOffForTheProcessAndNowhereElse) {
    EXPECT_EQ(CoInternetIsFeatureEnabled(FEATURE_DISABLE_NAVIGATION_SOUNDS, GET_FEATURE_FROM_PROCESS), S_FALSE);
    SetControlFeatures();
    EXPECT_EQ(CoInternetIsFeatureEnabled(FEATURE_DISABLE_NAVIGATION_SOUNDS, GET_FEATURE_FROM_PROCESS), S_OK);
    RegKey key;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER,
                            L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\"
                            L"FEATURE_DISABLE_NAVIGATION_SOUNDS",
                            0, KEY_READ, key.put()),
              ERROR_SUCCESS);
}
