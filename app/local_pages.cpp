#include "app/local_pages.h"

#include <algorithm>

namespace tessel {

namespace {
std::optional<WideString> LocalPageUrl(WideView modulePath, WideView page) {
    const std::size_t slash = modulePath.rfind(u'\\');
    if (slash == WideView::npos) return std::nullopt;
    WideString folder(modulePath.substr(0, slash));
    std::replace(folder.begin(), folder.end(), u'\\', u'/');
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

std::optional<WideString> BuildUnreachablePageUrl(WideView modulePath, WideView reason) {
    auto url = LocalPageUrl(modulePath, u"unreachable.html");
    if (!url) return url;
    *url += u"?reason=";
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    for (const unsigned char b : ToUtf8(reason)) {
        const bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '.';
        if (plain) {
            *url += static_cast<char16_t>(b);
        } else {
            *url += u'%';
            *url += kHex[b >> 4];
            *url += kHex[b & 0xF];
        }
    }
    return url;
}

}  // namespace tessel
