// The title of the page shown in the browser.
#pragma once

#include <optional>

#include "base/text.h"
#include "winui/web_browser.h"

namespace tessel {

// The top-level document's title (empty when its read fails); nothing when there is no
// document or it is not an HTML document.
std::optional<WideString> PageTitle(WebBrowser& browser);

}  // namespace tessel
