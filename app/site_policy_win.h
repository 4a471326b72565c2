// What the program lets its pages do: nothing leads off the viewer page by a browser key or a
// drop, and the context menu holds only what helps in a form, in the user's language.
#pragma once

#include <windows.h>

#include "app/edit_menu_win.h"
#include "winui/site_policy.h"

namespace tessel {

// The browser's own navigation keys (back, forward, refresh, home, new window, open, address),
// which lead off the viewer page; Backspace only outside an editable field.
bool IsBrowserNavigationKey(UINT message, WPARAM key, bool ctrl, bool alt, bool inEditableField);

class ViewerSitePolicy final : public SitePolicy {
public:
    void SetMenuWords(EditMenuWords words) { m_words = std::move(words); }

    bool TakesKey(UINT message, WPARAM key, bool ctrl, bool alt,
                  const std::function<bool()>& inEditableField) const override;
    // A file dropped on the page neither replaces it nor looks like a result.
    bool RefusesDrops() const override { return true; }
    // Cut, copy, paste, select all and print; no navigation.
    std::optional<UINT> TrackContextMenu(HWND owner, POINT at,
                                         const std::function<bool(UINT command)>& enabled) const override;

private:
    EditMenuWords m_words;
};

}  // namespace tessel
