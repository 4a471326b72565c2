// The platform's floor: a bare windowed program that shows a window, puts one HTTP request
// on the wire and exits, started exactly as the viewer is.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <exdisp.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR cmd, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"FloorWindow";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowW(L"FloorWindow", L"floor", WS_OVERLAPPEDWINDOW, 0, 0, 1260, 786, nullptr, nullptr,
                              instance, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    // The command line is "HOST PORT".
    std::string host;
    const wchar_t* p = cmd;
    while (*p && *p != L' ') host.push_back(static_cast<char>(*p++));
    const int port = *p ? _wtoi(p + 1) : 80;
    // "HOST PORT browser": also create the web-browser control first, the platform cost
    // that any program hosting it pays before its first request.
    IUnknown* browser = nullptr;
    if (wcsstr(cmd, L"browser")) {
        OleInitialize(nullptr);
        CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                         reinterpret_cast<void**>(&browser));
    }
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<u_short>(port));
    inet_pton(AF_INET, host.c_str(), &addr.sin_addr);
    if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        const char req[] = "GET /floor HTTP/1.0\r\n\r\n";
        send(s, req, sizeof req - 1, 0);
        char buf[256];
        recv(s, buf, sizeof buf, 0);
    }
    closesocket(s);
    WSACleanup();
    if (browser) browser->Release();
    DestroyWindow(hwnd);
    return 0;
}
