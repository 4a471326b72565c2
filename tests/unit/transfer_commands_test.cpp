#include <gtest/gtest.h>

#include <algorithm>

#include "delivery/transfer_commands.h"
#include "tests/support/windows_argv.h"

using namespace tessel;

namespace {
// The lines as UTF-8, which Windows' argument rules split as they split the wide line.
std::optional<std::string> Download(WideView tool, std::string_view head, std::string_view part, WideView url) {
    const WideString h = Utf8ToWide(head), p = Utf8ToWide(part);
    const auto line = FormatDownloadCommand(tool, RunFiles{h, p, u"~l.log"}, url);
    return line ? std::optional<std::string>(ToUtf8(*line)) : std::nullopt;
}
std::optional<std::string> Delete(WideView tool, std::string_view base, WideView name, const Road& road = {}) {
    const auto line = FormatDeleteCommand(tool, RunFiles{u"~h.head", {}, u"~l.log"}, base, name, road);
    return line ? std::optional<std::string>(ToUtf8(*line)) : std::nullopt;
}
const WideString kTool = u"C:\\Program Files\\Common Files\\Quorvex\\curl.exe";
const std::string kToolNarrow = "C:\\Program Files\\Common Files\\Quorvex\\curl.exe";
}  // namespace

TEST(TransferCommands, DownloadLineAsWindowsReadsIt) {
    const auto line = Download(kTool, "C:\\My Out\\~tessel-7-0.head", "C:\\My Out\\~tessel-7-0.part",
                                            u"http://h:8080/jobs/{a,b}/[1-9].xml");
    ASSERT_TRUE(line);
    EXPECT_EQ(*line,
              "\"C:\\Program Files\\Common Files\\Quorvex\\curl.exe\" -q -g -f -k --proto =http,https "
              "--connect-timeout 30 --speed-limit 1 --speed-time 60 --noproxy \"*\" -sS --stderr \"~l.log\" "
              "-D \"C:\\My Out\\~tessel-7-0.head\" -o \"C:\\My Out\\~tessel-7-0.part\" "
              "--url \"http://h:8080/jobs/{a,b}/[1-9].xml\"");
    const std::vector<std::string> expected = {kToolNarrow, "-q", "-g", "-f", "-k", "--proto", "=http,https",
                                               "--connect-timeout", "30", "--speed-limit", "1", "--speed-time",
                                               "60", "--noproxy", "*", "-sS", "--stderr", "~l.log", "-D",
                                               "C:\\My Out\\~tessel-7-0.head", "-o",
                                               "C:\\My Out\\~tessel-7-0.part", "--url",
                                               "http://h:8080/jobs/{a,b}/[1-9].xml"};
    EXPECT_EQ(winargv::Split(*line), expected);
    // The page's road: its proxy, and its session on the tool's input, right after -q.
    Road page;
    page.proxy = u"http://px:3128";
    page.sessionOnInput = true;
    const auto road = FormatDownloadCommand(u"c", RunFiles{u"h", u"p", u"l"}, u"http://h/r.xml", page);
    ASSERT_TRUE(road);
    const auto args = winargv::Split(ToUtf8(*road));
    EXPECT_EQ(std::vector<std::string>(args.begin(), args.begin() + 4), (std::vector<std::string>{"c", "-q", "-K", "-"}));
    EXPECT_EQ(std::vector<std::string>(args.end() - 11, args.end() - 9), (std::vector<std::string>{"--proxy", "http://px:3128"}));
    // The page's trust: the user's logon for the proxy's and the zone's server's challenge;
    // the certificate checked, or held to the key Windows accepted; otherwise -k.
    const auto options = [](const Road& r) {
        const auto line = FormatDownloadCommand(u"c", RunFiles{u"h", u"p", u"l"}, u"https://h/r.xml", r);
        const auto all = winargv::Split(ToUtf8(*line));
        std::string out;
        for (auto a = all.begin() + 1; a != all.end() && *a != "--connect-timeout"; ++a) out += *a + " ";
        for (auto a = std::find(all.begin(), all.end(), "60") + 1; *a != "-sS"; ++a) out += *a + " ";
        return out;
    };
    page.proxySignIn = page.serverSignIn = true;
    EXPECT_EQ(options(page), "-q -K - -g -f -k --proto =http,https --proxy http://px:3128 --proxy-anyauth -U : --negotiate --ntlm -u : ");
    page = Road();
    page.proxy = u"socks4://s:1080";
    page.proxySignIn = page.certificateAccepted = true;
    EXPECT_EQ(options(page), "-q -g -f --ssl-revoke-best-effort --proto =http,https --proxy socks4://s:1080 ");
    page.pinnedKey = u"sha256//Ab+/9=";
    EXPECT_EQ(options(page), "-q -g -f -k --pinnedpubkey sha256//Ab+/9= --proto =http,https --proxy socks4://s:1080 ");
    page.pinnedKey = u"sha256//A b";  // no key, then: the tool checks the certificate itself
    EXPECT_EQ(options(page), "-q -g -f --ssl-revoke-best-effort --proto =http,https --proxy socks4://s:1080 ");
}

