#include "events/page_road_win.h"

#include <windows.h>
#include <wininet.h>

#include <memory>

#include "base/wide_win.h"
#include "events/auto_proxy_win.h"
#include "events/proxy_route.h"

namespace tessel {

namespace {

struct InternetSettings {
    DWORD flags = PROXY_TYPE_DIRECT;
    WideString server, bypass, script;
};

// The settings of the LAN connection, which WinINet uses where no dial-up connection is up.
InternetSettings ReadSettings() {
    InternetSettings settings;
    INTERNET_PER_CONN_OPTIONW options[4] = {};
    options[0].dwOption = INTERNET_PER_CONN_FLAGS;
    options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    options[3].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
    INTERNET_PER_CONN_OPTION_LISTW list{};
    list.dwSize = sizeof list;
    list.dwOptionCount = 4;
    list.pOptions = options;
    DWORD size = sizeof list;
    if (!::InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size)) return settings;
    const GlobalText server(options[1].Value.pszValue), bypass(options[2].Value.pszValue),
        script(options[3].Value.pszValue);
    settings.flags = options[0].Value.dwValue;
    settings.server = server.Value();
    settings.bypass = bypass.Value();
    settings.script = script.Value();
    return settings;
}

// The automatic configuration's answer for the address, or nothing when it gave none.
std::optional<WideString> AutomaticProxy(const WideString& url, const InternetSettings& settings,
                                         const UrlParts& parts) {
    const WideString script =
        settings.flags & PROXY_TYPE_AUTO_PROXY_URL ? settings.script : WideString();
    if (!(settings.flags & PROXY_TYPE_AUTO_DETECT) && script.empty()) return std::nullopt;
    const auto list = AutomaticProxyList(url, script);
    if (!list) return std::nullopt;
    return AutomaticRoute(parts, *list);
}

}  // namespace

WideString SystemProxyFor(const WideString& url) {
    const auto parts = SplitUrl(url);
    if (!parts) return {};
    const InternetSettings settings = ReadSettings();
    if (const auto automatic = AutomaticProxy(url, settings, *parts)) return *automatic;
    if (!(settings.flags & PROXY_TYPE_PROXY)) return {};
    return ManualRoute(*parts, settings.server, settings.bypass);
}

WideString SessionCookiesFor(const WideString& url) {
    DWORD flags = INTERNET_COOKIE_HTTPONLY;
    DWORD units = 0;
    if (!::InternetGetCookieExW(W(url), nullptr, nullptr, &units, flags, nullptr)) {
        // A system that knows no HttpOnly flag hands out what it has without it.
        if (::GetLastError() != ERROR_INVALID_PARAMETER) return {};
        flags = 0;
        if (!::InternetGetCookieExW(W(url), nullptr, nullptr, &units, flags, nullptr)) return {};
    }
    std::wstring cookies(units + 1, L'\0');
    units = static_cast<DWORD>(cookies.size());
    if (!::InternetGetCookieExW(W(url), nullptr, cookies.data(), &units, flags, nullptr)) return {};
    return FromW(cookies.c_str());
}

}  // namespace tessel
