// Process start-up: one application object, one modal dialog, then the process ends.
#include <windows.h>

#include <commctrl.h>

#include "app/tessel_dlg.h"
#include "params/command_line.h"

namespace tessel {

class CTesselApp : public Application {
public:
    BOOL InitInstance() override;
    bool m_dialogCreated = false;
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
        m_dialogCreated = dlg.DoModal() != -1;
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
    // A window that could not be made (no display, no browser control) is a failed start.
    return tessel::theApp.m_dialogCreated ? 0 : 1;
}