TEST(TransferCommands, DeleteLineAsWindowsReadsIt) {
    const auto line = Delete(kTool, "http://h:8080/viewer", u"a&b#c+d%26e f\".xml");
    ASSERT_TRUE(line);
    EXPECT_EQ(*line,
              "\"C:\\Program Files\\Common Files\\Quorvex\\curl.exe\" -q -g -k --connect-timeout 30 "
              "--speed-limit 1 --speed-time 60 --noproxy \"*\" -X DELETE -sS --stderr \"~l.log\" -D \"~h.head\" "
              "--url \"http://h:8080/viewer?file=a%26b%23c%2Bd%26e%20f%22.xml\"");
    const auto args = winargv::Split(*line);
    ASSERT_EQ(args.size(), 21u);
    EXPECT_EQ(args[0], kToolNarrow);
    EXPECT_EQ(args[1], "-q") << "curl reads no configuration file only when -q comes first";
    EXPECT_EQ(args[20], "http://h:8080/viewer?file=a%26b%23c%2Bd%26e%20f%22.xml");
    EXPECT_EQ(Utf8ToWide(args[20]), DeleteAddress("http://h:8080/viewer", u"a&b#c+d%26e f\".xml"));
    // A web folder with a blank, a base bent into an option: one address all the same. A
    // '#' cannot end the query before the file; a base with a query of its own takes it as
    // one more parameter.
    EXPECT_EQ(winargv::Split(*Delete(u"c", "http://s/viewer space/x", u"r.xml")).back(),
              "http://s/viewer%20space/x?file=r.xml");
    EXPECT_EQ(DeleteAddress("http://s/v#top", u"r.xml"), u"http://s/v%23top?file=r.xml");
    EXPECT_EQ(DeleteAddress("http://s/v?job=7", u"r.xml"), u"http://s/v?job=7&file=r.xml");
    EXPECT_EQ(DownloadAddress(u"http://s/a b\u00e9.xml"), u"http://s/a%20b%C3%A9.xml");
    const auto bent = winargv::Split(*Delete(u"c", "http://s/v -o C:\\x \"\t\\", u"r.xml"));
    EXPECT_EQ(bent.size(), 21u);
    EXPECT_EQ(bent.back(), "http://s/v%20-o%20C:\\x%20%22%09\\?file=r.xml");
    // An unquoted tool path in a folder with blanks is what Windows would split.
    EXPECT_EQ(winargv::Split(kToolNarrow + " -k")[0], "C:\\Program");
}

