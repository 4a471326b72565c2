#include "winui/application.h"

#include <ole2.h>

#include "winui/browser_host.h"

namespace tessel {

namespace {
Application* g_app = nullptr;
}

Application::Application() { g_app = this; }

Application::~Application() {
    if (m_oleStarted) ::OleUninitialize();
    g_app = nullptr;
}

Application* Application::Current() { return g_app; }

int Application::Run() {
    // OLE on this thread, for the embedded controls.
    m_oleStarted = SUCCEEDED(::OleInitialize(nullptr));
    const int status = InitInstance();
    if (m_oleStarted) ::OleUninitialize();
    m_oleStarted = false;
    return status;
}

void Application::EnableControlContainer() { RegisterBrowserHostClass(m_hInstance); }

}  // namespace tessel
