#include "start/login_win.h"

#include <wininet.h>

#include <string>
#include <utility>

#include "base/handles_win.h"
#include "base/module_win.h"
#include "base/trace_lines.h"
#include "base/trace_win.h"
#include "base/wide_win.h"

namespace tessel {

namespace {

constexpr wchar_t kAcceptLine[] =
    L"Accept: audio/x-aiff, audio/basic, audio/midi, audio/mpeg, audio/wav, image/jpeg, image/gif, "
    L"image/jpg, image/png, image/mng, image/bmp, text/plain, text/html, text/htm\r\n";
constexpr wchar_t kUserAgentLine[] = L"User-Agent: FOOBW/1.0\r\n";
constexpr DWORD kRelaxedCertificateChecks =
    SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_CN_INVALID | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;

void SetDword(HINTERNET h, DWORD option, DWORD value) {
    ::InternetSetOptionW(h, option, &value, sizeof value);
}

void RelaxCertificateChecks(HINTERNET request) {
    DWORD flags = 0, len = sizeof flags;
    ::InternetQueryOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, &len);
    flags |= kRelaxedCertificateChecks;
    ::InternetSetOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof flags);
}

bool IsCertificateError(DWORD code) {
    return code == ERROR_INTERNET_SEC_CERT_DATE_INVALID || code == ERROR_INTERNET_SEC_CERT_CN_INVALID ||
           code == ERROR_INTERNET_INVALID_CA;
}

constexpr int kMaxRedirects = 10;

struct Target {
    WideString host;
    INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
    WideString object;
    bool secure = false;
};

bool IsRedirect(DWORD status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

DWORD StatusCode(HINTERNET request) {
    wchar_t text[40] = {};  // 80 bytes
    DWORD len = sizeof text;
    if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE, text, &len, nullptr)) return 0;
    return static_cast<DWORD>(::_wtoi(text));
}

// The next hop of a redirect, relative to the current one; false when there is none.
bool NextTarget(HINTERNET request, Target& target) {
    std::wstring location(2048, L'\0');
    DWORD len = static_cast<DWORD>(location.size() * sizeof(wchar_t));
    if (!::HttpQueryInfoW(request, HTTP_QUERY_LOCATION, location.data(), &len, nullptr)) return false;
    location.resize(len / sizeof(wchar_t));
    if (!location.empty() && location[0] == L'/') {
        target.object = FromW(location.c_str());
        return true;
    }
    wchar_t host[256] = {}, path[2048] = {};
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 2048;
    if (!::InternetCrackUrlW(location.c_str(), 0, 0, &parts)) return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
    target.host = FromW(host);
    target.port = parts.nPort;
    target.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    target.object = FromW(path);
    return true;
}

}  // namespace

void LoginAbort::Abort() {
    const Hold hold(m_lock);
    m_aborted = true;
    if (m_request) ::InternetCloseHandle(std::exchange(m_request, nullptr));
}

bool LoginAbort::Aborted() {
    const Hold hold(m_lock);
    return m_aborted;
}

bool LoginAbort::Use(void* request) {
    const Hold hold(m_lock);
    if (m_aborted) return false;
    m_request = request;
    return true;
}

bool LoginAbort::Done(void* request) {
    const Hold hold(m_lock);
    if (m_request != request) return false;
    m_request = nullptr;
    return true;
}

namespace {
// A request lent to the abort while the login calls on it; given back before its owner
// closes it, or let go by the owner where the abort closed it.
class LentRequest {
public:
    LentRequest(LoginAbort& abort, InternetHandle& request)
        : m_abort(abort), m_request(request), m_lent(abort.Use(request.get())) {}
    ~LentRequest() {
        if (m_lent && !m_abort.Done(m_request.get())) m_request.release();
    }
    LentRequest(const LentRequest&) = delete;
    LentRequest& operator=(const LentRequest&) = delete;
    explicit operator bool() const { return m_lent; }

private:
    LoginAbort& m_abort;
    InternetHandle& m_request;
    bool m_lent;
};
}  // namespace

