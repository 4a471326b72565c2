// The route Windows' HTTP layer takes to an address, from the user's Internet Options, as
// curl is to take it too.
#pragma once

#include <optional>

#include "base/text.h"

namespace tessel {

// The parts of an http or https address a route depends on; nothing for any other address.
struct UrlParts {
    WideString scheme;  // lower case
    WideString host;    // lower case, without brackets
    unsigned port = 0;
};
std::optional<UrlParts> SplitUrl(WideView url);

// This machine as the HTTP layer knows it: "localhost", an address of 127.0.0.0/8 written as
// four decimal numbers, and ::1 in any of its IPv6 forms. The HTTP layer never sends these
// through a proxy unless the bypass list holds "<-loopback>", and asks no automatic
// configuration about them.
bool IsLoopbackHost(WideView host);

// The manual part of the settings (ProxyServer, ProxyOverride) applied to one address:
// "host:port" serves every scheme; "http=a:1;https=b:2;socks=c:3" one each, where a scheme
// without its own entry goes through the SOCKS one (version 4, as the HTTP layer speaks it),
// or direct. An override entry is a wildcard pattern ('*', case-insensitive) for the host or
// for host:port, optionally behind "scheme://"; "<local>" stands for every name without a dot.
// Loopback goes direct unless the list holds "<-loopback>".
// The answer is curl's proxy ("http://a:1", "socks4://c:3"), or empty for direct.
WideString ManualRoute(const UrlParts& url, WideView proxyServer, WideView proxyOverride);

// An automatic configuration's answer ("a:1; b:2", or "http=a:1" forms) for one address:
// its first usable entry, as ManualRoute reads one; empty for direct, and always for loopback.
WideString AutomaticRoute(const UrlParts& url, WideView proxyList);

// An environment entry ("NAME=value") that names a proxy for curl (http_proxy, ALL_PROXY,
// NO_PROXY…, any case): the HTTP layer reads none of them, so curl gets none either.
bool IsProxyVariable(WideView entry);

// curl's options for a route: the proxy, or none at all, whatever its environment says.
WideString RouteOptions(WideView proxy);

}  // namespace tessel
