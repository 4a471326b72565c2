// Pure decisions behind the browser events: exit words and the result document.
#pragma once

#include <optional>
#include <string>

#include "params/text.h"

namespace tessel {

// Case-sensitive, anywhere in the URL: "LogoutAndExit", "RestartAndExit", "RebootAndExit".
bool ContainsExitWord(WideView url);

// The last four units are exactly ".xml".
bool IsResultLocation(WideView url);

// The last non-empty piece between '/' characters, query and fragment included.
WideString ResultFileName(WideView url);

// Units that could end a quoted argument or start a new one on a command line (controls,
// blank, double quote, DEL) are percent-encoded, so a location can add no argument.
WideString EscapeCommandLineUrl(WideView text);

// Room in the program's fixed buffers, terminator excluded.
inline constexpr std::size_t kCommandLineChars = 1023;
inline constexpr std::size_t kWidePieceUnits = 1023;

// Download: tool -fko "output" "url". -f keeps an HTTP error page from being taken for
// the result. Empty when a piece holds a unit above U+00FF, a piece or the whole line
// would not fit its buffer, or the output path could break out of its quotes.
std::optional<std::string> FormatDownloadCommand(WideView toolPath, std::string_view outputPath,
                                                 WideView locationUrl);
// Delete: tool -kX DELETE base?file=name, nothing quoted.
std::optional<std::string> FormatDeleteCommand(WideView toolPath, std::string_view viewerBase,
                                               WideView fileName);

}  // namespace tessel
