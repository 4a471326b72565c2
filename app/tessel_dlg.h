// The main dialog: owns every piece of per-run state, from the command line to the browser.
#pragma once

#include <windows.h>

#include "app/web_browser2.h"
#include "params/parameter_map.h"
#include "winui/modal_dialog.h"

namespace tessel {

inline constexpr UINT kDialogTemplate = 102;
inline constexpr UINT kBrowserControlId = 1001;
inline constexpr UINT kIconGroup = 128;
inline constexpr UINT_PTR kStartTimer = 1000;
inline constexpr INT_PTR kWindowPropertyValue = 1234;

class CTesselDlg : public ModalDialog {
public:
    explicit CTesselDlg(HWND parent = nullptr);
    ~CTesselDlg() override;

    HICON m_hIcon;
    WideString m_strCommandLine;
    ParameterMap m_params;
    CWebBrowser2 m_browser;

    // Window messages.
    void OnSysCommand(UINT id, LPARAM lParam, bool& handled);
    void OnPaint(bool& handled);
    HICON OnQueryDragIcon();
    void OnSize(UINT type, int cx, int cy);
    void OnClose();
    void OnTimer(UINT_PTR id);
    BOOL OnCopyData(HWND sender, const COPYDATASTRUCT* data);

    // Browser events of control 1001.
    void OnBeforeNavigate2(IDispatch* frame, VARIANT* url, VARIANT* flags, VARIANT* targetFrameName,
                           VARIANT* postData, VARIANT* headers, VARIANT_BOOL* cancel);
    void OnDownloadComplete();
    void OnDocumentComplete(IDispatch* frame, VARIANT* url);

    void ShowStartPage();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    void OnOK() override {}
    void OnCancel() override {}
    const MessageEntry* GetMessageMap() const override;
    const EventSinkEntry* GetEventSinkMap() const override;

public:
    // The launch parameters lacked "ServerIP" or "URL": the process ends with -1, unshown.
    bool StartRefused() const { return m_startRefused; }

private:
    BOOL RefuseStart();
    bool m_startRefused = false;
};

}  // namespace tessel
