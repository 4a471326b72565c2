// The display scale a window is drawn at: per monitor where Windows offers it (Windows 10
// 1607 and later), the system's elsewhere.
#pragma once

#include <windows.h>

namespace tessel {

inline constexpr UINT kDpiChangedMessage = 0x02E0;  // WM_DPICHANGED

// The system DPI, as every Windows reports it to a DPI-aware program.
int SystemDpi();
// The DPI of the monitor the window is on; the system's where Windows has no such call.
int WindowDpi(HWND window);
// WM_DPICHANGED: the window takes the rectangle Windows suggests (lParam), so it keeps its
// physical size on the new monitor. The new DPI (wParam).
int FollowDpiChange(HWND window, WPARAM wParam, LPARAM lParam);

}  // namespace tessel
