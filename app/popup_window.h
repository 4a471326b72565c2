// A window the page opens (window.open, target=_blank, Shift+click): a window of this
// program, owned by the main one, so it shares the process and its session cookies, with a
// browser control of its own that is handed back to the page.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

#include "app/web_browser2.h"
#include "app/window_size.h"
#include "winui/browser_events.h"

namespace tessel {

class PopupWindow final : public BrowserEvents {
public:
    // What the popup's page does that concerns the run: the same handling as the main page's.
    struct Owner {
        std::function<void(const BrowserEvent&)> beforeNavigate;  // exit words
        std::function<void(WebBrowser&)> downloadComplete;        // the result check
        std::function<void(const BrowserEvent&)> newWindow;       // windows it opens in turn
        std::function<void(PopupWindow*)> gone;                   // its window was destroyed
    };

    // Null when no window or control could be made. `index`: how many popups are open, for
    // the cascade.
    static PopupWindow* Open(HWND owner, Owner handlers, int index = 0);
    ~PopupWindow();
    PopupWindow(const PopupWindow&) = delete;
    PopupWindow& operator=(const PopupWindow&) = delete;

    HWND Window() const { return m_hWnd; }
    // The control's automation object, as the page gets it back.
    ComPtr<IDispatch> Application();
    CWebBrowser2 m_browser;

    void OnBeforeNavigate2(const BrowserEvent& event) { m_owner.beforeNavigate(event); }
    void OnDownloadComplete(const BrowserEvent&) { m_owner.downloadComplete(m_browser); }
    void OnDocumentComplete(const BrowserEvent& event);
    void OnWindowClosing(const BrowserEvent& event);
    // window.open's features, as the control reports them after the window was made.
    void OnWindowSetLeft(const BrowserEvent& event) { Place(&PopupRequest::left, event.status); }
    void OnWindowSetTop(const BrowserEvent& event) { Place(&PopupRequest::top, event.status); }
    void OnWindowSetWidth(const BrowserEvent& event) { Place(&PopupRequest::width, event.status); }
    void OnWindowSetHeight(const BrowserEvent& event) { Place(&PopupRequest::height, event.status); }
    void OnNewWindow3(const BrowserEvent& event) { m_owner.newWindow(event); }
    void OnDownloadsSettled(UINT) override { m_owner.downloadComplete(m_browser); }
    // As for the main page: no certificate problem is passed, none asked of the user.
    bool RefusesSecurityProblem(UINT, unsigned long problem) override;

protected:
    const EventSinkEntry* GetEventSinkMap() const override;

private:
    explicit PopupWindow(Owner handlers) : m_owner(std::move(handlers)) {}
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    void Place(std::optional<int> PopupRequest::*part, long value);
    Owner m_owner;
    HWND m_hWnd = nullptr;
    int m_dpi = 96;          // the scale of the window's monitor
    PopupRequest m_request;  // what the page asked for so far
};

}  // namespace tessel
