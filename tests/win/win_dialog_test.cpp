// The dialog's event sink driven with made-up event arguments behind the browser seam, and the
// title read from a stub document.
#include <gtest/gtest.h>

#include <mshtml.h>
#include <winsock2.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include <exdispid.h>

#include "app/page_window.h"
#include "app/local_pages.h"
#include "app/tessel_dlg.h"
#include "base/module_win.h"
#include "base/com_win.h"
#include "base/handles_win.h"
#include "page/page_title_win.h"
#include "start/start_sequence_win.h"
#include "tests/win/fake_browser.h"
#include "winui/browser_host.h"
#include "winui/dpi_win.h"

using namespace tessel;

namespace {

// A stand-in for the page's document, the platform's interface behind the seam. IHTMLDocument2
// has over a hundred methods; the stub fills its table with one "not implemented" entry and
// sets the four it needs.
HRESULT STDMETHODCALLTYPE NotImplemented() { return E_NOTIMPL; }

}  // namespace

// The slot of IHTMLDocument2::get_title in its table, from the table's C declaration
// (tests/win/document_slots.c), not from any compiler's layout of member pointers.
extern "C" std::size_t HtmlDocumentTitleSlot(void);

namespace {

struct StubDocument {
    void** vtable;
    LONG refs = 1;
    bool html = true;
    bool titleFails = false;
    std::wstring title;
    VARIANT mode{};              // documentMode as the engine gives it (VT_R4); VT_EMPTY: none
    std::wstring compat;         // compatMode; empty: none

    static HRESULT STDMETHODCALLTYPE QueryInterface(StubDocument* self, REFIID riid, void** out) {
        *out = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch || (self->html && riid == IID_IHTMLDocument2)) {
            *out = self;
            ++self->refs;
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    static ULONG STDMETHODCALLTYPE AddRef(StubDocument* self) { return ++self->refs; }
    static ULONG STDMETHODCALLTYPE Release(StubDocument* self) { return --self->refs; }
    static HRESULT STDMETHODCALLTYPE GetTitle(StubDocument* self, BSTR* out) {
        if (self->titleFails) return E_FAIL;
        *out = SysAllocString(self->title.c_str());
        return S_OK;
    }

    static HRESULT STDMETHODCALLTYPE GetIDsOfNames(StubDocument* self, REFIID, LPOLESTR* names, UINT, LCID,
                                                   DISPID* id) {
        const std::wstring name = names[0];
        *id = name == L"documentMode" && V_VT(&self->mode) != VT_EMPTY ? 1
              : name == L"compatMode" && !self->compat.empty()        ? 2
                                                                       : DISPID_UNKNOWN;
        return *id == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
    }
    static HRESULT STDMETHODCALLTYPE Invoke(StubDocument* self, DISPID id, REFIID, LCID, WORD, DISPPARAMS*,
                                            VARIANT* out, EXCEPINFO*, UINT*) {
        if (id == 1) return VariantCopy(out, &self->mode);
        V_VT(out) = VT_BSTR;
        V_BSTR(out) = SysAllocString(self->compat.c_str());
        return S_OK;
    }

    StubDocument() {
        static std::vector<void*> table = [] {
            std::vector<void*> t(256, reinterpret_cast<void*>(&NotImplemented));
            t[0] = reinterpret_cast<void*>(&QueryInterface);
            t[1] = reinterpret_cast<void*>(&AddRef);
            t[2] = reinterpret_cast<void*>(&Release);
            t[5] = reinterpret_cast<void*>(&GetIDsOfNames);  // IDispatch's, after GetTypeInfo
            t[6] = reinterpret_cast<void*>(&Invoke);
            t[HtmlDocumentTitleSlot()] = reinterpret_cast<void*>(&GetTitle);
            return t;
        }();
        vtable = table.data();
    }
    IDispatch* AsDispatch() { return reinterpret_cast<IDispatch*>(this); }
};

// A window that only counts WM_CLOSE, standing for the dialog's own.
LRESULT CALLBACK CountingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_CLOSE) {
        SetPropW(h, L"closes", reinterpret_cast<HANDLE>(reinterpret_cast<INT_PTR>(GetPropW(h, L"closes")) + 1));
        return 0;
    }
    return DefWindowProcW(h, m, w, l);
}

