// Pure decisions behind the browser events: exit words and the result document.
#pragma once

#include <optional>
#include <string>

#include "base/text.h"

namespace tessel {

// Case-sensitive, anywhere in the URL: "LogoutAndExit", "RestartAndExit", "RebootAndExit".
bool ContainsExitWord(WideView url);

// The address without its fragment: what a request for it asks of the server.
WideView WithoutFragment(WideView url);

// The address without its fragment ends in exactly ".xml".
bool IsResultLocation(WideView url);

// The last non-empty piece between '/' characters, query and fragment included.
WideString ResultFileName(WideView url);

// Addresses the program's own pages (and a host, through a navigation request) use for
// their actions; the browser never goes there.
inline constexpr char16_t kRetryAddress[] = u"tessel:retry";
inline constexpr char16_t kCloseAddress[] = u"tessel:close";
// Either, with any query: the program's pages add "?key=<the run's command key>".
enum class PageCommand { None, Retry, Close };
PageCommand PageCommandOf(WideView url);
// The command's query is exactly "?key=" and `key` (never true for an empty key).
bool CarriesCommandKey(WideView url, WideView key);

// Why a request failed, as the key of its words ("reasonRefused", "reasonNotFound",
// "reasonTimeout", "reasonCertificate"), when the failure (a navigation error's status)
// means the server could not be reached, or not trusted; nothing for an answer of the
// server's or any other failure.
std::optional<std::string> UnreachableReason(long status);

}  // namespace tessel
