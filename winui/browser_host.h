// The container window for the web-browser control. Its window class is named after the
// control's CLSID, so a dialog template that names the control creates it in place.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <ole2.h>

#include "base/com_win.h"

namespace tessel {

inline constexpr wchar_t kBrowserHostClass[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";

class BrowserEvents;

void RegisterBrowserHostClass(HINSTANCE instance);

// The control's dispatch interface inside a host window, or null.
ComPtr<IWebBrowser2> BrowserOfHost(HWND host);

// Routes the control's events to a target's event-sink map under the given control id.
void SetBrowserEventTarget(HWND host, BrowserEvents* target, UINT controlId);

// Offers a keyboard message to the UI-active control of each browser host in a dialog (the
// object the control handed to its frame). True when a control consumed it.
bool TranslateControlAccelerators(HWND dialog, MSG& msg);

// Makes the object a host embeds; the web-browser control unless a test sets a stand-in.
using ControlFactory = HRESULT (*)(IOleObject** object);
void SetControlFactory(ControlFactory factory);

}  // namespace tessel
