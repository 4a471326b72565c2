// The main dialog: owns every piece of per-run state, from the command line to the browser.
// Its handlers are thin: each hands its work to the subsystem that owns it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "app/exit_status.h"
#include "app/resource.h"
#include "app/run_phase.h"
#include "app/web_browser2.h"
#include "app/words.h"
#include "base/text.h"
#include "params/parameter_map.h"
#include "winui/browser_events.h"
#include "winui/modal_dialog.h"

namespace tessel {

inline constexpr UINT kBrowserControlId = IDC_BROWSER;
inline constexpr UINT_PTR kStartTimer = 1000;
inline constexpr INT_PTR kWindowPropertyValue = 1234;
// Posted by the download event: the dialog's loop, not the event, starts the delivery.
inline constexpr UINT kDeliverResultMessage = WM_APP + 1;
// Posted by the navigation error: the loop, not the event, shows the program's own page.
inline constexpr UINT kShowUnreachableMessage = WM_APP + 2;

class PopupWindow;
class StartSequence;
class ResultDelivery;

class CTesselDlg : public ModalDialog, public BrowserEvents {
public:
    explicit CTesselDlg(HWND parent = nullptr);
    ~CTesselDlg() override;

    HICON m_hIcon;
    WideString m_strCommandLine;
    ParameterMap m_params;
    CWebBrowser2 m_browser;

    // The browser the handlers reach: the control that m_browser wraps, or a stand-in.
    WebBrowser& Browser() { return *m_page; }
    void UseBrowser(WebBrowser& page) { m_page = &page; }

    // Window messages, each reading its own arguments.
    MessageResult OnSysCommand(WPARAM id, LPARAM);
    MessageResult OnPaint(WPARAM, LPARAM);
    MessageResult OnQueryDragIcon(WPARAM, LPARAM);
    MessageResult OnSize(WPARAM type, LPARAM size);
    MessageResult OnDpiChanged(WPARAM dpi, LPARAM suggested);
    MessageResult OnClose(WPARAM, LPARAM);
    MessageResult OnTimer(WPARAM id, LPARAM);
    MessageResult OnCopyData(WPARAM sender, LPARAM data);
    MessageResult OnDeliverResult(WPARAM, LPARAM);
    MessageResult OnShowUnreachable(WPARAM, LPARAM);
    MessageResult OnQueryEndSession(WPARAM, LPARAM);
    MessageResult OnEndSession(WPARAM ending, LPARAM);

    // Browser events of the control, bound in the event-sink map.
    void OnBeforeNavigate2(const BrowserEvent& event);
    void OnDownloadComplete(const BrowserEvent& event);
    void OnDocumentComplete(const BrowserEvent& event);
    void OnNavigateError(const BrowserEvent& event);
    void OnWindowClosing(const BrowserEvent& event);
    void OnNewWindow3(const BrowserEvent& event);
    // The result check's route: DownloadComplete, and the site's reports that the control's
    // downloads settled (its download-state command and its status text).
    void OnDownloadsSettled(UINT controlId) override;
    bool RefusesSecurityProblem(UINT controlId, unsigned long problem) override;
    // Windows the pages opened, while they are open.
    const std::vector<std::unique_ptr<PopupWindow>>& Popups() const { return m_popups; }

    void SpeakTheUsersLanguage();
    void ShowStartPage();
    Phase RunPhase() const { return m_phase; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    void OnOK() override {}
    void OnCancel() override {}
    const MessageEntry* GetMessageMap() const override;
    const EventSinkEntry* GetEventSinkMap() const override;

private:
    BOOL RefuseStart();
    void End(ExitStatus status);
    void StartRun();
    // The result check, for the main page's control or a popup's: now, or once the viewer
    // has been asked for (a popup's check held while a retry's login runs).
    void ResultCheck(WebBrowser& browser);
    void CheckForResult(WebBrowser& browser);
    void OnLoginDone();
    // The program's own page commands, from its pages or a host's navigation request.
    bool RunPageCommand(WideView url);
    // A navigation about to start: the program's commands (obeyed only from its own page),
    // the way back to the start page, exit words.
    void HandleNavigation(const BrowserEvent& event, bool ownPage);
    void ShowLoginError(DWORD error);
    void NavigateOnRequest(const WideString& url);
    void ContinueDelivery();
    // What the phase decides for an arrival: true to act now. One to hold is kept, with
    // `replay`, for after the viewer request.
    bool Admit(Arrival arrival, std::function<void()> replay = nullptr);
    // A close or the end of the session, in whatever phase the run is.
    void Stop();

    WebBrowser* m_page = &m_browser;
    Phase m_phase = Phase::Opening;
    std::unique_ptr<StartSequence> m_start;       // while the login runs
    std::vector<std::function<void()>> m_held;    // events and requests meanwhile
    bool m_showingError = false;                  // the login error's message box is up
    bool m_startPageShown = false;                // once: going back there is refused
    bool m_viewerOutstanding = false;             // the viewer request is the top-level navigation
    bool m_viewerNavigationSeen = false;          // its own BeforeNavigate2 has come
    unsigned long m_certificateProblem = 0;       // refused for the viewer request
    WideString m_unreachable;                     // why it failed; its page is about to show
    Words m_words;                                // the program's own, in the user's language
    int m_dpi = 96;                               // the scale of the window's monitor
    WideString m_resultLocation;                  // reached; its delivery is about to start
    std::unique_ptr<ResultDelivery> m_delivery;   // while the tool runs
    std::vector<std::unique_ptr<PopupWindow>> m_popups;
};

}  // namespace tessel
