#include "delivery/auto_proxy_win.h"

#include <winhttp.h>

#include <memory>

#include "base/wide_win.h"

namespace tessel {

WideString GlobalText::Value() const { return text ? FromW(text) : WideString(); }

namespace {
struct WinHttpCloser {
    void operator()(HINTERNET h) const { ::WinHttpCloseHandle(h); }
};
}  // namespace

std::optional<WideString> AutomaticProxyList(const WideString& url, const WideString& scriptUrl) {
    std::unique_ptr<void, WinHttpCloser> session(
        ::WinHttpOpen(L"tessel", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return std::nullopt;
    WINHTTP_AUTOPROXY_OPTIONS options{};
    if (!scriptUrl.empty()) {
        options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = W(scriptUrl);
    } else {
        options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    }
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO info{};
    if (!::WinHttpGetProxyForUrl(session.get(), W(url), &options, &info)) return std::nullopt;
    const GlobalText proxy(info.lpszProxy), bypass(info.lpszProxyBypass);
    return info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY ? proxy.Value() : WideString();
}

}  // namespace tessel
