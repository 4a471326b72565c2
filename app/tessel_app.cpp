// Process start-up: one application object, one modal dialog, then the process ends.
#include <windows.h>

#include <commctrl.h>

#include "app/tessel_dlg.h"
#include "params/command_line.h"

namespace tessel {

class CTesselApp : public Application {
public:
    BOOL InitInstance() override;
    // The dialog's end value, or 1 when the window could not be created.
    int m_exitCode = 0;
};

BOOL CTesselApp::InitInstance() {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&icc);
    InitFramework();
    EnableControlContainer();
    {
        CTesselDlg dlg;
        m_pMainWnd = &dlg;
        dlg.m_strCommandLine = FromW(m_lpCmdLine);
        const INT_PTR result = dlg.DoModal();
        m_exitCode = dlg.StartRefused() ? -1 : result == -1 ? 1 : static_cast<int>(result);
        m_pMainWnd = nullptr;
    }
    Trace(u"exit");
    return FALSE;
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
    app->InitInstance();
    app->ExitInstance();  // OLE ends only now, after the dialog and its control are gone
    // 1: no window could be made (no display, no browser control); 2: a result document
    // was reached but not delivered; 0 otherwise.
    return tessel::theApp.m_exitCode;
}
