#include "app/platform_win.h"
#include "app/shell_logic.h"

namespace tessel {

namespace {

constexpr wchar_t kAcceptLine[] =
    L"Accept: audio/x-aiff, audio/basic, audio/midi, audio/mpeg, audio/wav, image/jpeg, image/gif, "
    L"image/jpg, image/png, image/mng, image/bmp, text/plain, text/html, text/htm\r\n";
constexpr wchar_t kUserAgentLine[] = L"User-Agent: FOOBW/1.0\r\n";
constexpr DWORD kRelaxedCertificateChecks = 0x3100;

void SetDword(HINTERNET h, DWORD option, DWORD value) {
    ::InternetSetOptionW(h, option, &value, sizeof value);
}

void RelaxCertificateChecks(HINTERNET request) {
    DWORD flags = 0, len = sizeof flags;
    ::InternetQueryOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, &len);
    flags |= kRelaxedCertificateChecks;
    ::InternetSetOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof flags);
}

bool StatusIs200(HINTERNET request) {
    wchar_t text[40] = {};  // 80 bytes
    DWORD len = sizeof text;
    if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE, text, &len, nullptr)) return false;
    return ::_wtoi(text) == 200;
}

bool IsCertificateError(DWORD code) {
    return code == ERROR_INTERNET_SEC_CERT_DATE_INVALID || code == ERROR_INTERNET_SEC_CERT_CN_INVALID ||
           code == ERROR_INTERNET_INVALID_CA;
}

}  // namespace

bool LoginToServer(const WideString& host) {
    // The agent name is the application's, as the framework's session would pass it.
    const WideString agent = PropertyNameFromModulePath(ModulePath());
    InternetHandle session(::InternetOpenW(W(agent), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) throw InternetError{::GetLastError()};
    SetDword(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, 30000);
    SetDword(session.get(), INTERNET_OPTION_CONNECT_BACKOFF, 1000);
    SetDword(session.get(), INTERNET_OPTION_CONNECT_RETRIES, 1);

    // Children close before the session: declared after it.
    InternetHandle connection(::InternetConnectW(session.get(), W(host), INTERNET_DEFAULT_HTTP_PORT, nullptr,
                                                 nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) {
        Trace(u"login: no connection");
        return false;
    }
    InternetHandle request(::HttpOpenRequestW(connection.get(), L"GET", L"wt4/login", L"HTTP/1.0", nullptr,
                                              nullptr, INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!request) return false;
    RelaxCertificateChecks(request.get());
    ::HttpAddRequestHeadersW(request.get(), kAcceptLine, static_cast<DWORD>(-1), HTTP_ADDREQ_FLAG_ADD_IF_NEW);
    ::HttpAddRequestHeadersW(request.get(), kUserAgentLine, static_cast<DWORD>(-1), HTTP_ADDREQ_FLAG_ADD_IF_NEW);
    if (!::HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) {
        const DWORD code = ::GetLastError();
        if (!IsCertificateError(code)) {
            Trace(u"login: send failed");
            return false;
        }
        RelaxCertificateChecks(request.get());
        // A transport failure of this one resend is not the login's to absorb.
        if (!::HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) throw InternetError{::GetLastError()};
    }
    const bool ok = StatusIs200(request.get());
    Trace(ok ? u"login: 200" : u"login: not 200");
    return ok;
}

WideString InternetErrorText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                                         FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                     ::GetModuleHandleW(L"wininet.dll"), code, 0,
                                     reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    WideString out = n ? FromW(text, n) : WideString();
    if (text) ::LocalFree(text);
    return out;
}

}  // namespace tessel
