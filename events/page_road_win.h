// The road the page's own requests take to an address, read from Windows' HTTP layer: the
// proxy it would use and the cookies it would send.
#pragma once

#include "base/text.h"

namespace tessel {

// The proxy for the address as the tool names it ("http://a:1"), empty for direct. From the
// user's Internet Options: an automatic configuration (a script's address, or detection)
// where it is set and answers; else the manual proxy where it is on; else direct. Can take
// a while (an automatic configuration is fetched): not on the window's thread.
WideString SystemProxyFor(const WideString& url);

// The cookies this process's HTTP layer would send to the address, HttpOnly ones included
// ("a=1; b=2"); empty when there are none.
WideString SessionCookiesFor(const WideString& url);

}  // namespace tessel
