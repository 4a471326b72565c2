#include "delivery/proxy_route.h"

#include <vector>

namespace tessel {

namespace {

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

WideString Lowered(WideView s) {
    WideString out(s);
    for (char16_t& c : out) c = Lower(c);
    return out;
}

bool IsSeparator(char16_t c) { return c == u';' || c == u',' || c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::vector<WideView> Entries(WideView list) {
    std::vector<WideView> out;
    std::size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && IsSeparator(list[i])) ++i;
        const std::size_t begin = i;
        while (i < list.size() && !IsSeparator(list[i])) ++i;
        if (i > begin) out.push_back(list.substr(begin, i - begin));
    }
    return out;
}

std::optional<unsigned> Port(WideView digits) {
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    unsigned port = 0;
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9') return std::nullopt;
        port = port * 10 + (c - u'0');
    }
    if (port == 0 || port > 65535) return std::nullopt;
    return port;
}

// '*' matches any run of units, everything else itself regardless of case.
bool WildcardMatch(WideView pattern, WideView text) {
    std::size_t p = 0, t = 0, star = WideView::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && Lower(pattern[p]) == Lower(text[t])) {
            ++p;
            ++t;
        } else if (star != WideView::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

// A decimal number of at most `most`, without a sign; nothing for anything else.
std::optional<unsigned> Decimal(WideView digits, unsigned most) {
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    unsigned value = 0;
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    if (value > most) return std::nullopt;
    return value;
}

bool IsLoopbackIpv4(WideView host) {
    unsigned parts = 0;
    std::optional<unsigned> first;
    std::size_t begin = 0;
    while (begin <= host.size()) {
        std::size_t end = host.find(u'.', begin);
        if (end == WideView::npos) end = host.size();
        const auto value = Decimal(host.substr(begin, end - begin), 255);
        if (!value) return false;
        if (parts++ == 0) first = value;
        begin = end + 1;
    }
    return parts == 4 && first == 127u;
}

// Groups of one to four hex digits between colons; nothing when one is not.
std::optional<std::vector<unsigned>> HexGroups(WideView side) {
    std::vector<unsigned> groups;
    if (side.empty()) return groups;
    std::size_t begin = 0;
    while (begin <= side.size()) {
        std::size_t end = side.find(u':', begin);
        if (end == WideView::npos) end = side.size();
        const WideView digits = side.substr(begin, end - begin);
        if (digits.empty() || digits.size() > 4) return std::nullopt;
        unsigned value = 0;
        for (char16_t c : digits) {
            const char16_t l = Lower(c);
            if (l >= u'0' && l <= u'9')
                value = value * 16 + (l - u'0');
            else if (l >= u'a' && l <= u'f')
                value = value * 16 + (l - u'a' + 10);
            else
                return std::nullopt;
        }
        groups.push_back(value);
        begin = end + 1;
    }
    return groups;
}

// ::1 however it is written: eight groups, or fewer with one "::" standing for zeros.
bool IsLoopbackIpv6(WideView host) {
    const std::size_t gap = host.find(u"::");
    std::vector<unsigned> groups;
    if (gap == WideView::npos) {
        const auto all = HexGroups(host);
        if (!all || all->size() != 8) return false;
        groups = *all;
    } else {
        const auto left = HexGroups(host.substr(0, gap));
        const auto right = HexGroups(host.substr(gap + 2));
        if (!left || !right || left->size() + right->size() > 7) return false;
        groups = *left;
        groups.resize(8 - right->size(), 0);
        groups.insert(groups.end(), right->begin(), right->end());
    }
    for (std::size_t g = 0; g < 7; ++g)
        if (groups[g] != 0) return false;
    return groups[7] == 1;
}

bool Bypassed(const UrlParts& url, WideView overrides) {
    if (IsLoopbackHost(url.host)) {
        bool loopbackProxied = false;
        for (WideView entry : Entries(overrides)) loopbackProxied = loopbackProxied || Lowered(entry) == u"<-loopback>";
        if (!loopbackProxied) return true;
    }
    const WideString hostPort = url.host + u':' + Latin1ToWide(std::to_string(url.port));
    for (WideView entry : Entries(overrides)) {
        if (Lowered(entry) == u"<local>") {
            if (url.host.find(u'.') == WideString::npos && url.host.find(u':') == WideString::npos) return true;
            continue;
        }
        const std::size_t sep = entry.find(u"://");
        if (sep != WideView::npos) {
            if (Lowered(entry.substr(0, sep)) != url.scheme) continue;
            entry = entry.substr(sep + 3);
        }
        while (!entry.empty() && entry.back() == u'/') entry.remove_suffix(1);
        if (WildcardMatch(entry, url.host) || WildcardMatch(entry, hostPort)) return true;
    }
    return false;
}

// "host:port" or "scheme://host:port" as curl names a proxy; empty when it is no address.
WideString ProxyAddress(WideView entry, WideView curlScheme, unsigned defaultPort) {
    const std::size_t sep = entry.find(u"://");
    if (sep != WideView::npos) entry = entry.substr(sep + 3);
    while (!entry.empty() && entry.back() == u'/') entry.remove_suffix(1);
    WideView host = entry;
    unsigned port = defaultPort;
    const std::size_t colon = entry.rfind(u':');
    const std::size_t bracket = entry.rfind(u']');
    if (colon != WideView::npos && (bracket == WideView::npos || colon > bracket)) {
        const auto given = Port(entry.substr(colon + 1));
        if (!given) return {};
        port = *given;
        host = entry.substr(0, colon);
    }
    if (host.empty()) return {};
    for (char16_t c : host)
        if (c <= u' ' || c == u'"' || c == u'@' || c == u'/' || c == u'\\' || c >= 0x7F) return {};
    return WideString(curlScheme) + u"://" + WideString(host) + u':' + Latin1ToWide(std::to_string(port));
}

// The proxy that a server list names for the address's scheme.
WideString FromServerList(const UrlParts& url, WideView list) {
    const auto entries = Entries(list);
    WideView socks;
    for (WideView entry : entries) {
        const std::size_t eq = entry.find(u'=');
        if (eq == WideView::npos) {
            // One proxy for every scheme; in a per-scheme list a bare entry counts the same.
            if (entries.size() == 1) return ProxyAddress(entry, u"http", 80);
            continue;
        }
        const WideString scheme = Lowered(entry.substr(0, eq));
        if (scheme == url.scheme) return ProxyAddress(entry.substr(eq + 1), u"http", 80);
        if (scheme == u"socks" && socks.empty()) socks = entry.substr(eq + 1);
    }
    return socks.empty() ? WideString() : ProxyAddress(socks, u"socks4", 1080);
}

}  // namespace