class DialogEvents : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = CountingProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TesselTestWindow";
        RegisterClassW(&wc);
        hwnd = CreateWindowW(L"TesselTestWindow", L"start caption", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                             nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(hwnd);
        dlg.AttachWindow(hwnd);
        dlg.UseBrowser(browser);
    }
    void TearDown() override {
        dlg.AttachWindow(nullptr);
        DestroyWindow(hwnd);
    }
    std::wstring Caption() {
        wchar_t buf[256] = {};
        GetWindowTextW(hwnd, buf, 256);
        return buf;
    }
    int Closes() { return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(hwnd, L"closes"))); }

    void FireDocumentComplete() {
        VARIANT args[2];
        VARIANT url;
        V_VT(&url) = VT_BSTR;
        V_BSTR(&url) = SysAllocString(L"http://h/page");
        V_VT(&args[0]) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&args[0]) = &url;
        V_VT(&args[1]) = VT_DISPATCH;
        V_DISPATCH(&args[1]) = nullptr;
        DISPPARAMS p{args, nullptr, 2, 0};
        dlg.FireControlEvent(kBrowserControlId, DISPID_DOCUMENTCOMPLETE, p);
        VariantClear(&url);
    }

    VARIANT_BOOL FireBeforeNavigate(const wchar_t* target, UINT controlId = kBrowserControlId,
                                    IDispatch* frame = nullptr) {
        VARIANT url, empty[4];
        V_VT(&url) = VT_BSTR;
        V_BSTR(&url) = SysAllocString(target);
        VARIANT_BOOL cancel = VARIANT_FALSE;
        VARIANT args[7];
        V_VT(&args[0]) = VT_BYREF | VT_BOOL;
        V_BOOLREF(&args[0]) = &cancel;
        for (int i = 0; i < 4; ++i) {
            VariantInit(&empty[i]);
            V_VT(&args[1 + i]) = VT_BYREF | VT_VARIANT;
            V_VARIANTREF(&args[1 + i]) = &empty[i];
        }
        V_VT(&args[5]) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&args[5]) = &url;
        V_VT(&args[6]) = VT_DISPATCH;
        V_DISPATCH(&args[6]) = frame;
        DISPPARAMS p{args, nullptr, 7, 0};
        dlg.FireControlEvent(controlId, DISPID_BEFORENAVIGATE2, p);
        VariantClear(&url);
        return cancel;
    }

    // window.close() in a page: WindowClosing(is child window, Cancel); Cancel as it comes back.
    static VARIANT_BOOL FireWindowClosing(BrowserEvents& target, UINT controlId) {
        VARIANT_BOOL cancel = VARIANT_FALSE;
        VARIANT args[2];
        V_VT(&args[0]) = VT_BYREF | VT_BOOL;
        V_BOOLREF(&args[0]) = &cancel;
        V_VT(&args[1]) = VT_BOOL;
        V_BOOL(&args[1]) = VARIANT_FALSE;
        DISPPARAMS closing{args, nullptr, 2, 0};
        target.FireControlEvent(controlId, DISPID_WINDOWCLOSING, closing);
        return cancel;
    }

    // NavigateError(url, frame, status) as the control fires it; true when the program's page
    // for an unreachable server is to show.
    bool FireNavigateError(const wchar_t* address);

    CTesselDlg dlg;
    tessel::testing::FakeBrowser browser;
    HWND hwnd = nullptr;
};

}  // namespace

TEST_F(DialogEvents, TitleOfTheDocumentBecomesTheCaption) {
    browser.title = u"Print job 4711 \u00e9";
    FireDocumentComplete();
    EXPECT_EQ(Caption(), L"Print job 4711 \u00e9");
    browser.title = u"";
    FireDocumentComplete();
    EXPECT_EQ(Caption(), L"");
}

TEST_F(DialogEvents, NoDocumentOrNoHtmlDocumentLeavesCaption) {
    browser.title = std::nullopt;
    FireDocumentComplete();
    EXPECT_EQ(Caption(), L"start caption");
}

