// The operations of the browser control the program uses, behind a small interface:
// the subsystems navigate and read through it, tests put a fake behind it.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <optional>

#include "base/com_win.h"
#include "base/text.h"

namespace tessel {

class WebBrowser {
public:
    // Null pointers mean absent arguments.
    virtual HRESULT Navigate(const WideString& url, VARIANT* postData = nullptr, VARIANT* headers = nullptr) = 0;
    // The current top-level document's title (empty when its read fails); nothing when there
    // is no document or it is not an HTML document.
    virtual std::optional<WideString> DocumentTitle() = 0;
    // The current top-level document's mode as the engine tells it ("11, CSS1Compat").
    virtual std::optional<WideString> DocumentMode() = 0;
    virtual WideString GetLocationURL() = 0;
    // The page's optical zoom in percent, or empty when the control cannot tell.
    virtual std::optional<int> GetOpticalZoom() = 0;
    virtual HRESULT SetOpticalZoom(int percent) = 0;
    // The frame an event names is the top-level page (no frame named counts as it).
    virtual bool IsTopLevel(IDispatch* frame) = 0;

protected:
    ~WebBrowser() = default;
};

}  // namespace tessel
