#include "page/page_events.h"

#include "page/page_trust.h"

#include <array>

namespace tessel {

bool ContainsExitWord(WideView url) {
    static constexpr std::array<WideView, 3> kWords = {u"LogoutAndExit", u"RestartAndExit",
                                                        u"RebootAndExit"};
    for (WideView word : kWords)
        if (url.find(word) != WideView::npos) return true;
    return false;
}

WideView WithoutFragment(WideView url) { return url.substr(0, url.find(u'#')); }

bool IsResultLocation(WideView url) {
    url = WithoutFragment(url);
    return url.size() >= 4 && url.substr(url.size() - 4) == u".xml";
}

WideString ResultFileName(WideView url) {
    std::size_t end = url.size();
    while (end > 0 && url[end - 1] == u'/') --end;
    const std::size_t slash = url.rfind(u'/', end == 0 ? 0 : end - 1);
    const std::size_t begin = (slash == WideView::npos || end == 0) ? 0 : slash + 1;
    return WideString(url.substr(begin, end - begin));
}

PageCommand PageCommandOf(WideView url) {
    const WideView address = url.substr(0, url.find(u'?'));
    if (address == kRetryAddress) return PageCommand::Retry;
    if (address == kCloseAddress) return PageCommand::Close;
    return PageCommand::None;
}

bool CarriesCommandKey(WideView url, WideView key) {
    const std::size_t query = url.find(u'?');
    if (key.empty() || query == WideView::npos) return false;
    return url.substr(query) == WideString(u"?key=") + WideString(key);
}

std::optional<std::string> UnreachableReason(long status) {
    switch (static_cast<unsigned long>(status)) {
    case 0x800C0003:  // INET_E_NO_SESSION
    case 0x800C0004:  // INET_E_CANNOT_CONNECT
    case 0x800C0008:  // INET_E_DOWNLOAD_FAILURE: how a refused connection is reported
        return "reasonRefused";
    case 0x800C0005:  // INET_E_RESOURCE_NOT_FOUND: the name was not found
        return "reasonNotFound";
    case 0x800C000B:  // INET_E_CONNECTION_TIMEOUT
        return "reasonTimeout";
    case 0x800C000E:  // INET_E_SECURITY_PROBLEM: the host refused the certificate
    case 0x800C0019:  // INET_E_INVALID_CERTIFICATE
        return "reasonCertificate";
    default:
        // Some builds report the HTTP layer's own error for the certificate.
        if (IsCertificateProblem(static_cast<unsigned long>(status))) return "reasonCertificate";
        return std::nullopt;
    }
}

}  // namespace tessel