TEST(PageTitle, ReadFromTheHtmlDocumentOnly) {
    StubDocument doc;
    doc.title = L"Print job 4711 \u00e9";
    EXPECT_EQ(TitleOfDocument(doc.AsDispatch()), std::optional<WideString>(u"Print job 4711 \u00e9"));
    EXPECT_EQ(doc.refs, 1) << "every reference taken is released";
    doc.titleFails = true;
    EXPECT_EQ(TitleOfDocument(doc.AsDispatch()), std::optional<WideString>(u"")) << "a failed read: empty";
    StubDocument plain;
    plain.html = false;
    EXPECT_EQ(TitleOfDocument(plain.AsDispatch()), std::nullopt);
    EXPECT_EQ(plain.refs, 1);
    EXPECT_EQ(TitleOfDocument(nullptr), std::nullopt);
    // The document mode, by name: IE7's for a page that asks for none, in quirks or standards.
    EXPECT_EQ(DocumentModeOf(doc.AsDispatch()), std::nullopt) << "a document that tells none";
    V_VT(&doc.mode) = VT_R4;
    V_R4(&doc.mode) = 7.0f;
    EXPECT_EQ(DocumentModeOf(doc.AsDispatch()), std::optional<WideString>(u"7"));
    doc.compat = L"BackCompat";
    EXPECT_EQ(DocumentModeOf(doc.AsDispatch()), std::optional<WideString>(u"7, BackCompat"));
    EXPECT_EQ(DocumentModeOf(nullptr), std::nullopt);
}

TEST_F(DialogEvents, ExitWordsCloseOnceAndNeverCancel) {
    EXPECT_EQ(FireBeforeNavigate(L"http://h/v?x=LogoutAndExit&y=RebootAndExit"), VARIANT_FALSE);
    EXPECT_EQ(Closes(), 1);
    EXPECT_EQ(FireBeforeNavigate(L"http://h/logoutandexit"), VARIANT_FALSE);
    EXPECT_EQ(FireBeforeNavigate(L"http://h/page"), VARIANT_FALSE);
    EXPECT_EQ(Closes(), 1);
    // Events of another control are not in the sink map.
    FireBeforeNavigate(L"http://h/RestartAndExit", 1002);
    EXPECT_EQ(Closes(), 1);
    FireBeforeNavigate(L"http://h/RestartAndExit");
    EXPECT_EQ(Closes(), 2);
}

TEST_F(DialogEvents, OnlyAResultLocationStartsADeliveryAndOnlyOne) {
    const auto deliveries = [this] {
        MSG m;
        int n = 0;
        while (PeekMessageW(&m, hwnd, kDeliverResultMessage, kDeliverResultMessage, PM_REMOVE)) ++n;
        return n;
    };
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    browser.location = u"http://h/result.XML";
    dlg.FireControlEvent(kBrowserControlId, DISPID_DOWNLOADCOMPLETE, none);
    EXPECT_EQ(browser.calls, std::vector<std::string>{"location"});
    EXPECT_EQ(deliveries(), 0);
    EXPECT_FALSE(dlg.IsEnding());
    // A result is handed to the loop once; a second download meanwhile starts nothing.
    browser.location = u"http://h/result.xml";
    dlg.FireControlEvent(kBrowserControlId, DISPID_DOWNLOADCOMPLETE, none);
    dlg.FireControlEvent(kBrowserControlId, DISPID_DOWNLOADCOMPLETE, none);
    EXPECT_EQ(deliveries(), 1);
    EXPECT_FALSE(dlg.IsEnding());
}

