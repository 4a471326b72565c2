// A route from Internet Options' proxy and bypass strings, and from an automatic
// configuration's answer, whatever they hold: direct, or a proxy curl can take (http:// or
// socks4://, a host of printable ASCII without quote, '@' or slash that the settings name,
// a port of 1-65535); the same for every way of writing the same address; direct for a host
// the bypass list names exactly; an automatic answer's first usable entry wins.
#include <algorithm>
#include <string>

#include "delivery/proxy_route.h"
#include "fuzz_support.h"

namespace {

tessel::WideString Upper(tessel::WideString s) {
    for (char16_t& c : s) c = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
    return s;
}

void CheckProxy(const tessel::WideString& proxy, const tessel::WideString& settings) {
    if (proxy.empty()) return;
    const size_t sep = proxy.find(u"://"), colon = proxy.rfind(u':');
    FUZZ_CHECK(sep != tessel::WideString::npos && colon > sep + 3);
    FUZZ_CHECK(proxy.compare(0, sep, u"http") == 0 || proxy.compare(0, sep, u"socks4") == 0);
    const tessel::WideString host = proxy.substr(sep + 3, colon - sep - 3), port = proxy.substr(colon + 1);
    for (const char16_t c : host) FUZZ_CHECK(c > u' ' && c < 0x7F && c != u'"' && c != u'@' && c != u'/' && c != u'\\');
    FUZZ_CHECK(fuzz::Contains(settings, host));
    FUZZ_CHECK(!port.empty() && port.size() <= 5 && port[0] != u'0');
    FUZZ_CHECK(port.find_first_not_of(u"0123456789") == tessel::WideString::npos);
    FUZZ_CHECK(std::stoul(tessel::ToUtf8(port)) <= 65535);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    // Flags, a port, then host, proxy server, bypass list and automatic answer apart by NULs
    // (none of them can hold one).
    const uint8_t flags = data[0];
    const unsigned port = 1 + (data[1] << 8 | data[2]) % 65535;
    tessel::WideString field[4];
    const tessel::WideString text = tessel::Utf8ToWide({reinterpret_cast<const char*>(data + 3), size - 3});
    for (size_t at = 0, n = 0; n < 4 && at <= text.size(); ++n) {
        const size_t end = std::min(text.find(u'\0', at), text.size());
        field[n] = text.substr(at, end - at);
        at = end + 1;
    }
    // A host the bypass list can name: nothing that ends it in an address or splits a list.
    tessel::WideString host;
    for (const char16_t c : field[0])
        if (!fuzz::Contains(u"/?#\\@:[]; ,\t\r\n", {&c, 1})) host += c;
    if (host.empty()) host = u"h";
    const tessel::WideString scheme = flags & 1 ? u"https" : u"http";
    const unsigned effective = flags & 2 ? port : flags & 1 ? 443 : 80;
    const tessel::WideString portText = tessel::Latin1ToWide(std::to_string(effective));
    const tessel::WideString url = scheme + u"://" + host + (flags & 2 ? u":" + portText : u"") + u"/r?q#f";
    const auto parts = tessel::SplitUrl(url);
    FUZZ_CHECK(parts && parts->scheme == scheme && parts->port == effective);

    const tessel::WideString manual = tessel::ManualRoute(*parts, field[1], field[2]);
    const tessel::WideString automatic = tessel::AutomaticRoute(*parts, field[3]);
    CheckProxy(manual, field[1]);
    CheckProxy(automatic, field[3]);

    // The address in capitals with another path is the same address.
    const auto other = tessel::SplitUrl(Upper(url.substr(0, url.find(u'/', scheme.size() + 3))) + u"/other");
    FUZZ_CHECK(other && tessel::ManualRoute(*other, field[1], field[2]) == manual);
    FUZZ_CHECK(tessel::AutomaticRoute(*other, field[3]) == automatic);

    // The host named as the bypass list may name it: bare, with its port, behind its scheme.
    tessel::WideString entry = (flags & 4 ? scheme + u"://" : u"") + host + (flags & 8 ? u":" + portText : u"");
    if (flags & 16) entry = Upper(entry);
    FUZZ_CHECK(tessel::ManualRoute(*parts, field[1], field[2] + u";" + entry).empty());

    // An automatic answer's first usable entry wins, whatever follows it.
    if (!automatic.empty()) FUZZ_CHECK(tessel::AutomaticRoute(*parts, field[3] + u"; " + field[1]) == automatic);
    return 0;
}