TEST(TransferCommands, LettersBeyondAsciiReachTheToolAsAsciiButItsPath) {
    // A tool in a Cyrillic folder; Cyrillic and CJK in the location and the viewer address.
    const WideString tool = u"C:\\\u041f\u0440\u043e\u0433\\curl.exe";
    const WideString name = u"\u041e\u0442\u0447\u0451\u0442 \u5831.xml";
    const auto download = Download(tool, "~tessel-7-0.head", "~tessel-7-0.part", u"http://h/jobs/" + name);
    const auto remove = Delete(tool, "http://h/v\xC3\xA9w", name);
    ASSERT_TRUE(download && remove);
    const std::string encoded = "%D0%9E%D1%82%D1%87%D1%91%D1%82%20%E5%A0%B1.xml";
    const auto args = winargv::Split(*download);
    ASSERT_EQ(args.size(), 24u);
    EXPECT_EQ(args[0], "C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\\curl.exe");
    EXPECT_EQ(args[23], "http://h/jobs/" + encoded);
    EXPECT_EQ(winargv::Split(*remove).back(), "http://h/v%C3%A9w?file=" + encoded);
}

TEST(TransferCommands, LocationCannotAddArguments) {
    const auto line = Download(u"c.exe", "h", "p", u"http://h/a\" -o \"C:\\evil\tx\x7f.xml");
    ASSERT_TRUE(line);
    const auto args = winargv::Split(*line);
    ASSERT_EQ(args.size(), 24u);
    EXPECT_EQ(args[23], "http://h/a%22%20-o%20%22C:\\evil%09x%7F.xml");
    // Backslashes at the end would escape the closing quote and run into the next piece.
    const auto slashes = Download(u"c.exe", "h", "p", u"http://h/a\\\\");
    ASSERT_TRUE(slashes);
    const auto read = winargv::Split(*slashes);
    ASSERT_EQ(read.size(), 24u);
    EXPECT_EQ(read[23], "http://h/a\\\\");
}

TEST(TransferCommands, RefusedPieces) {
    const WideString url = u"http://h/r.xml";
    EXPECT_FALSE(Download(u"C:\\a\"b\\curl.exe", "h", "p", url));
    EXPECT_FALSE(Download(u"", "h", "p", url));
    EXPECT_FALSE(Download(u"c", "C:\\out\\", "p", url));  // would escape its quote
    EXPECT_FALSE(Download(u"c", "h", "a\"b", url));
    // Location and file name each fit 1,023 units, counted as the browser gives them.
    const WideString longest = u"http://h/" + WideString(1023 - 13, u'a') + u".xml";
    EXPECT_TRUE(Download(u"c", "h", "p", longest));
    EXPECT_FALSE(Download(u"c", "h", "p", u"a" + longest));
    // Counted before encoding: letters that grow nine-fold on the line still fit.
    const WideString grown = u"http://h/" + WideString(1023 - 13, u'\u5831') + u".xml";
    const auto grownLine = Download(u"c", "h", "p", grown);
    ASSERT_TRUE(grownLine);
    EXPECT_EQ(winargv::Split(*grownLine).back().size(), 9u + 9 * 1010 + 4);
    EXPECT_FALSE(Download(u"c", "h", "p", u"\u00e9" + grown));
    EXPECT_TRUE(Delete(u"c", "b", WideString(1023, u'n')));
    EXPECT_FALSE(Delete(u"c", "b", WideString(1024, u'n')));
    // The whole line stays within what CreateProcess takes: 32,766 characters and its NUL.
    EXPECT_FALSE(Delete(u"c", std::string(33000, 'b'), u"r.xml"));
}

TEST(TransferCommands, LinesExactlyAtCreateProcessLimitRunAndOneMoreDoesNot) {
    constexpr std::size_t kLimit = 32766;
    const std::string deleteHead =
        "\"c\" -q -g -k --connect-timeout 30 --speed-limit 1 --speed-time 60 --noproxy \"*\" -X DELETE -sS "
        "--stderr \"~l.log\" -D \"~h.head\" --url \"";
    const std::string deleteTail = "?file=r.xml\"";
    const std::string base(kLimit - deleteHead.size() - deleteTail.size(), 'b');
    const auto atLimit = Delete(u"c", base, u"r.xml");
    ASSERT_TRUE(atLimit);
    EXPECT_EQ(atLimit->size(), kLimit);
    EXPECT_EQ(*atLimit, deleteHead + base + deleteTail);
    EXPECT_FALSE(Delete(u"c", base + "b", u"r.xml"));

    const std::string downloadFixed =
        "\"c\" -q -g -f -k --proto =http,https --connect-timeout 30 --speed-limit 1 --speed-time 60 --noproxy \"*\" "
        "-sS --stderr \"~l.log\" -D \"\" -o \"p\" --url \"http://h/r.xml\"";
    const std::string head(kLimit - downloadFixed.size(), 'h');
    const auto download = Download(u"c", head, "p", u"http://h/r.xml");
    ASSERT_TRUE(download);
    EXPECT_EQ(download->size(), kLimit);
    EXPECT_FALSE(Download(u"c", head + "h", "p", u"http://h/r.xml"));
}

