// The one-shot start: log in, then open the viewer page with the input document.
#pragma once

#include <windows.h>

#include "params/parameter_map.h"
#include "winui/web_browser.h"

namespace tessel {

// Composes the viewer address, reads the input document, logs in and navigates the browser
// there. An HTTP-layer error that escapes the login is shown in a message box owned by
// `owner` (the one message of the framework's own) and the viewer page is not opened.
void RunStartSequence(ParameterMap& params, WebBrowser& browser, HWND owner);

}  // namespace tessel
