// Bringing the result document from the server into "OutputPath", then deleting it there.
#pragma once

#include <optional>

#include "base/text.h"
#include "params/parameter_map.h"
#include "winui/web_browser.h"

namespace tessel {

enum class Delivery {
    Delivered,     // in place at "OutputPath"; the delete was sent
    NoOutputPath,  // nothing asked for: nothing fetched, nothing deleted
    Failed,        // not delivered: "OutputPath" as it was, the result still on the server
};

// The process's exit status for a run that reached a result document but did not deliver it.
inline constexpr int kExitNotDelivered = 2;

// Downloads `location` with the tool into a new file beside "OutputPath", moves it over
// "OutputPath" only when it arrived whole as a 200 answer, and only then asks the viewer
// base address ("URL") to delete it.
Delivery DeliverResult(ParameterMap& params, const WideString& toolPath, const WideString& location);

// The browser's location after a download: when it is a result document (ends in ".xml"),
// takes the tool from the install folder, delivers the result and gives the exit status
// the run ends with; empty for any other location.
std::optional<int> RetrieveResult(ParameterMap& params, WebBrowser& browser);

}  // namespace tessel
