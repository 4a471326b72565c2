// What every window that shows a page does alike, the main window and each popup: the caption
// follows the page's title, the page is drawn at its monitor's scale, and the focus goes back
// into the page when the window is activated. The dialog decides what a page's events mean
// for the run; the windows share these parts.
#pragma once

#include <windows.h>

#include "winui/web_browser.h"

namespace tessel::pane {

// The top-level document arrived: its zoom where the control did not scale it to `dpi`
// itself, and its title as the window's caption (unchanged where there is none).
void ShowDocument(WebBrowser& browser, HWND window, int dpi);

// WM_DPICHANGED: the window takes the suggested rectangle and the page the new scale.
// The new DPI.
int FollowScale(WebBrowser& browser, HWND window, int oldDpi, WPARAM wParam, LPARAM lParam);

// WM_ACTIVATE or WM_SETFOCUS of a window whose only content is the control's host: the
// focus goes into the page (the host passes it on to the control).
void FocusPage(HWND window, UINT message, WPARAM wParam, UINT hostId);

}  // namespace tessel::pane
