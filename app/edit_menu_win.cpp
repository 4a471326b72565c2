#include "app/edit_menu_win.h"

#include "base/wide_win.h"

namespace tessel {

namespace {

// The browse context menu of the control's resource library; its text-selection submenu
// holds exactly our five commands.
constexpr WORD kContextMenus = 24641;
constexpr int kTextSelectionMenu = 4;

// The system's labels: from the system folder only, as data (nothing of it runs).
std::array<WideString, 5> LoadSystemLabels() {
    std::array<WideString, 5> labels;
    {
        wchar_t system[MAX_PATH];
        const UINT n = ::GetSystemDirectoryW(system, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return labels;
        const WideString path = FromW(system, n) + u"\\shdoclc.dll";
        const LibraryHandle library(
            ::LoadLibraryExW(W(path), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        if (!library) return labels;
        const MenuHandle menus(::LoadMenuW(library.get(), MAKEINTRESOURCEW(kContextMenus)));
        if (!menus) return labels;
        if (HMENU selection = ::GetSubMenu(menus.get(), kTextSelectionMenu)) {
            for (std::size_t i = 0; i < kEditCommands.size(); ++i) {
                wchar_t text[256] = {};
                const int got = ::GetMenuStringW(selection, kEditCommands[i], text, 256, MF_BYCOMMAND);
                if (got > 0) labels[i] = FromW(text, static_cast<std::size_t>(got));
            }
        }
    }
    return labels;
}

const std::array<WideString, 5>& SystemLabels() {
    static const std::array<WideString, 5> labels = LoadSystemLabels();  // read once
    return labels;
}

}  // namespace

MenuHandle BuildEditMenu(const EditMenuWords& ours, const std::function<bool(UINT command)>& enabled) {
    MenuHandle menu(::CreatePopupMenu());
    if (!menu) return menu;
    const auto& system = SystemLabels();
    const UINT mirrored = ours.rightToLeft ? MFT_RIGHTORDER | MFT_RIGHTJUSTIFY : 0;
    for (std::size_t i = 0; i < kEditCommands.size(); ++i) {
        if (i == 3 || i == 4) ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        const WideString& label = system[i].empty() ? ours.labels[i] : system[i];
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING | MIIM_STATE;
        item.fType = MFT_STRING | mirrored;
        item.fState = enabled(kEditCommands[i]) ? MFS_ENABLED : MFS_GRAYED;
        item.wID = kEditCommands[i];
        item.dwTypeData = const_cast<wchar_t*>(W(label));
        ::InsertMenuItemW(menu.get(), ::GetMenuItemCount(menu.get()), TRUE, &item);
    }
    return menu;
}

UINT EditMenuLayout(const EditMenuWords& words) { return words.rightToLeft ? TPM_LAYOUTRTL : 0; }

}  // namespace tessel
