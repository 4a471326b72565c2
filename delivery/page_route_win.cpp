#include "delivery/page_route_win.h"

#include <windows.h>
#include <urlmon.h>
#include <wincrypt.h>
#include <wininet.h>

#include <memory>

#include "base/com_win.h"
#include "base/handles_win.h"
#include "base/wide_win.h"
#include "delivery/auto_proxy_win.h"
#include "page/page_trust.h"
#include "delivery/proxy_route.h"

namespace tessel {

namespace {

WideView WithoutQuery(WideView url) { return url.substr(0, url.find_first_of(u"?#")); }

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
    // Loopback: never asked of an automatic configuration, direct unless "<-loopback>".
    if (!IsLoopbackHost(parts->host))
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

namespace {

// The SHA-256 of the leaf's public key (its DER SubjectPublicKeyInfo), as curl pins it.
WideString AcceptedKey(HINTERNET request) {
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    DWORD size = sizeof chain;
    if (!::InternetQueryOptionW(request, INTERNET_OPTION_SERVER_CERT_CHAIN_CONTEXT, &chain, &size)) return {};
    const CertChain owned(chain);
    if (!chain || chain->cChain == 0 || chain->rgpChain[0]->cElement == 0) return {};
    const PCCERT_CONTEXT leaf = chain->rgpChain[0]->rgpElement[0]->pCertContext;
    BYTE* der = nullptr;
    DWORD derSize = 0;
    if (!::CryptEncodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, &leaf->pCertInfo->SubjectPublicKeyInfo,
                               CRYPT_ENCODE_ALLOC_FLAG, nullptr, &der, &derSize))
        return {};
    const LocalMemory ownedDer(der);
    unsigned char hash[32];
    DWORD hashSize = sizeof hash;
    if (!::CryptHashCertificate2(BCRYPT_SHA256_ALGORITHM, 0, nullptr, der, derSize, hash, &hashSize) ||
        hashSize != sizeof hash)
        return {};
    return PinnedKey(hash);
}

}  // namespace

ServerCertificate CheckServerCertificate(const WideString& url) {
    ServerCertificate result;
    std::wstring host(INTERNET_MAX_HOST_NAME_LENGTH + 1, L'\0'), path(INTERNET_MAX_PATH_LENGTH + 1, L'\0');
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host.data();
    parts.dwHostNameLength = static_cast<DWORD>(host.size());
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    const WideString plain(WithoutQuery(url));
    if (!::InternetCrackUrlW(W(plain), 0, 0, &parts) || parts.nScheme != INTERNET_SCHEME_HTTPS) {
        result.error = ::GetLastError();
        return result;
    }
    const InternetHandle session(::InternetOpenW(L"tessel", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) {
        result.error = ::GetLastError();
        return result;
    }
    const DWORD timeout = 30000;
    ::InternetSetOptionW(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, const_cast<DWORD*>(&timeout), sizeof timeout);
    ::InternetSetOptionW(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, const_cast<DWORD*>(&timeout), sizeof timeout);
    const InternetHandle connection(::InternetConnectW(session.get(), host.c_str(), parts.nPort, nullptr, nullptr,
                                                       INTERNET_SERVICE_HTTP, 0, 0));
    const DWORD flags = INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH | INTERNET_FLAG_NO_UI |
                        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;
    const InternetHandle request(connection ? ::HttpOpenRequestW(connection.get(), L"OPTIONS",
                                                                 path[0] ? path.c_str() : L"/", nullptr, nullptr,
                                                                 nullptr, flags, 0)
                                            : nullptr);
    if (!request || !::HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) {
        result.error = ::GetLastError();
        return result;
    }
    result.pinnedKey = AcceptedKey(request.get());
    return result;
}

bool SilentLogonFor(const WideString& url) {
    ComPtr<IInternetSecurityManager> security;
    if (FAILED(::CoInternetCreateSecurityManager(nullptr, &security, 0))) return false;
    DWORD zone = 0;
    if (FAILED(security->MapUrlToZone(W(url), &zone, 0))) return false;
    ComPtr<IInternetZoneManager> zones;
    if (FAILED(::CoInternetCreateZoneManager(nullptr, &zones, 0))) return false;
    DWORD policy = kLogonPrompt;
    if (FAILED(zones->GetZoneActionPolicy(zone, URLACTION_CREDENTIALS_USE, reinterpret_cast<BYTE*>(&policy),
                                          sizeof policy, URLZONEREG_DEFAULT)))
        return false;
    return SignsInSilently(zone, policy);
}

}  // namespace tessel