// Wine has one DPI and sends no WM_DPICHANGED: it comes in-process, as Windows sends it when
// the window moves to a monitor of another scale.
TEST_F(DialogEvents, AnotherMonitorsScaleMovesTheWindowAndZoomsThePageOnce) {
    const auto moveTo = [this](int dpi, RECT suggested) {
        dlg.OnDpiChanged(MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        RECT now{};
        GetWindowRect(hwnd, &now);
        EXPECT_TRUE(EqualRect(&now, &suggested)) << dpi;
    };
    browser.zoom = 100;  // the page at 96 dpi
    moveTo(144, RECT{100, 50, 100 + 945, 50 + 590});
    EXPECT_EQ(browser.zoom, 150);
    moveTo(96, RECT{0, 0, 630, 393});
    EXPECT_EQ(browser.zoom, 100) << "set, never compounded";
    browser.zoom = 120;  // the user's own zoom keeps its share
    moveTo(192, RECT{20, 10, 20 + 1260, 10 + 786});
    EXPECT_EQ(browser.zoom, 240);
    browser.calls.clear();
    moveTo(192, RECT{20, 10, 20 + 1260, 10 + 786});
    EXPECT_EQ(std::count(browser.calls.begin(), browser.calls.end(), "set zoom"), 0) << "nothing to change";
}

TEST_F(DialogEvents, ThePageStaysOnTheRoute) {
    VARIANT_BOOL cancel = FireWindowClosing(dlg, kBrowserControlId);
    MSG m;
    EXPECT_EQ(cancel, VARIANT_TRUE) << "window.close(): no prompt, no dead window";
    EXPECT_TRUE(PeekMessageW(&m, hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE)) << "but a close as the button's";
    // The start page once; back to it later (Backspace, the history) is refused.
    EXPECT_EQ(FireBeforeNavigate(L"Z:\\tessel\\html\\progress.html"), VARIANT_FALSE);
    EXPECT_EQ(FireBeforeNavigate(L"file:///Z:/tessel/html/progress.html"), VARIANT_TRUE);
    // The program's own addresses are never loaded, and obeyed only from its own page: not
    // from a server's page, nor from a frame inside the program's page.
    browser.location = u"http://h/viewer";
    EXPECT_EQ(FireBeforeNavigate(L"tessel:close"), VARIANT_TRUE);
    EXPECT_EQ(Closes(), 0);
    browser.location = *BuildUnreachablePageUrl(ModulePath(), u"refused", u"en", dlg.CommandKey());
    IDispatch* frameOfThePage = reinterpret_cast<IDispatch*>(&browser);
    const std::wstring close = L"tessel:close?key=" + std::wstring(W(dlg.CommandKey()));
    EXPECT_EQ(FireBeforeNavigate(close.c_str(), kBrowserControlId, frameOfThePage), VARIANT_TRUE);
    EXPECT_EQ(Closes(), 0);
    EXPECT_EQ(FireBeforeNavigate(L"tessel:close"), VARIANT_TRUE) << "without the page's key";
    EXPECT_EQ(Closes(), 0);
    EXPECT_EQ(FireBeforeNavigate(close.c_str()), VARIANT_TRUE);
    EXPECT_EQ(Closes(), 1);
    // A navigation error that is not the viewer request's keeps the control's own page.
    EXPECT_FALSE(FireNavigateError(L"http://h/frame"));
}

// The viewer request's failure shows the program's page whatever form of its address the
// control reports (Windows' canonical one: escaped, lower-case host, a '/' for an empty path);
// once another top-level navigation took over, a failure is that one's.
TEST_F(DialogEvents, TheOutstandingViewerRequestsFailureShowsTheProgramsPage) {
    dlg.m_params.Store("ServerIP", "127.0.0.1");
    dlg.m_params.Store("URL", "http://Print Server:9/viewer x");
    dlg.OnTimer(kStartTimer, 0);
    ASSERT_TRUE(dlg.FinishWaitWithin(30000)) << "the login against a closed port ends";
    EXPECT_EQ(dlg.RunPhase(), Phase::Browsing);
    EXPECT_EQ(FireBeforeNavigate(L"http://Print Server:9/viewer x"), VARIANT_FALSE);  // its own
    EXPECT_EQ(FireBeforeNavigate(L"http://h/elsewhere"), VARIANT_FALSE);
    EXPECT_FALSE(FireNavigateError(L"http://h/elsewhere")) << "another navigation took over";
    // Try again (the host's request): the viewer request is outstanding once more.
    wchar_t payload[1279] = {};
    wcscpy(payload + 255, L"tessel:retry");
    COPYDATASTRUCT request{0, sizeof payload, payload};
    dlg.OnCopyData(0, reinterpret_cast<LPARAM>(&request));
    ASSERT_TRUE(dlg.FinishWaitWithin(30000));
    EXPECT_EQ(FireBeforeNavigate(L"http://Print Server:9/viewer x"), VARIANT_FALSE);
    EXPECT_TRUE(FireNavigateError(L"http://print%20server:9/viewer%20x"));
    EXPECT_FALSE(FireNavigateError(L"http://print%20server:9/viewer%20x")) << "once";
    // A certificate problem is refused, never passed or asked of the user, and the program's
    // page gives the HTTP layer's own words for it, whatever status the failure then has.
    dlg.SpeakTheUsersLanguage();
    dlg.OnCopyData(0, reinterpret_cast<LPARAM>(&request));
    ASSERT_TRUE(dlg.FinishWaitWithin(30000));
    EXPECT_FALSE(dlg.RefusesSecurityProblem(kBrowserControlId, 12039)) << "http to https: the control's";
    EXPECT_TRUE(dlg.RefusesSecurityProblem(kBrowserControlId, 12045));
    EXPECT_TRUE(FireNavigateError(L"http://print%20server:9/viewer%20x"));
    dlg.OnShowUnreachable(0, 0);
    // The system's words where it has them (Windows' HTTP layer has, Wine's has none), else
    // the program's own.
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                   GetModuleHandleW(L"wininet.dll"), 12045, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const LocalMemory owned(text);
    std::wstring first(text ? text : L"The%20server%27s%20certificate");
    first = first.substr(0, first.find_first_of(L" \r\n"));  // its first word, as encoded
    EXPECT_NE(browser.navigated.find(FromW((L"reason=" + first).c_str())), WideString::npos) << ToUtf8(browser.navigated);
}

bool DialogEvents::FireNavigateError(const wchar_t* address) {
    VARIANT_BOOL cancel = VARIANT_FALSE;
    MSG m;
    VARIANT status, url, frame;
    V_VT(&status) = VT_I4;
    V_I4(&status) = static_cast<LONG>(0x800C0008);
    V_VT(&url) = VT_BSTR;
    V_BSTR(&url) = SysAllocString(address);
    VariantInit(&frame);
    VARIANT errorArgs[5];
    V_VT(&errorArgs[0]) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&errorArgs[0]) = &cancel;
    V_VT(&errorArgs[1]) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&errorArgs[1]) = &status;
    V_VT(&errorArgs[2]) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&errorArgs[2]) = &frame;
    V_VT(&errorArgs[3]) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&errorArgs[3]) = &url;
    V_VT(&errorArgs[4]) = VT_DISPATCH;
    V_DISPATCH(&errorArgs[4]) = nullptr;
    DISPPARAMS error{errorArgs, nullptr, 5, 0};
    dlg.FireControlEvent(kBrowserControlId, DISPID_NAVIGATEERROR, error);
    VariantClear(&url);
    const bool shown = PeekMessageW(&m, hwnd, kShowUnreachableMessage, kShowUnreachableMessage, PM_REMOVE);
    EXPECT_EQ(cancel == VARIANT_TRUE, shown) << "the control's own page is cancelled only for ours";
    return shown;
}

