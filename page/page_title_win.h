// What the page shown in the browser says of itself: its title and its document mode.
#pragma once

#include <oaidl.h>

#include <optional>

#include "base/text.h"

namespace tessel {

// The document's title through its HTML document interface (empty when the read fails);
// nothing when there is no document or it is not an HTML document.
std::optional<WideString> TitleOfDocument(IDispatch* document);

// The engine's mode for the document, read by name through its dispatch ("11, CSS1Compat":
// documentMode, then compatMode where it is told); nothing when the document tells none. A
// page that asks for no mode (X-UA-Compatible) gets the control's IE7 mode, silently.
std::optional<WideString> DocumentModeOf(IDispatch* document);

}  // namespace tessel
