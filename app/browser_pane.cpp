#include "app/browser_pane.h"

#include <string>

#include "app/window_size.h"
#include "base/trace_lines.h"
#include "base/trace_win.h"
#include "base/wide_win.h"
#include "winui/dpi_win.h"

namespace tessel::pane {

namespace {
void Zoom(WebBrowser& browser, const std::optional<int>& zoom) {
    if (!zoom) return;
    Trace(lines::kZoom + Latin1ToWide(std::to_string(*zoom)));
    TESSEL_CHECK(browser.SetOpticalZoom(*zoom));
}
}  // namespace

void ShowDocument(WebBrowser& browser, HWND window, int dpi) {
    Zoom(browser, ZoomToApply(dpi, browser.GetOpticalZoom().value_or(0)));
    const auto title = browser.DocumentTitle();
    if (!title) return;  // no document, or not an HTML document: caption unchanged
    Trace(lines::kTitle + *title);
    ::SetWindowTextW(window, W(*title));
}

int FollowScale(WebBrowser& browser, HWND window, int oldDpi, WPARAM wParam, LPARAM lParam) {
    const int dpi = FollowDpiChange(window, wParam, lParam);
    Zoom(browser, ZoomForDpiChange(dpi, oldDpi, browser.GetOpticalZoom().value_or(0)));
    return dpi;
}

void FocusPage(HWND window, UINT message, WPARAM wParam, UINT hostId) {
    if (message == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) return;
    if (HWND host = ::GetDlgItem(window, static_cast<int>(hostId))) ::SetFocus(host);
}

}  // namespace tessel::pane
