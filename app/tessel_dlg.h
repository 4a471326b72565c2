// The main dialog: owns every piece of per-run state, from the command line to the browser.
// Its handlers are thin: each hands its work to the subsystem that owns it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "app/exit_status.h"
#include "app/resource.h"
#include "app/page_window.h"
#include "app/run_rules.h"
#include "app/site_policy_win.h"
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

class StartSequence;
class ResultDelivery;

class CTesselDlg : public ModalDialog, public BrowserEvents, private PageWindowOwner {
public:
    explicit CTesselDlg(HWND parent = nullptr);
    ~CTesselDlg() override;

    HICON m_hIcon;
    WideString m_strCommandLine;
    ParameterMap m_params;
    CWebBrowser2 m_browser;

    // The browser the handlers reach: the control that m_browser wraps, or a stand-in.
    WebBrowser& Browser() { return m_page.Browser(); }
    void UseBrowser(WebBrowser& page) { m_page.UseBrowser(page); }

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
    const std::vector<std::unique_ptr<PageWindow>>& Popups() const { return m_popups; }

    void SpeakTheUsersLanguage();
    void ShowStartPage();
    Phase RunPhase() const { return m_rules.CurrentPhase(); }
    // What the program's own pages add to their commands.
    const WideString& CommandKey() const { return m_rules.CommandKey(); }

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
    // An arrival for the run's rules, and their answer carried out; `event`, when the
    // arrival is a control's event still under way, takes the answer's cancel.
    Answer Take(const Arrival& arrival, const BrowserEvent* event = nullptr);
    void CarryOut(Action action, const Arrival& arrival, const Answer& answer, const BrowserEvent* event);
    PageWindow* PageOf(PageWindowId id);
    void ShowLoginError(DWORD error);
    void ContinueDelivery();
    void FinishFileWork();
    void OpenWindow(const BrowserEvent& event);

    // PageWindowOwner: the main window's page and each popup's report here.
    void OnPageEvent(PageWindow& window, Arrival::Kind kind, const BrowserEvent& event) override;
    bool RefusesSecurityProblem(PageWindow& window, unsigned long problem) override;
    void OnPageWindowGone(PageWindow& window) override;

    RunRules m_rules;
    PageWindow m_page{*this, m_browser, *this};
    std::unique_ptr<StartSequence> m_start;       // while the login runs
    bool m_showingError = false;                  // the login error's message box is up
    WideString m_unreachable;                     // why it failed; its page is about to show
    Words m_words;                                // the program's own, in the user's language
    ViewerSitePolicy m_sitePolicy;                // what its pages may do in the control
    WideString m_resultLocation;                  // reached; its delivery is about to start
    std::unique_ptr<ResultDelivery> m_delivery;   // while curl runs
    std::vector<std::unique_ptr<PageWindow>> m_popups;
    PageWindowId m_lastPopupId = kMainWindow;
};

}  // namespace tessel
