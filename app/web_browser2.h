// Wrapper of the embedded web-browser control: its window, and the three operations the
// program uses, called through the control's dispatch interface.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "winui/win_types.h"

namespace tessel {

class CWebBrowser2 {
public:
    // Binds the wrapper to the control window of a dialog (control binding, no data).
    void Attach(HWND control);
    // For tests: a stand-in dispatch interface with the control's dispatch ids.
    void AttachDispatch(HWND control, ComPtr<IDispatch> dispatch);
    HWND GetSafeHwnd() const { return hwnd_; }

    // Dispatch id 104. Null pointers mean absent arguments.
    HRESULT Navigate(const WideString& url, VARIANT* flags = nullptr, VARIANT* targetFrameName = nullptr,
                     VARIANT* postData = nullptr, VARIANT* headers = nullptr);
    // Dispatch id 203: the current document, possibly null.
    ComPtr<IDispatch> GetDocument();
    // Dispatch id 211.
    WideString GetLocationURL();

private:
    HRESULT Invoke(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result);
    HWND hwnd_ = nullptr;
    ComPtr<IDispatch> dispatch_;
};

}  // namespace tessel
