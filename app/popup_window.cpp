#include "app/popup_window.h"

#include <exdispid.h>

#include <memory>

#include "app/resource.h"
#include "base/trace_win.h"
#include "app/window_size.h"
#include "base/trace_lines.h"
#include "winui/browser_host.h"
#include "winui/dpi_win.h"

namespace tessel {

namespace {
constexpr wchar_t kPopupClass[] = L"TesselPopup";
}  // namespace

PopupWindow* PopupWindow::Open(HWND owner, Owner handlers) {
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
    const int width = (frame.right - frame.left) * 3 / 4, height = (frame.bottom - frame.top) * 3 / 4;
    // Owned by the main window: above it, and destroyed with it.
    HWND hwnd = ::CreateWindowExW(0, kPopupClass, L"", WS_OVERLAPPEDWINDOW, frame.left + 40, frame.top + 40, width,
                                  height, owner, nullptr, instance, popup.get());
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
    if (!m_browser.IsTopLevel(event.frame)) return;
    if (const auto title = m_browser.DocumentTitle()) ::SetWindowTextW(m_hWnd, W(*title));
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
        // As the main window: its physical size on the new monitor, the page at the new scale.
        if (self) {
            const int old = self->m_dpi;
            self->m_dpi = FollowDpiChange(hwnd, wParam, lParam);
            if (const auto zoom = ZoomForDpiChange(self->m_dpi, old, self->m_browser.GetOpticalZoom().value_or(0))) {
                Trace(lines::kZoom + Latin1ToWide(std::to_string(*zoom)));
                TESSEL_CHECK(self->m_browser.SetOpticalZoom(*zoom));
            }
        }
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
        {0, 0, nullptr},
    };
    return kMap;
}

}  // namespace tessel
