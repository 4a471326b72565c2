// Process start-up: one application object, one modal dialog, then the process ends.
#include <windows.h>

#include <commctrl.h>

#include "app/control_features_win.h"
#include "app/tessel_dlg.h"
#include "base/trace_lines.h"
#include "base/trace_win.h"
#include "base/wide_win.h"
#include "params/command_line.h"
#include "winui/application.h"

namespace tessel {

// Its value is the process's exit status (app/exit_status.h).
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
    SetControlFeatures();  // before the dialog makes its control
    ExitStatus status = ExitStatus::Normal;
    {
        CTesselDlg dlg;
        dlg.m_strCommandLine = m_commandLine;
        const std::optional<INT_PTR> result = dlg.DoModal();
        status = result ? static_cast<ExitStatus>(*result) : ExitStatus::WindowNotCreated;
    }
    Trace(lines::kExit);
    return static_cast<int>(status);
}

CTesselApp theApp;

}  // namespace tessel

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    tessel::Application* app = tessel::Application::Current();
    app->m_hInstance = instance;
    // The tail as a GUI entry point gets it, computed from the full command line so the
    // result does not depend on which C runtime start-up code was linked.
    app->m_commandLine = tessel::WideString(tessel::CommandLineTail(tessel::FromW(::GetCommandLineW())));
    return app->Run();
}
