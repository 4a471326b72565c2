// The site the web-browser control lives in: client site, in-place site and frame, plus the
// host interfaces the control asks its site for: the UI handler (how the page is drawn), the
// command target (its script-error report and download state) and the services of the HTTP
// layer's prompts (the window that owns them, and what a security problem comes to).
#pragma once

#include <windows.h>
#include <docobj.h>
#include <mshtmhst.h>
#include <ole2.h>
#include <servprov.h>
#include <urlmon.h>

#include <atomic>
#include <functional>

#include "base/com_win.h"

namespace tessel {

// What the control uses when its host has no UI handler (its documentation's defaults, and
// Wine's), with the page zoomed to the display's scale and drawn edge to edge.
inline constexpr DWORD kHostUiFlags = DOCHOSTUIFLAG_DISABLE_HELP_MENU | DOCHOSTUIFLAG_OPENNEWWIN |
                                      DOCHOSTUIFLAG_URL_ENCODING_ENABLE_UTF8 |
                                      DOCHOSTUIFLAG_ENABLE_INPLACE_NAVIGATION |
                                      DOCHOSTUIFLAG_IME_ENABLE_RECONVERSION | DOCHOSTUIFLAG_DPI_AWARE |
                                      DOCHOSTUIFLAG_NO3DBORDER;

// What the page says of its focused element (in whatever frame it is).
struct FocusedField {
    WideString tag;   // upper case, as the document gives it: "INPUT", "TEXTAREA"
    WideString type;  // an input's type: "text", "checkbox"
    bool contentEditable = false, disabled = false, readOnly = false;
};
// Backspace edits there (and is the page's), rather than going back: an enabled, writable
// text field or area, or editable content.
bool KeepsBackspace(const FocusedField& field);

// Posted to the host window when the control says its downloads have stopped or reports
// progress: the host then runs the same check as for DownloadComplete.
inline constexpr UINT kDownloadsStoppedMessage = WM_USER + 0x100;

// Reference-counted; the host window holds one reference for its lifetime.
class BrowserSite final : public IOleClientSite,
                          public IOleInPlaceSite,
                          public IOleInPlaceFrame,
                          public IDocHostUIHandler,
                          public IOleCommandTarget,
                          public IServiceProvider,
                          private RefCounted<BrowserSite> {
public:
    // The host's answer to a security problem: true refuses it (see BrowserEvents).
    using SecurityProblemAnswer = std::function<bool(unsigned long problem)>;
    explicit BrowserSite(HWND host, SecurityProblemAnswer refuses = nullptr);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
    STDMETHODIMP_(ULONG) Release() override { return DropReference(); }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    // No container: the control then asks the site itself for its command target.
    STDMETHODIMP GetContainer(IOleContainer** c) override;
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (shared by the in-place site and the frame)
    STDMETHODIMP GetWindow(HWND* h) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow / IOleInPlaceFrame
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    // The UI-active control hands itself over here; its accelerators see keys first.
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override;
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    // The control reports its progress here as it goes (Wine, whose control tells a host with
    // a command target nothing else, included): each report asks for the result check.
    STDMETHODIMP SetStatusText(LPCOLESTR) override;
    // Also IDocHostUIHandler's: nothing of ours goes modeless either way.
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDocHostUIHandler: the host information; everything else is left to the control, each
    // answered as its documentation says a host answers that does not handle it.
    // The program's menu where its policy has one; a page that shows a menu of its own is
    // never asked for it.
    STDMETHODIMP ShowContextMenu(DWORD, POINT* at, IUnknown* commands, IDispatch*) override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                        IOleInPlaceUIWindow*) override {
        return S_FALSE;
    }
    STDMETHODIMP HideUI() override { return S_OK; }
    STDMETHODIMP UpdateUI() override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    // The keys the program's policy takes are taken here, before the control acts on them.
    STDMETHODIMP TranslateAccelerator(LPMSG msg, const GUID*, DWORD) override;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override;
    STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** target) override;
    STDMETHODIMP GetExternal(IDispatch** external) override;
    STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override;
    STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** out) override;

    // IOleCommandTarget: the control's script-error report, answered without a dialog, and
    // its download state; every other command is the control's.
    STDMETHODIMP QueryStatus(const GUID* group, ULONG count, OLECMD commands[], OLECMDTEXT*) override;
    STDMETHODIMP Exec(const GUID* group, DWORD id, DWORD, VARIANT* in, VARIANT* out) override;

    // IServiceProvider: IHttpSecurity and IWindowForBindingUI, so that every prompt of the
    // HTTP layer has our window as its owner and the host decides on security problems.
    STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** ppv) override;

    IOleInPlaceActiveObject* active() const { return m_active.Get(); }
    // The host took the posted check: the next report posts another.
    void CheckTaken() { m_checkPosted = false; }
    void Detach() { m_active.Reset(); }

private:
    friend class RefCounted<BrowserSite>;
    ~BrowserSite() = default;
    HWND m_host;
    SecurityProblemAnswer m_refuses;
    ComPtr<IOleInPlaceActiveObject> m_active;
    std::atomic<bool> m_checkPosted{false};  // one check waits in the queue at a time
    void PostCheck();
    bool FocusIsEditable() const;
};

// The five fields of a script error, read by name from the window's event object of the
// document the report carries, as one trace line.
WideString DescribeScriptError(const VARIANT* document);

}  // namespace tessel
