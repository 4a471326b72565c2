// A window that shows a page: the main window (the dialog's, with control 1001) and each
// window a page opens (window.open, target=_blank, Shift+click), which is a window of this
// program owned by the main one, so it shares the process and its session cookies, with a
// control of its own handed back to the page. Each follows its page's title and its
// monitor's scale and gives the focus to its page; what the page's events mean for the run
// is its owner's, told through one narrow interface.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>

#include "app/run_rules.h"
#include "app/web_browser2.h"
#include "app/window_size.h"
#include "winui/browser_events.h"
#include "winui/modal_dialog.h"

namespace tessel {

class PageWindow;

// What a page window reports to whoever owns it.
class PageWindowOwner {
public:
    // One of the page's events that concerns the run (navigations, downloads, documents,
    // errors, new windows).
    virtual void OnPageEvent(PageWindow& window, Arrival::Kind kind, const BrowserEvent& event) = 0;
    // The HTTP layer's security problem with one of the page's requests: true refuses it.
    virtual bool RefusesSecurityProblem(PageWindow& window, unsigned long problem) = 0;
    // A popup's window was destroyed; the owner may delete it.
    virtual void OnPageWindowGone(PageWindow& window) = 0;

protected:
    ~PageWindowOwner() = default;
};

class PageWindow final : public BrowserEvents {
public:
    // The main window's page: the window and its control's `browser` are the dialog's.
    PageWindow(PageWindowOwner& owner, WebBrowser& browser, const ModalDialog& dialog);
    // A popup, cascaded from `ownerWindow` (`index`: how many are open); null when no window
    // or control could be made.
    static PageWindow* Open(HWND ownerWindow, PageWindowOwner& owner, PageWindowId id, int index);
    ~PageWindow();
    PageWindow(const PageWindow&) = delete;
    PageWindow& operator=(const PageWindow&) = delete;

    // The main window, once made: its monitor's scale.
    void ReadScale();
    HWND Window() const { return m_dialog ? m_dialog->GetSafeHwnd() : m_hWnd; }
    PageWindowId Id() const { return m_id; }
    WebBrowser& Browser() { return *m_browser; }
    void UseBrowser(WebBrowser& browser) { m_browser = &browser; }
    // The control's automation object, as the page gets it back.
    ComPtr<IDispatch> Application() { return m_ownControl.Application(); }

    // The top-level document arrived: its zoom where the control did not scale it to the
    // monitor itself, and its title as the caption (unchanged where there is none).
    void ShowDocument();
    // WM_DPICHANGED: the window takes the suggested rectangle and the page the new scale.
    void FollowScale(WPARAM wParam, LPARAM lParam);
    // WM_ACTIVATE or WM_SETFOCUS: the focus goes into the page.
    void FocusPage(UINT message, WPARAM wParam);
    // WM_SIZE: the control covers the client area.
    void FitControl(LPARAM size);
    // window.close() in the page: no prompt and no dead window; a close like the button's.
    void OnWindowClosing(const BrowserEvent& event);

protected:
    const EventSinkEntry* GetEventSinkMap() const override;
    bool RefusesSecurityProblem(UINT, unsigned long problem) override;
    void OnDownloadsSettled(UINT) override;

private:
    PageWindow(PageWindowOwner& owner, PageWindowId id);
    template <typename T>
    friend LRESULT CALLBACK WindowProcedure(HWND, UINT, WPARAM, LPARAM);
    static PageWindow* Bind(HWND hwnd, const CREATESTRUCTW& create);
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND Control() const;
    void OnBeforeNavigate2(const BrowserEvent& e) { m_owner.OnPageEvent(*this, Arrival::Kind::BeforeNavigate, e); }
    void OnDownloadComplete(const BrowserEvent& e) { m_owner.OnPageEvent(*this, Arrival::Kind::DownloadComplete, e); }
    void OnDocumentComplete(const BrowserEvent& e) { m_owner.OnPageEvent(*this, Arrival::Kind::DocumentComplete, e); }
    void OnNavigateError(const BrowserEvent& e) { m_owner.OnPageEvent(*this, Arrival::Kind::NavigateError, e); }
    void OnNewWindow3(const BrowserEvent& e) { m_owner.OnPageEvent(*this, Arrival::Kind::NewWindow, e); }
    // window.open's features, as the control reports them after the window was made.
    void OnWindowSetLeft(const BrowserEvent& event) { Place(&PopupRequest::left, event.status); }
    void OnWindowSetTop(const BrowserEvent& event) { Place(&PopupRequest::top, event.status); }
    void OnWindowSetWidth(const BrowserEvent& event) { Place(&PopupRequest::width, event.status); }
    void OnWindowSetHeight(const BrowserEvent& event) { Place(&PopupRequest::height, event.status); }
    void Place(std::optional<int> PopupRequest::*part, long value);

    PageWindowOwner& m_owner;
    PageWindowId m_id = kMainWindow;
    CWebBrowser2 m_ownControl;  // a popup's
    WebBrowser* m_browser = &m_ownControl;
    const ModalDialog* m_dialog = nullptr;  // the main window's
    HWND m_hWnd = nullptr;                  // a popup's
    int m_dpi = 96;          // the scale of the window's monitor
    PopupRequest m_request;  // what a popup's page asked for so far
};

}  // namespace tessel
