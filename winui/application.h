// The process-wide application object of the dialog layer.
#pragma once

#include <windows.h>

#include "base/text.h"

namespace tessel {

class ModalDialog;

// One application object; the entry point hands it the instance and the command-line tail
// and calls Run, whose value is the process's exit status.
class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // OLE up, InitInstance, OLE down (only after the last dialog and its controls are gone);
    // InitInstance's value is returned.
    int Run();
    static Application* Current();

    // The command-line tail, as a GUI entry point receives it.
    WideString m_commandLine;
    HINSTANCE m_hInstance = nullptr;

protected:
    // The application's own start-up and run; its value is the exit status.
    virtual int InitInstance() = 0;
    // Registers the container window class that dialog templates name by control CLSID.
    void EnableControlContainer();

private:
    bool m_oleStarted = false;
};

}  // namespace tessel
