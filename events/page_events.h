// Pure decisions behind the browser events: exit words and the result document.
#pragma once

#include <optional>
#include <string>

#include "base/text.h"

namespace tessel {

// Case-sensitive, anywhere in the URL: "LogoutAndExit", "RestartAndExit", "RebootAndExit".
bool ContainsExitWord(WideView url);

// The last four units are exactly ".xml".
bool IsResultLocation(WideView url);

// The last non-empty piece between '/' characters, query and fragment included.
WideString ResultFileName(WideView url);

}  // namespace tessel
