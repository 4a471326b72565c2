// The edit menu the site shows for the page: Cut, Copy, Paste, Select all, Print, labelled
// as Windows labels them in the user's language.
#pragma once

#include <windows.h>
#include <mshtmcid.h>

#include <array>
#include <functional>

#include "base/handles_win.h"
#include "base/text.h"

namespace tessel {

// The commands in the menu's order (the control's own command ids, IDM_*).
inline constexpr std::array<UINT, 5> kEditCommands = {IDM_CUT, IDM_COPY, IDM_PASTE, IDM_SELECTALL, IDM_PRINT};

// Labels of the program's own, in kEditCommands' order, for where the system's are missing,
// and whether the user's language reads right to left (the menu is then mirrored).
struct EditMenuWords {
    std::array<WideString, 5> labels = {u"Cu&t", u"&Copy", u"&Paste", u"Select &all", u"&Print..."};
    bool rightToLeft = false;
};

// A new popup menu: each command labelled from the browser control's context-menu resource
// (loaded as data from the system folder), else from `words`; separators before Select all
// and Print; a command grayed where `enabled` says no; mirrored for a right-to-left language.
MenuHandle BuildEditMenu(const EditMenuWords& words, const std::function<bool(UINT command)>& enabled);
// TrackPopupMenu's layout flag for the menu.
UINT EditMenuLayout(const EditMenuWords& words);

}  // namespace tessel
