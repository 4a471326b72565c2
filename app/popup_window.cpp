#include "app/popup_window.h"

#include <exdispid.h>

#include <memory>

#include "app/resource.h"
#include "base/trace_win.h"
#include "app/browser_pane.h"
#include "app/window_size.h"
#include "page/page_trust.h"
#include "winui/browser_host.h"
#include "winui/dpi_win.h"

namespace tessel {

namespace {
constexpr wchar_t kPopupClass[] = L"TesselPopup";
}  // namespace

namespace {
ScreenRect WorkAreaOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info))
        return {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    return {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}
}  // namespace

PopupWindow* PopupWindow::Open(HWND owner, Owner handlers, int index) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    static const ATOM registered = [instance] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &WindowProc;
        wc.hInstance = instance;
        wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kPopupClass;
        return ::RegisterClassExW(&wc);
    }();
    if (!registered) return nullptr;
    std::unique_ptr<PopupWindow> popup(new PopupWindow(std::move(handlers)));
    RECT frame{0, 0, 800, 600};
    ::GetWindowRect(owner, &frame);
    // Cascaded from the owner, one caption lower and to the right for each popup open.
    const int step = ::GetSystemMetrics(SM_CYCAPTION) + ::GetSystemMetrics(SM_CYSIZEFRAME);
    const ScreenRect place =
        CascadePopup({frame.left, frame.top, frame.right, frame.bottom}, WorkAreaOf(owner), index, step);
    // Owned by the main window: above it, and destroyed with it.
    HWND hwnd = ::CreateWindowExW(0, kPopupClass, L"", WS_OVERLAPPEDWINDOW, place.left, place.top, place.width(),
                                  place.height(), owner, nullptr, instance, popup.get());
    if (!hwnd) return nullptr;
    RECT client;
    ::GetClientRect(hwnd, &client);
    HWND host = ::CreateWindowExW(0, kBrowserHostClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, client.right,
                                  client.bottom, hwnd, reinterpret_cast<HMENU>(IDC_BROWSER), instance, nullptr);
    if (!host) {
        popup->m_owner.gone = nullptr;  // it never was the owner's
        ::DestroyWindow(hwnd);
        return nullptr;
    }
    popup->m_browser.Attach(host);
    popup->m_dpi = WindowDpi(hwnd);
    SetBrowserEventTarget(host, popup.get(), IDC_BROWSER);
    ::ShowWindow(hwnd, SW_SHOW);
    return popup.release();
}

PopupWindow::~PopupWindow() {
    m_owner.gone = nullptr;  // being deleted already
    if (m_hWnd) ::DestroyWindow(m_hWnd);
}

ComPtr<IDispatch> PopupWindow::Application() { return m_browser.Application(); }

void PopupWindow::OnDocumentComplete(const BrowserEvent& event) {
    if (m_browser.IsTopLevel(event.frame)) pane::ShowDocument(m_browser, m_hWnd, m_dpi);
}

// What the page asked for, within the monitor's work area and at its scale; a size is the
// page's, so the window's frame comes on top of it.
void PopupWindow::Place(std::optional<int> PopupRequest::*part, long value) {
    if (!m_hWnd || value < 0 || value > 100000) return;
    m_request.*part = static_cast<int>(value);
    RECT window{}, client{};
    ::GetWindowRect(m_hWnd, &window);
    ::GetClientRect(m_hWnd, &client);
    const ScreenRect place = PlacePopup(m_request, {window.left, window.top, window.right, window.bottom},
                                        WorkAreaOf(m_hWnd), m_dpi, (window.right - window.left) - client.right,
                                        (window.bottom - window.top) - client.bottom);
    ::SetWindowPos(m_hWnd, nullptr, place.left, place.top, place.width(), place.height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

// window.close() in its page closes it, without the control's prompt.
void PopupWindow::OnWindowClosing(const BrowserEvent& event) {
    if (event.cancel) *event.cancel = VARIANT_TRUE;
    ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK PopupWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<PopupWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_hWnd = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<PopupWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
    case kDpiChangedMessage:
        if (self) self->m_dpi = pane::FollowScale(self->m_browser, hwnd, self->m_dpi, wParam, lParam);
        return 0;
    case WM_ACTIVATE:
    case WM_SETFOCUS:
        pane::FocusPage(hwnd, message, wParam, IDC_BROWSER);
        return 0;
    case WM_SIZE:
        if (HWND host = ::GetDlgItem(hwnd, IDC_BROWSER))
            ::MoveWindow(host, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_NCDESTROY:
        if (self) {
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->m_hWnd = nullptr;
            const auto gone = std::move(self->m_owner.gone);
            if (gone) gone(self);  // may delete it
        }
        break;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

const BrowserEvents::EventSinkEntry* PopupWindow::GetEventSinkMap() const {
    static const EventSinkEntry kMap[] = {
        On(IDC_BROWSER, DISPID_BEFORENAVIGATE2, &PopupWindow::OnBeforeNavigate2),
        On(IDC_BROWSER, DISPID_DOWNLOADCOMPLETE, &PopupWindow::OnDownloadComplete),
        On(IDC_BROWSER, DISPID_DOCUMENTCOMPLETE, &PopupWindow::OnDocumentComplete),
        On(IDC_BROWSER, DISPID_WINDOWCLOSING, &PopupWindow::OnWindowClosing),
        On(IDC_BROWSER, DISPID_NEWWINDOW3, &PopupWindow::OnNewWindow3),
        On(IDC_BROWSER, DISPID_WINDOWSETLEFT, &PopupWindow::OnWindowSetLeft),
        On(IDC_BROWSER, DISPID_WINDOWSETTOP, &PopupWindow::OnWindowSetTop),
        On(IDC_BROWSER, DISPID_WINDOWSETWIDTH, &PopupWindow::OnWindowSetWidth),
        On(IDC_BROWSER, DISPID_WINDOWSETHEIGHT, &PopupWindow::OnWindowSetHeight),
        {0, 0, nullptr},
    };
    return kMap;
}

bool PopupWindow::RefusesSecurityProblem(UINT, unsigned long problem) { return IsCertificateProblem(problem); }

}  // namespace tessel
