// Wrapper of the embedded web-browser control: its window and its IWebBrowser2.
#pragma once

#include <windows.h>
#include <exdisp.h>

#include "base/com_win.h"
#include "winui/web_browser.h"

namespace tessel {

class CWebBrowser2 final : public WebBrowser {
public:
    // Binds the wrapper to the control window of a dialog (control binding, no data).
    void Attach(HWND control);
    // Binds it to an interface made elsewhere (a stand-in in tests).
    void Attach(HWND control, ComPtr<IWebBrowser2> browser);
    HWND GetSafeHwnd() const { return m_hWnd; }

    HRESULT Navigate(const WideString& url, VARIANT* postData = nullptr, VARIANT* headers = nullptr) override;
    std::optional<WideString> DocumentTitle() override;
    std::optional<WideString> DocumentMode() override;
    // The current top-level document, or null.
    ComPtr<IDispatch> GetDocument();
    WideString GetLocationURL() override;
    std::optional<int> GetOpticalZoom() override;
    HRESULT SetOpticalZoom(int percent) override;
    bool IsTopLevel(IDispatch* frame) override;
    // The control's automation object for a page that opened it, found by name as well.
    ComPtr<IDispatch> Application();

private:
    HWND m_hWnd = nullptr;
    ComPtr<IWebBrowser2> m_browser;
};

}  // namespace tessel