TEST_F(DialogEvents, ANewWindowIsOursAndGoesWithTheMainOne) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    RegisterBrowserHostClass(GetModuleHandleW(nullptr));
    const auto open = [this](IDispatch** opened) {
        VARIANT_BOOL cancel = VARIANT_FALSE;
        VARIANT args[5];
        V_VT(&args[0]) = VT_BSTR;
        V_BSTR(&args[0]) = SysAllocString(L"http://h/popup");
        V_VT(&args[1]) = VT_BSTR;
        V_BSTR(&args[1]) = SysAllocString(L"http://h/viewer");
        V_VT(&args[2]) = VT_I4;
        V_I4(&args[2]) = 0;
        V_VT(&args[3]) = VT_BYREF | VT_BOOL;
        V_BOOLREF(&args[3]) = &cancel;
        V_VT(&args[4]) = VT_BYREF | VT_DISPATCH;
        V_DISPATCHREF(&args[4]) = opened;
        DISPPARAMS p{args, nullptr, 5, 0};
        dlg.FireControlEvent(kBrowserControlId, DISPID_NEWWINDOW3, p);
        VariantClear(&args[0]);
        VariantClear(&args[1]);
        return cancel;
    };
    IDispatch* opened = nullptr;
    EXPECT_EQ(open(&opened), VARIANT_FALSE);
    ASSERT_NE(opened, nullptr) << "a control of ours handed back to the page";
    opened->Release();
    ASSERT_EQ(dlg.Popups().size(), 1u);
    HWND popup = dlg.Popups()[0]->Window();
    EXPECT_EQ(GetWindow(popup, GW_OWNER), hwnd);
    // window.open's features: the page's size (the frame added) and its position.
    const auto feature = [&](DISPID id, long value) {
        VARIANT arg;
        V_VT(&arg) = VT_I4;
        V_I4(&arg) = value;
        DISPPARAMS p{&arg, nullptr, 1, 0};
        dlg.Popups()[0]->FireControlEvent(IDC_BROWSER, id, p);
    };
    feature(DISPID_WINDOWSETLEFT, 100);
    feature(DISPID_WINDOWSETTOP, 80);
    feature(DISPID_WINDOWSETWIDTH, 400);
    feature(DISPID_WINDOWSETHEIGHT, 300);
    RECT client{}, placed{};
    GetClientRect(popup, &client);
    GetWindowRect(popup, &placed);
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 300);
    EXPECT_EQ(placed.left, 100);
    EXPECT_EQ(placed.top, 80);
    // Moved to a monitor of another scale, it takes the rectangle Windows suggests.
    RECT suggested{40, 30, 40 + 900, 30 + 600}, now{};
    SendMessageW(popup, kDpiChangedMessage, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    GetWindowRect(popup, &now);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    // window.close() in it closes it, without the control's prompt.
    EXPECT_EQ(FireWindowClosing(*dlg.Popups()[0], IDC_BROWSER), VARIANT_TRUE);
    MSG m;
    while (PeekMessageW(&m, popup, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_TRUE(dlg.Popups().empty());
    // Another goes when the main window goes.
    opened = nullptr;
    open(&opened);
    ASSERT_NE(opened, nullptr);
    opened->Release();
    DestroyWindow(hwnd);
    hwnd = nullptr;
    EXPECT_TRUE(dlg.Popups().empty());
    OleUninitialize();
}

namespace {
struct SocketTraits {
    using Handle = SOCKET;
    static Handle Invalid() { return INVALID_SOCKET; }
    static void Close(Handle s) { closesocket(s); }
};
}  // namespace

// The document, held unread here, keeps neither the login back nor Ready from waiting for it.
TEST(StartSequence, TheLoginGoesOutWhileTheDocumentIsReadAndReadyWaitsForBoth) {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    const UniqueHandle<SocketTraits> listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in at{AF_INET, htons(80), {{{127, 0, 0, 39}}}, {}};
    ASSERT_EQ(bind(listener.get(), reinterpret_cast<sockaddr*>(&at), sizeof at), 0) << "port 80 is free";
    listen(listener.get(), 1);
    const KernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ParameterMap params;
    params.Store("ServerIP", "127.0.0.39");
    StartSequence start(params, [&release](const WideString&, VARIANT&, VARIANT&) {
        WaitForSingleObject(release.get(), 30000);
    });
    fd_set arriving{1, {listener.get()}};
    timeval bound{20, 0};
    EXPECT_EQ(select(0, &arriving, nullptr, nullptr, &bound), 1) << "no login while the document is read";
    UniqueHandle<SocketTraits> login(accept(listener.get(), nullptr, nullptr));
    DWORD ms = 20000;
    setsockopt(login.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&ms), sizeof ms);
    char request[64] = {};
    recv(login.get(), request, sizeof request - 1, 0);
    EXPECT_EQ(std::string(request).rfind("GET /wt4/login ", 0), 0u) << request;
    send(login.get(), "HTTP/1.0 200 OK\r\n\r\n", 19, 0);
    login.reset();
    EXPECT_EQ(WaitForSingleObject(start.Ready(), 1000), static_cast<DWORD>(WAIT_TIMEOUT)) << "the document is unread";
    SetEvent(release.get());
    ASSERT_EQ(WaitForSingleObject(start.Ready(), 30000), WAIT_OBJECT_0);
    tessel::testing::FakeBrowser browser;
    EXPECT_EQ(start.OpenViewer(browser).kind, LoginOutcome::Kind::Accepted) << "the login's answer kept";
}
