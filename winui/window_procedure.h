// One window procedure for every window of ours. The object a window is made for is bound at
// its first message (a window's WM_NCCREATE, a dialog's WM_INITDIALOG) and answers every
// message from then on in HandleMessage, WM_NCDESTROY last; after that the window has none.
#pragma once

#include <windows.h>

namespace tessel {

// T::Bind(HWND, const CREATESTRUCTW&) gives the window's object (the creation parameter, or
// one made for it); T::HandleMessage(HWND, UINT, WPARAM, LPARAM) answers as a window
// procedure does.
template <typename T>
LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        T* bound = T::Bind(hwnd, *reinterpret_cast<const CREATESTRUCTW*>(lParam));
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bound));
    }
    T* self = reinterpret_cast<T*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return self->HandleMessage(hwnd, message, wParam, lParam);  // may delete it at WM_NCDESTROY
}

// A dialog's: the object is WM_INITDIALOG's parameter; T::HandleMessage answers as a dialog
// procedure does (TRUE when it handled the message).
template <typename T>
INT_PTR CALLBACK DialogProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    T* self = reinterpret_cast<T*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    if (message == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    return self->HandleMessage(hwnd, message, wParam, lParam);
}

}  // namespace tessel
