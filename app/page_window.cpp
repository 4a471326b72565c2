#include "app/page_window.h"

#include <exdispid.h>

#include <memory>
#include <string>
#include <utility>

#include "app/resource.h"
#include "app/window_size.h"
#include "base/trace_lines.h"
#include "base/trace_win.h"
#include "base/wide_win.h"
#include "winui/browser_host.h"
#include "winui/dpi_win.h"
#include "winui/window_procedure.h"

namespace tessel {

namespace {
constexpr wchar_t kPopupClass[] = L"TesselPopup";

ScreenRect WorkAreaOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info))
        return {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    return {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

void Zoom(WebBrowser& browser, const std::optional<int>& zoom) {
    if (!zoom) return;
    Trace(lines::kZoom + Latin1ToWide(std::to_string(*zoom)));
    TRACE_IF_FAILED(browser.SetOpticalZoom(*zoom));
}
}  // namespace

PageWindow::PageWindow(PageWindowOwner& owner, WebBrowser& browser, const ModalDialog& dialog)
    : m_owner(owner), m_browser(&browser), m_dialog(&dialog) {}

PageWindow::PageWindow(PageWindowOwner& owner, PageWindowId id) : m_owner(owner), m_id(id) {}

void PageWindow::ReadScale() { m_dpi = WindowDpi(Window()); }

PageWindow* PageWindow::Open(HWND ownerWindow, PageWindowOwner& owner, PageWindowId id, int index) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    static const ATOM registered = [instance] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &WindowProcedure<PageWindow>;
        wc.hInstance = instance;
        wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kPopupClass;
        return ::RegisterClassExW(&wc);
    }();
    if (!registered) return nullptr;
    std::unique_ptr<PageWindow> popup(new PageWindow(owner, id));
    RECT frame{0, 0, 800, 600};
    ::GetWindowRect(ownerWindow, &frame);
    // Cascaded from the owner, one caption lower and to the right for each popup open.
    const int step = ::GetSystemMetrics(SM_CYCAPTION) + ::GetSystemMetrics(SM_CYSIZEFRAME);
    const ScreenRect place =
        CascadePopup({frame.left, frame.top, frame.right, frame.bottom}, WorkAreaOf(ownerWindow), index, step);
    // Owned by the main window: above it, and destroyed with it.
    HWND hwnd = ::CreateWindowExW(0, kPopupClass, L"", WS_OVERLAPPEDWINDOW, place.left, place.top, place.width(),
                                  place.height(), ownerWindow, nullptr, instance, popup.get());
    if (!hwnd) return nullptr;
    RECT client;
    ::GetClientRect(hwnd, &client);
    HWND host = ::CreateWindowExW(0, kBrowserHostClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, client.right,
                                  client.bottom, hwnd, reinterpret_cast<HMENU>(IDC_BROWSER), instance, nullptr);
    if (!host) {
        popup->m_id = kMainWindow;  // never the owner's: its destruction reports nothing
        ::DestroyWindow(hwnd);
        return nullptr;
    }
    popup->m_ownControl.Attach(host);
    popup->m_dpi = WindowDpi(hwnd);
    SetBrowserEventTarget(host, popup.get(), IDC_BROWSER);
    ::ShowWindow(hwnd, SW_SHOW);
    return popup.release();
}

PageWindow::~PageWindow() {
    if (m_id == kMainWindow || !m_hWnd) return;  // the main window is the dialog's
    const HWND window = std::exchange(m_hWnd, nullptr);  // being deleted already: nothing to report
    ::DestroyWindow(window);
}

HWND PageWindow::Control() const { return Window() ? ::GetDlgItem(Window(), IDC_BROWSER) : nullptr; }

void PageWindow::ShowDocument() {
    Zoom(Browser(), ZoomToApply(m_dpi, Browser().GetOpticalZoom().value_or(0)));
    // Said aloud: a server page that asks for no mode runs in IE7's, and breaks silently.
    Trace(lines::kDocumentMode + Browser().DocumentMode().value_or(u"not told"));
    const auto title = Browser().DocumentTitle();
    if (!title) return;  // no document, or not an HTML document: caption unchanged
    Trace(lines::kTitle + *title);
    ::SetWindowTextW(Window(), W(*title));
}

