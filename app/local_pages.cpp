#include "app/local_pages.h"

#include <algorithm>

namespace tessel {

namespace {
std::optional<WideString> LocalPageUrl(WideView modulePath, WideView page) {
    const std::size_t slash = modulePath.rfind(u'\\');
    if (slash == WideView::npos) return std::nullopt;
    // The folder as it is, blanks included, but for the three characters that would end the
    // path early or change its meaning ('#' a fragment, '?' a query, '%' an escape).
    WideString folder;
    for (const char16_t c : modulePath.substr(0, slash)) {
        if (c == u'#') folder += u"%23";
        else if (c == u'?') folder += u"%3F";
        else if (c == u'%') folder += u"%25";
        else folder += c == u'\\' ? u'/' : c;
    }
    return u"file:///" + folder + u"/html/" + WideString(page);
}
}  // namespace

std::optional<WideString> BuildStartPageUrl(WideView modulePath) { return LocalPageUrl(modulePath, u"progress.html"); }

bool IsStartPageAddress(WideView url) {
    constexpr WideView kSlash = u"/html/progress.html", kBackslash = u"\\html\\progress.html";
    const auto endsWith = [url](WideView tail) {
        return url.size() >= tail.size() && url.substr(url.size() - tail.size()) == tail;
    };
    return endsWith(kSlash) || endsWith(kBackslash);
}

namespace {
// A file address or path as one plain form: "c:/folder/html/page.html", escapes decoded.
WideString PlainFileForm(WideView url) {
    // Only an address has a query or a fragment; a path's '#' or '?' is part of its name.
    const bool address = url.size() >= 5 && (url[0] | 0x20) == u'f' && (url[1] | 0x20) == u'i' &&
                         (url[2] | 0x20) == u'l' && (url[3] | 0x20) == u'e' && url[4] == u':';
    const std::string bytes = ToUtf8(address ? url.substr(0, url.find_first_of(u"?#")) : url);
    const auto hex = [](char h) {
        return h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
    };
    std::string decoded;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (address && bytes[i] == '%' && i + 2 < bytes.size() && hex(bytes[i + 1]) >= 0 && hex(bytes[i + 2]) >= 0) {
            decoded += static_cast<char>(hex(bytes[i + 1]) * 16 + hex(bytes[i + 2]));
            i += 2;
        } else {
            decoded += bytes[i];
        }
    }
    WideString out = Utf8ToWide(decoded);
    for (char16_t& c : out) {
        if (c == u'\\') c = u'/';
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    }
    for (const WideView prefix : {WideView(u"file:///"), WideView(u"file://")})
        if (out.compare(0, prefix.size(), prefix) == 0) return out.substr(prefix.size());
    return out;
}
}  // namespace

bool IsOwnPageAddress(WideView url, WideView modulePath) {
    const WideString plain = PlainFileForm(url);
    for (const char16_t* page : {u"progress.html", u"unreachable.html"}) {
        const auto own = LocalPageUrl(modulePath, page);
        if (own && PlainFileForm(*own) == plain) return true;
    }
    return false;
}

std::optional<WideString> BuildUnreachablePageUrl(WideView modulePath, WideView reason, WideView language,
                                                  WideView commandKey) {
    auto url = LocalPageUrl(modulePath, u"unreachable.html");
    if (!url) return url;
    const auto encoded = [](WideView text) {
        return PercentEncode(ToUtf8(text), [](unsigned char b) {
            return !((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '.');
        });
    };
    *url += u"?lang=" + encoded(language) + u"&reason=" + encoded(reason) + u"&key=" + encoded(commandKey);
    return url;
}

}  // namespace tessel