TEST(TransferCommands, WorkingFilesSitBesideTheOutput) {
    EXPECT_EQ(WorkingFileName("12-0", ".part"), u"~tessel-12-0.part");
    EXPECT_TRUE(IsQuotablePath(u"C:\\My Out\\r.xml"));
    for (const char16_t* refused : {u"C:\\My Out\\", u"C:/out/", u"", u"a\"b"}) EXPECT_FALSE(IsQuotablePath(refused));
    // Only names of that making are swept as stale working files.
    for (const char* ours : {"~tessel-12-0.part", "~tessel-1-99.head", "~tessel-7-3.log"})
        EXPECT_TRUE(WorkingFileOwner(Utf8ToWide(ours))) << ours;
    for (const char* other : {"~tessel-12-0.xml", "~tessel--0.part", "~tessel-12-.part", "~tessel-1x-0.part",
                              "~tessel-12.part", "~TESSEL-1-0.part", "x~tessel-1-0.part", "~tessel-1-0.part.bak", "~tessel-1.2-0.log",
                              ".part", "~tessel-.head", "job result.xml"})
        EXPECT_FALSE(WorkingFileOwner(Utf8ToWide(other))) << other;
    EXPECT_EQ(FolderOf(u"C:\\\u041e\u0442\\r.xml"), u"C:\\\u041e\u0442\\");
    EXPECT_EQ(FolderOf(u"C:r.xml"), u"C:");
    EXPECT_EQ(FolderOf(u"r.xml"), u"");
    // A tool runs only from a drive's root or a share, never the host's current directory.
    for (const char16_t* absolute : {u"C:\\Tools", u"d:/tools", u"\\\\server\\share"})
        EXPECT_TRUE(IsAbsoluteFolder(absolute)) << ToUtf8(absolute);
    for (const char16_t* relative : {u"", u"Tools", u"\\Tools", u"C:Tools", u"\\\\\\x"})
        EXPECT_FALSE(IsAbsoluteFolder(relative)) << ToUtf8(relative);
}

