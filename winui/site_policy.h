// What a program lets its pages do in the control's site: the site asks, the program answers.
// Without a policy the site leaves keys, drops and the context menu to the control.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

namespace tessel {

class SitePolicy {
public:
    // A key the host takes before the control acts on it; it never reaches the page.
    // `inEditableField` is asked for Backspace only (reading the focus costs a walk of frames).
    virtual bool TakesKey(UINT message, WPARAM key, bool ctrl, bool alt,
                          const std::function<bool()>& inEditableField) const = 0;
    // Whether anything dragged onto the page is refused (else the control handles it).
    virtual bool RefusesDrops() const = 0;
    // Shows the page's context menu for `owner` at `at` (screen coordinates); `enabled` says
    // which of the control's commands can run. The command chosen (0: none), or nothing where
    // the program shows no menu of its own (the control's then).
    virtual std::optional<UINT> TrackContextMenu(HWND owner, POINT at,
                                                 const std::function<bool(UINT command)>& enabled) const = 0;

protected:
    ~SitePolicy() = default;
};

// The policy every site asks from now on (null: the control's own behaviour); it must outlive
// the sites' use of it.
void SetSitePolicy(const SitePolicy* policy);

}  // namespace tessel
