#include "winui/dpi_win.h"

#include "base/handles_win.h"

namespace tessel {

namespace {
constexpr int kBaseDpi = 96;
}  // namespace

int SystemDpi() {
    const ScreenDc screen(::GetDC(nullptr));
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : kBaseDpi;
    return dpi > 0 ? dpi : kBaseDpi;
}

int WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const UINT dpi = getDpiForWindow && window ? getDpiForWindow(window) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

int FollowDpiChange(HWND window, WPARAM wParam, LPARAM lParam) {
    if (const auto* suggested = reinterpret_cast<const RECT*>(lParam))
        ::SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    const int dpi = HIWORD(wParam);  // the Y DPI; X and Y are the same on Windows
    return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace tessel
