// The main dialog: owns every piece of per-run state, from the command line to the browser.
// Its handlers are thin: each hands its work to the subsystem that owns it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "app/resource.h"
#include "app/web_browser2.h"
#include "base/text.h"
#include "params/parameter_map.h"
#include "winui/modal_dialog.h"

namespace tessel {

inline constexpr UINT kBrowserControlId = IDC_BROWSER;
inline constexpr UINT_PTR kStartTimer = 1000;
inline constexpr INT_PTR kWindowPropertyValue = 1234;
// The process's exit status when the launch parameters lack "ServerIP" or "URL".
inline constexpr int kExitMissingParameters = -1;
// The process's exit status for a run that reached a result document but did not deliver it.
inline constexpr int kExitNotDelivered = 2;
// Posted by the download event: the dialog's loop, not the event, starts the delivery.
inline constexpr UINT kDeliverResultMessage = WM_APP + 1;

class StartSequence;
class ResultDelivery;

class CTesselDlg : public ModalDialog {
public:
    explicit CTesselDlg(HWND parent = nullptr);
    ~CTesselDlg() override;

    HICON m_hIcon;
    WideString m_strCommandLine;
    ParameterMap m_params;
    CWebBrowser2 m_browser;

    // Window messages.
    void OnSysCommand(UINT id, bool& handled);
    void OnPaint(bool& handled);
    HICON OnQueryDragIcon();
    void OnSize(UINT type, int cx, int cy);
    void OnClose();
    void OnTimer(UINT_PTR id);
    BOOL OnCopyData(HWND sender, const COPYDATASTRUCT* data);
    void OnDeliverResult();

    // Browser events of the control, bound in the event-sink map.
    void OnBeforeNavigate2(const BrowserEvent& event) override;
    void OnDownloadComplete(const BrowserEvent& event) override;
    void OnDocumentComplete(const BrowserEvent& event) override;

    void ShowStartPage();

    // The launch parameters lacked "ServerIP" or "URL": the run ends unshown.
    bool StartRefused() const { return m_startRefused; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    void OnOK() override {}
    void OnCancel() override {}
    const MessageEntry* GetMessageMap() const override;
    const EventSinkEntry* GetEventSinkMap() const override;

private:
    BOOL RefuseStart();
    void OnLoginDone();
    void ContinueDelivery();
    // While the login runs, what arrives takes effect after it, in its order.
    bool Hold(std::function<void()> action);

    bool m_startRefused = false;
    std::unique_ptr<StartSequence> m_start;       // while the login runs
    std::vector<std::function<void()>> m_held;    // events, requests and a close meanwhile
    WideString m_resultLocation;                  // reached; its delivery is about to start
    std::unique_ptr<ResultDelivery> m_delivery;   // while the tool runs
};

}  // namespace tessel