void PageWindow::FollowScale(WPARAM wParam, LPARAM lParam) {
    const int dpi = FollowDpiChange(Window(), wParam, lParam);
    Zoom(Browser(), ZoomForDpiChange(dpi, m_dpi, Browser().GetOpticalZoom().value_or(0)));
    m_dpi = dpi;
}

void PageWindow::FocusPage(UINT message, WPARAM wParam) {
    if (message == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) return;
    if (HWND host = Control()) ::SetFocus(host);
}

// Whatever the kind of sizing.
void PageWindow::FitControl(LPARAM size) {
    HWND control = Control();
    if (!control) return;
    ::MoveWindow(control, 0, 0, LOWORD(size), HIWORD(size), TRUE);
    ::UpdateWindow(control);
}

void PageWindow::OnWindowClosing(const BrowserEvent& event) {
    if (event.cancel) *event.cancel = VARIANT_TRUE;
    Trace(lines::kWindowClosing);
    ::PostMessageW(Window(), WM_CLOSE, 0, 0);
}

void PageWindow::OnDownloadsSettled(UINT) { m_owner.OnPageEvent(*this, Arrival::Kind::DownloadComplete, {}); }

bool PageWindow::RefusesSecurityProblem(UINT, unsigned long problem) {
    return m_owner.RefusesSecurityProblem(*this, problem);
}

// What the page asked for, within the monitor's work area and at its scale; a size is the
// page's, so the window's frame comes on top of it.
void PageWindow::Place(std::optional<int> PopupRequest::*part, long value) {
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

PageWindow* PageWindow::Bind(HWND hwnd, const CREATESTRUCTW& create) {
    auto* self = static_cast<PageWindow*>(create.lpCreateParams);
    self->m_hWnd = hwnd;
    return self;
}

LRESULT PageWindow::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kDpiChangedMessage:
        FollowScale(wParam, lParam);
        return 0;
    case WM_ACTIVATE:
    case WM_SETFOCUS:
        FocusPage(message, wParam);
        return 0;
    case WM_SIZE:
        FitControl(lParam);
        return 0;
    case WM_NCDESTROY:
        if (std::exchange(m_hWnd, nullptr) && m_id != kMainWindow) {
            m_owner.OnPageWindowGone(*this);  // may delete it
            return 0;
        }
        break;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

const BrowserEvents::EventSinkEntry* PageWindow::GetEventSinkMap() const {
    static const EventSinkEntry kMap[] = {
        On(IDC_BROWSER, DISPID_BEFORENAVIGATE2, &PageWindow::OnBeforeNavigate2),
        On(IDC_BROWSER, DISPID_DOWNLOADCOMPLETE, &PageWindow::OnDownloadComplete),
        On(IDC_BROWSER, DISPID_DOCUMENTCOMPLETE, &PageWindow::OnDocumentComplete),
        On(IDC_BROWSER, DISPID_NAVIGATEERROR, &PageWindow::OnNavigateError),
        On(IDC_BROWSER, DISPID_WINDOWCLOSING, &PageWindow::OnWindowClosing),
        On(IDC_BROWSER, DISPID_NEWWINDOW3, &PageWindow::OnNewWindow3),
        On(IDC_BROWSER, DISPID_WINDOWSETLEFT, &PageWindow::OnWindowSetLeft),
        On(IDC_BROWSER, DISPID_WINDOWSETTOP, &PageWindow::OnWindowSetTop),
        On(IDC_BROWSER, DISPID_WINDOWSETWIDTH, &PageWindow::OnWindowSetWidth),
        On(IDC_BROWSER, DISPID_WINDOWSETHEIGHT, &PageWindow::OnWindowSetHeight),
        {0, 0, nullptr},
    };
    return kMap;
}

}  // namespace tessel
