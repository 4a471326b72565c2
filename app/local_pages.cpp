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

std::optional<WideString> BuildUnreachablePageUrl(WideView modulePath, WideView reason, WideView language) {
    auto url = LocalPageUrl(modulePath, u"unreachable.html");
    if (!url) return url;
    const auto encoded = [](WideView text) {
        return PercentEncode(ToUtf8(text), [](unsigned char b) {
            return !((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '.');
        });
    };
    *url += u"?lang=" + encoded(language) + u"&reason=" + encoded(reason);
    return url;
}

}  // namespace tessel