TEST(TransferCommands, OnlyAWhole200IsTheDocumentAndOnlyABlipIsTriedAgain) {
    const std::string ok = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n";
    EXPECT_EQ(FinalStatus(ok), 200);
    EXPECT_EQ(DownloadVerdict(0, ok), RunVerdict::Done);
    EXPECT_EQ(DownloadVerdict(18, ok), RunVerdict::TryAgain);  // cut mid-document
    EXPECT_EQ(DownloadVerdict(28, ok), RunVerdict::TryAgain);  // stalled
    for (unsigned long transport : {7, 18, 28, 52, 55, 56}) EXPECT_EQ(DownloadVerdict(transport, ""), RunVerdict::TryAgain);
    for (unsigned long other : {6, 22, 23, 60}) EXPECT_EQ(DownloadVerdict(other, ""), RunVerdict::Failed) << other;
    // A handshake: broken off by the network, tried again; refused by the security layer (its
    // status in curl's message, a revocation that could not be checked among them), never.
    for (const char* cut : {"curl: (35) schannel: failed to receive handshake, SSL/TLS connection failed\n",
                            "curl: (35) Recv failure: Connection reset by peer", ""}) {
        EXPECT_EQ(DownloadVerdict(35, "", cut), RunVerdict::TryAgain) << cut;
        EXPECT_EQ(DeleteVerdict(35, "", cut), RunVerdict::TryAgain) << cut;
    }
    for (const char* refused :
         {"curl: (35) schannel: next InitializeSecurityContext failed: Unknown error (0x80092012) - The revocation "
          "function was unable to check revocation for the certificate.",
          "curl: (35) schannel: SEC_E_UNTRUSTED_ROOT (0x80090325)", "curl: (35) CERT_E_CN_NO_MATCH (0x800B010F)",
          "curl: (35) x (0x800b0109)"}) {
        EXPECT_EQ(DownloadVerdict(35, "", refused), RunVerdict::Failed) << refused;
        EXPECT_EQ(DeleteVerdict(35, "", refused), RunVerdict::Done) << refused;
    }
    for (const char* busy : {"HTTP/1.1 502 Bad Gateway\r\n", "HTTP/1.1 503 Busy\r\n", "HTTP/1.1 504 Gateway\r\n"}) {
        EXPECT_EQ(DownloadVerdict(22, busy), RunVerdict::TryAgain) << busy;
        EXPECT_EQ(DeleteVerdict(22, busy), RunVerdict::TryAgain) << busy;
    }
    // An answer of the server's own is never asked again, even when its body was cut.
    for (const char* answer : {"HTTP/1.1 404 Not Found\r\n", "HTTP/1.1 403 Forbidden\r\n", "HTTP/1.1 500 Error\r\n"}) {
        EXPECT_EQ(DownloadVerdict(22, answer), RunVerdict::Failed) << answer;
        EXPECT_EQ(DownloadVerdict(18, answer), RunVerdict::Failed) << answer;
        EXPECT_EQ(DeleteVerdict(0, answer), RunVerdict::Done) << answer;
    }
    EXPECT_EQ(DeleteVerdict(7, ""), RunVerdict::TryAgain);
    EXPECT_EQ(DeleteVerdict(0, ok), RunVerdict::Done);
    const std::string redirect = "HTTP/1.1 302 Found\r\nLocation: /login\r\n\r\n";
    EXPECT_EQ(FinalStatus(redirect), 302);
    EXPECT_EQ(DownloadVerdict(0, redirect), RunVerdict::Failed);
    EXPECT_EQ(FinalStatus("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\n\r\n"), 200);
    EXPECT_EQ(FinalStatus("HTTP/2 200\r\n\r\n"), 200);
    EXPECT_EQ(FinalStatus("HTTP/1.0 304 Not Modified\n\n"), 304);
    EXPECT_FALSE(FinalStatus(""));
    EXPECT_FALSE(FinalStatus("HTTP/1.1 2000 OK\r\n"));
    EXPECT_FALSE(FinalStatus("HTTP/1.1 20x OK\r\n"));
    EXPECT_FALSE(FinalStatus("HTTP/1.1\r\n"));
    EXPECT_EQ(DownloadVerdict(0, "garbage"), RunVerdict::Failed);
    // Only the last answer counts: a 200 followed by anything else is not the document.
    const std::string first = "HTTP/1.1 200 OK\r\n\r\n";
    for (const char* later : {"HTTP/1.1 xyz\r\n", "HTTP/1.1 \r\n", "HTTP/1.1\r\n", "HTTP/1.1 201 Created\r\n",
                              "HTTP/1.1 204 No Content\r\n", "HTTP/1.1 2000\r\n", "HTTP/1.1 20\r\n"})
        EXPECT_EQ(DownloadVerdict(0, first + later), RunVerdict::Failed) << later;
    EXPECT_EQ(FinalStatus(first + "HTTP/1.1 206 Partial\r\n"), 206);
    // Waits of 1, 2 and 4 s, four tries at most, none begun past a minute: a stalled run
    // (60 s without progress) is not tried again.
    EXPECT_EQ(RetryDelayMs(1, 0), 1000u);
    EXPECT_EQ(RetryDelayMs(2, 5000), 2000u);
    EXPECT_EQ(RetryDelayMs(3, 9000), 4000u);
    EXPECT_FALSE(RetryDelayMs(4, 9000));
    EXPECT_EQ(RetryDelayMs(1, 59000), 1000u);
    EXPECT_FALSE(RetryDelayMs(1, 59001));
}