LoginOutcome LoginToServer(const WideString& host, LoginAbort& abort) {
    using Kind = LoginOutcome::Kind;
    // The agent name is the executable's name without its extension.
    const WideString agent = ModuleStem();
    // Declared before the connection and the request: closed after them.
    InternetHandle session(::InternetOpenW(W(agent), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return {Kind::HttpLayerError, ::GetLastError()};
    if (abort.Aborted()) return {Kind::NotAccepted};
    SetDword(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, 30000);
    SetDword(session.get(), INTERNET_OPTION_CONNECT_BACKOFF, 1000);
    SetDword(session.get(), INTERNET_OPTION_CONNECT_RETRIES, 1);
    // Windows ends an unanswered request after 30 s by default; Wine would wait forever.
    SetDword(session.get(), INTERNET_OPTION_SEND_TIMEOUT, 30000);
    SetDword(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, 30000);

    // Redirects are followed here rather than by the HTTP layer, so that a redirect loop
    // ends after a bounded number of hops instead of holding the window forever.
    Target target{host, INTERNET_DEFAULT_HTTP_PORT, u"wt4/login", false};
    for (int hop = 0; hop <= kMaxRedirects; ++hop) {
        InternetHandle connection(::InternetConnectW(session.get(), W(target.host), target.port, nullptr, nullptr,
                                                     INTERNET_SERVICE_HTTP, 0, 0));
        if (!connection) {
            Trace(lines::kLoginNoConnection);
            return {Kind::NotAccepted};
        }
        DWORD flags = INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;
        if (target.secure) flags |= INTERNET_FLAG_SECURE;
        InternetHandle request(::HttpOpenRequestW(connection.get(), L"GET", W(target.object), L"HTTP/1.0", nullptr,
                                                  nullptr, flags, 0));
        if (!request) return {Kind::NotAccepted};
        const LentRequest lent(abort, request);
        if (!lent) return {Kind::NotAccepted};
        const auto prepare = [&request] {
            // Wine takes these on the request only.
            SetDword(request.get(), INTERNET_OPTION_SEND_TIMEOUT, 30000);
            SetDword(request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, 30000);
            RelaxCertificateChecks(request.get());
            ::HttpAddRequestHeadersW(request.get(), kAcceptLine, static_cast<DWORD>(-1), HTTP_ADDREQ_FLAG_ADD_IF_NEW);
            ::HttpAddRequestHeadersW(request.get(), kUserAgentLine, static_cast<DWORD>(-1),
                                     HTTP_ADDREQ_FLAG_ADD_IF_NEW);
        };
        if (!abort.CallUnlessAborted(prepare)) return {Kind::NotAccepted};
        // The blocking call: an abort closes the request under it, which ends it at once.
        if (!::HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) {
            const DWORD code = ::GetLastError();
            if (abort.Aborted()) return {Kind::NotAccepted};
            if (!IsCertificateError(code)) {
                Trace(lines::kLoginSendFailed);
                return {Kind::NotAccepted};
            }
            if (!abort.CallUnlessAborted([&request] { RelaxCertificateChecks(request.get()); })) return {Kind::NotAccepted};
            // A transport failure of this one resend is not the login's to absorb.
            if (!::HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) {
                const DWORD error = ::GetLastError();
                if (abort.Aborted()) return {Kind::NotAccepted};
                return {Kind::HttpLayerError, error};
            }
        }
        DWORD status = 0;
        bool redirected = false;
        if (!abort.CallUnlessAborted([&] {
                status = StatusCode(request.get());
                redirected = IsRedirect(status) && NextTarget(request.get(), target);
            }))
            return {Kind::NotAccepted};
        if (redirected) continue;
        Trace(status == 200 ? lines::kLogin200 : lines::kLoginNot200);
        return {status == 200 ? Kind::Accepted : Kind::NotAccepted};
    }
    Trace(lines::kLoginTooManyRedirects);
    return {Kind::NotAccepted};
}

}  // namespace tessel
