#include "app/site_policy_win.h"

namespace tessel {

bool IsBrowserNavigationKey(UINT message, WPARAM key, bool ctrl, bool alt, bool inEditableField) {
    if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN) return false;
    switch (key) {
    case VK_F5:
    case VK_BROWSER_BACK:
    case VK_BROWSER_FORWARD:
    case VK_BROWSER_REFRESH:
    case VK_BROWSER_HOME:
        return true;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_HOME:
        return alt && !ctrl;
    case VK_BACK:
        return !inEditableField && !ctrl && !alt;
    case 'R':
    case 'N':
    case 'O':
    case 'L':
        return ctrl && !alt;  // Ctrl+Alt is AltGr: a character on many keyboards
    default:
        return false;
    }
}

bool ViewerSitePolicy::TakesKey(UINT message, WPARAM key, bool ctrl, bool alt,
                                const std::function<bool()>& inEditableField) const {
    return IsBrowserNavigationKey(message, key, ctrl, alt, key == VK_BACK && inEditableField && inEditableField());
}

std::optional<UINT> ViewerSitePolicy::TrackContextMenu(HWND owner, POINT at,
                                                       const std::function<bool(UINT command)>& enabled) const {
    const MenuHandle menu = BuildEditMenu(m_words, enabled);
    if (!menu) return std::nullopt;
    return static_cast<UINT>(::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | EditMenuLayout(m_words),
                                              at.x, at.y, 0, owner, nullptr));
}

}  // namespace tessel