TEST(TransferCommands, AChallengeNotAnsweredIsNamed) {
    EXPECT_EQ(SignInChallenge("HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Negotiate\r\n"
                              "www-authenticate: NTLM\r\nContent-Length: 0\r\n\r\n"),
              "401 Negotiate, NTLM");
    EXPECT_EQ(SignInChallenge("HTTP/1.1 401 No\r\nWWW-Authenticate: Basic realm=\"a, b\", Digest realm=\"x\", "
                              "nonce=\"1\"\r\nProxy-Authenticate: NTLM\r\n\r\n"),
              "401 Basic, Digest");
    // The proxy's own header for a 407; only the last answer's challenges.
    EXPECT_EQ(SignInChallenge("HTTP/1.1 401 No\r\nWWW-Authenticate: Basic\r\n\r\n"
                              "HTTP/1.1 407 Proxy\r\nProxy-Authenticate: Negotiate abc=\r\n\r\n"),
              "407 Negotiate");
    EXPECT_EQ(SignInChallenge("HTTP/1.1 407 Proxy\r\n\r\n"), "407");
    for (const char* other : {"HTTP/1.1 403 No\r\nWWW-Authenticate: Basic\r\n\r\n", "",
                              "HTTP/1.1 401 No\r\n\r\nHTTP/1.1 200 OK\r\n\r\n"})
        EXPECT_FALSE(SignInChallenge(other)) << other;
}

TEST(TransferCommands, SessionGoesAsOneConfigurationLine) {
    EXPECT_EQ(SessionConfig(u"SID=a1; VIEW=v42"), "header = \"Cookie: SID=a1; VIEW=v42\"\n");
    // Quotes and backslashes stay inside the value; a line break cannot start another option.
    EXPECT_EQ(SessionConfig(u"q=\"x\\y\"\r\nurl = http://evil/"),
              "header = \"Cookie: q=\\\"x\\\\y\\\"url = http://evil/\"\n");
    EXPECT_EQ(SessionConfig(u"  "), "");
}

TEST(TransferCommands, HeldFilesAndLongFolders) {
    for (unsigned long transient : {32ul, 33ul, 1224ul}) EXPECT_TRUE(IsTransientMoveError(transient, true));
    EXPECT_TRUE(IsTransientMoveError(5, false));
    EXPECT_FALSE(IsTransientMoveError(5, true));  // a read-only file or a folder stays so
    for (unsigned long lasting : {2ul, 3ul, 112ul}) EXPECT_FALSE(IsTransientMoveError(lasting, false));
    EXPECT_EQ(MoveRetryDelayMs(1) + MoveRetryDelayMs(5) + MoveRetryDelayMs(40), 50u + 800u + 1000u);
    // The tool's folder: as it is while a working file fits after it within MAX_PATH, else
    // the short form, else none.
    const WideString fits = u"C:\\" + WideString(259 - 26 - 4, u'a') + u"\\";
    EXPECT_EQ(fits.size() + kLongestWorkingName, 259u);
    EXPECT_EQ(ToolFolder(fits, u"C:\\AAAA~1\\"), fits);
    EXPECT_EQ(ToolFolder(fits + u"a", u"C:\\AAAA~1\\"), u"C:\\AAAA~1\\");
    EXPECT_FALSE(ToolFolder(fits + u"a", u""));
    EXPECT_FALSE(ToolFolder(fits + u"a", fits + u"a"));
    EXPECT_EQ(ExtendedLengthPath(u"C:\\out/r.xml"), u"\\\\?\\C:\\out\\r.xml");
    EXPECT_EQ(ExtendedLengthPath(u"\\\\srv\\share\\r.xml"), u"\\\\?\\UNC\\srv\\share\\r.xml");
    EXPECT_EQ(ExtendedLengthPath(u"r.xml"), u"r.xml");
    for (const char16_t* path : {u"C:\\out\\r.xml", u"\\\\srv\\share\\r.xml"})
        EXPECT_EQ(PlainPath(ExtendedLengthPath(path)), path);
}
