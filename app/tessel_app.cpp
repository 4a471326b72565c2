// Process start-up: one application object, one modal dialog, then the process ends.
#include <windows.h>

#include <commctrl.h>

#include "app/tessel_dlg.h"
#include "base/trace_win.h"
#include "base/wide_win.h"
#include "params/command_line.h"
#include "winui/application.h"

namespace tessel {

// Exit status: -1 when the launch parameters were refused, 1 when no window could be made
// (no display, no browser control), 2 when a result was reached but not delivered, else 0.
class CTesselApp : public Application {
protected:
    int InitInstance() override;
};

int CTesselApp::InitInstance() {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&icc);
    EnableControlContainer();
    int status = 0;
    {
        CTesselDlg dlg;
        m_pMainWnd = &dlg;
        dlg.m_strCommandLine = FromW(m_lpCmdLine);
        const INT_PTR result = dlg.DoModal();
        status = dlg.StartRefused() ? kExitMissingParameters : result == -1 ? 1 : static_cast<int>(result);
        m_pMainWnd = nullptr;
    }
    Trace(u"exit");
    return status;
}

CTesselApp theApp;

}  // namespace tessel

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    tessel::Application* app = tessel::Application::Current();
    app->m_hInstance = instance;
    // The tail as a GUI entry point gets it, computed from the full command line so the
    // result does not depend on which C runtime start-up code was linked.
    static tessel::WideString tail(tessel::CommandLineTail(tessel::FromW(::GetCommandLineW())));
    app->m_lpCmdLine = tessel::W(tail);
    return app->Run();
}
