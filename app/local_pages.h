// The program's own pages beside the executable: the start page and the page shown when the
// viewer cannot be reached.
#pragma once

#include <optional>

#include "base/text.h"

namespace tessel {

// "file:///" + executable folder with '/' for '\' + "/html/progress.html", nothing escaped.
// Empty when the path holds no backslash (no folder to point into).
std::optional<WideString> BuildStartPageUrl(WideView modulePath);
// The start page as the control names it in its events (file URL or path form).
bool IsStartPageAddress(WideView url);
// One of the program's own pages beside the executable at `modulePath`, in any form the
// control reports it: file URL or path, escaped or not, any letter case, with any query.
bool IsOwnPageAddress(WideView url, WideView modulePath);
// The page shown when the viewer cannot be reached, beside the start page, with the language
// of its words, the reason and the key its commands carry in its query (percent-encoded as
// UTF-8).
std::optional<WideString> BuildUnreachablePageUrl(WideView modulePath, WideView reason, WideView language,
                                                  WideView commandKey);

}  // namespace tessel