std::optional<UrlParts> SplitUrl(WideView url) {
    const std::size_t sep = url.find(u"://");
    if (sep == WideView::npos) return std::nullopt;
    UrlParts parts;
    parts.scheme = Lowered(url.substr(0, sep));
    if (parts.scheme == u"http")
        parts.port = 80;
    else if (parts.scheme == u"https")
        parts.port = 443;
    else
        return std::nullopt;
    WideView authority = url.substr(sep + 3);
    authority = authority.substr(0, authority.find_first_of(u"/?#\\"));
    const std::size_t at = authority.rfind(u'@');
    if (at != WideView::npos) authority = authority.substr(at + 1);
    WideView host = authority;
    if (!authority.empty() && authority[0] == u'[') {
        const std::size_t close = authority.find(u']');
        if (close == WideView::npos) return std::nullopt;
        host = authority.substr(1, close - 1);
        const WideView rest = authority.substr(close + 1);
        if (!rest.empty()) {
            const auto port = rest[0] == u':' ? Port(rest.substr(1)) : std::nullopt;
            if (!port) return std::nullopt;
            parts.port = *port;
        }
    } else if (const std::size_t colon = authority.find(u':'); colon != WideView::npos) {
        host = authority.substr(0, colon);
        if (colon + 1 < authority.size()) {
            const auto port = Port(authority.substr(colon + 1));
            if (!port) return std::nullopt;
            parts.port = *port;
        }
    }
    if (host.empty()) return std::nullopt;
    parts.host = Lowered(host);
    return parts;
}

WideString ManualRoute(const UrlParts& url, WideView proxyServer, WideView proxyOverride) {
    if (Bypassed(url, proxyOverride)) return {};
    return FromServerList(url, proxyServer);
}

bool IsLoopbackHost(WideView host) {
    if (Lowered(host) == u"localhost") return true;
    return host.find(u':') == WideView::npos ? IsLoopbackIpv4(host) : IsLoopbackIpv6(host);
}

WideString AutomaticRoute(const UrlParts& url, WideView proxyList) {
    if (IsLoopbackHost(url.host)) return {};
    for (WideView entry : Entries(proxyList)) {
        const WideString proxy = FromServerList(url, entry);
        if (!proxy.empty()) return proxy;
    }
    return {};
}

bool IsProxyVariable(WideView entry) {
    const std::size_t eq = entry.find(u'=', 1);  // a name may begin with '=' ("=C:")
    const WideString name = Lowered(entry.substr(0, eq));
    return name.size() > 6 && name.compare(name.size() - 6, 6, u"_proxy") == 0;
}

WideString RouteOptions(WideView proxy) {
    // "--noproxy *" turns every proxy off, the environment's included (quoted: a runtime that
    // expands wildcards in arguments leaves it alone); an explicit proxy is used as given.
    if (proxy.empty()) return u" --noproxy \"*\"";
    return u" --proxy " + WideString(proxy);
}

}  // namespace tessel
