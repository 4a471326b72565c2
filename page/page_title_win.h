// The title of the page shown in the browser.
#pragma once

#include <oaidl.h>

#include <optional>

#include "base/text.h"

namespace tessel {

// The document's title through its HTML document interface (empty when the read fails);
// nothing when there is no document or it is not an HTML document.
std::optional<WideString> TitleOfDocument(IDispatch* document);

}  // namespace tessel
