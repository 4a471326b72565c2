#include "delivery/curl_command.h"

#include <string>

#include "delivery/proxy_route.h"

namespace tessel {

namespace {

// Nothing that ends an argument or starts another (controls, blank, double quote, DEL), and
// nothing outside ASCII (UTF-8 bytes, so a curl reading the ANSI code page gets them whole).
bool EndsArgumentOrIsNotAscii(unsigned char b) { return b <= 0x20 || b == '"' || b >= 0x7F; }

bool AppendQuoted(WideString& line, WideView path) {
    if (!IsQuotablePath(path)) return false;
    line += u'"';
    line += path;
    line += u'"';
    return true;
}

// curl's path in quotes (Windows' first-argument rule then reads it whole), then -q: curl
// reads no configuration file of its own only when that is its first argument. The session
// comes as configuration on its standard input.
bool AppendCurl(WideString& line, WideView curlPath, const TransferRoute& route) {
    curlPath = CutAtNul(curlPath);
    if (curlPath.empty() || curlPath.find(u'"') != WideView::npos) return false;
    line += u'"';
    line += curlPath;
    line += u"\" -q";
    if (route.sessionOnInput) line += u" -K -";
    return true;
}

// An address as the one argument of --url, in quotes; backslashes before the closing quote
// would escape it, so they are doubled and stay themselves.
void AppendAddress(WideString& line, WideView encoded) {
    line += u" --url \"";
    line += encoded;
    const std::size_t last = line.find_last_not_of(u'\\');
    line.append(line.size() - last - 1, u'\\');
    line += u'"';
}

// An address piece as curl gets it.
WideString CommandLineUrl(WideView url) { return PercentEncode(ToUtf8(url), EndsArgumentOrIsNotAscii); }

// A file name as a query value: '&', '#' and '+' would change the query's meaning; an
// encoding already present ("%26") is kept as it is.
WideString CommandLineQueryValue(WideView name) {
    return PercentEncode(ToUtf8(name), [](unsigned char b) {
        return EndsArgumentOrIsNotAscii(b) || b == '&' || b == '#' || b == '+';
    });
}

WideString Bounds() {
    return u" --connect-timeout " + Latin1ToWide(std::to_string(kConnectTimeoutSeconds)) +
           u" --speed-limit 1 --speed-time " + Latin1ToWide(std::to_string(kStallSeconds));
}

bool IsBase64(WideView s) {
    return !s.empty() && s.find_first_not_of(u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=") ==
                             WideView::npos;
}

// Where Windows accepted the server, curl is held to the key it accepted (its own checks
// are not Windows': an address that only an IP entry of the certificate names, say), or,
// where that key is not known, checks the certificate through the system's store itself; a
// revocation list out of reach is not taken for a revoked certificate there.
WideString TrustOptions(const TransferRoute& route) {
    if (!route.certificateAccepted) return u" -k";
    constexpr WideView kSha256 = u"sha256//";
    const WideView key = route.pinnedKey;
    if (key.substr(0, kSha256.size()) == kSha256 && IsBase64(key.substr(kSha256.size())))
        return u" -k --pinnedpubkey " + WideString(key);
    return u" --ssl-revoke-best-effort";
}

// The user's logon through curl's SSPI ("-U :" and "-u :" name no one: the logged-on
// user), for a challenge only: a proxy or server that asks for nothing is sent nothing. The
// server gets Negotiate or NTLM alone, never a Basic answer with empty credentials.
WideString SignInOptions(const TransferRoute& route) {
    WideString options;
    if (route.proxySignIn && route.proxy.substr(0, 7) == u"http://") options += u" --proxy-anyauth -U :";
    if (route.serverSignIn) options += u" --negotiate --ntlm -u :";
    return options;
}

// The head, the body where there is one, and curl's message (errors only, no progress).
bool AppendFiles(WideString& line, const RunFiles& files, bool withBody) {
    line += u" -sS --stderr ";
    if (!AppendQuoted(line, files.log)) return false;
    line += u" -D ";
    if (!AppendQuoted(line, files.head)) return false;
    if (!withBody) return true;
    line += u" -o ";
    return AppendQuoted(line, files.part);
}

std::optional<WideString> WithinLimit(WideString line) {
    if (line.size() > kCommandLineChars) return std::nullopt;
    return line;
}

}  // namespace

bool IsQuotablePath(WideView path) {
    return !path.empty() && path.find(u'"') == WideView::npos && path.find(u'\0') == WideView::npos &&
           path.back() != u'\\' && path.back() != u'/';
}

WideString DownloadAddress(WideView locationUrl) { return CommandLineUrl(CutAtNul(locationUrl)); }

WideString DeleteAddress(std::string_view viewerBase, WideView fileName) {
    const std::string_view base = CutAtNul(viewerBase);
    const WideString encoded =
        PercentEncode(base, [](unsigned char b) { return EndsArgumentOrIsNotAscii(b) || b == '#'; });
    const char16_t* join = encoded.find(u'?') == WideString::npos ? u"?file=" : u"&file=";
    return encoded + join + CommandLineQueryValue(CutAtNul(fileName));
}

std::optional<WideString> FormatDownloadCommand(WideView curlPath, const RunFiles& files, WideView locationUrl,
                                                const TransferRoute& route) {
    locationUrl = CutAtNul(locationUrl);
    if (locationUrl.size() > kWidePieceUnits) return std::nullopt;
    WideString line;
    if (!AppendCurl(line, curlPath, route)) return std::nullopt;
    line += u" -g -f" + TrustOptions(route) + u" --proto =http,https" + Bounds() + RouteOptions(route.proxy) +
            SignInOptions(route);
    if (!AppendFiles(line, files, true)) return std::nullopt;
    AppendAddress(line, DownloadAddress(locationUrl));
    return WithinLimit(std::move(line));
}

std::optional<WideString> FormatDeleteCommand(WideView curlPath, const RunFiles& files, std::string_view viewerBase,
                                              WideView fileName, const TransferRoute& route) {
    fileName = CutAtNul(fileName);
    if (fileName.size() > kWidePieceUnits) return std::nullopt;
    WideString line;
    if (!AppendCurl(line, curlPath, route)) return std::nullopt;
    line += u" -g" + TrustOptions(route) + Bounds() + RouteOptions(route.proxy) + SignInOptions(route) +
            u" -X DELETE";
    if (!AppendFiles(line, files, false)) return std::nullopt;
    AppendAddress(line, DeleteAddress(viewerBase, fileName));
    return WithinLimit(std::move(line));
}

}  // namespace tessel
