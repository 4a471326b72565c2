#include <gtest/gtest.h>

#include <algorithm>

#include "delivery/curl_command.h"
#include "tests/support/windows_argv.h"

using namespace tessel;

namespace {
// The lines as UTF-8, which Windows' argument rules split as they split the wide line.
std::optional<std::string> Download(WideView curl, std::string_view head, std::string_view part, WideView url) {
    const WideString h = Utf8ToWide(head), p = Utf8ToWide(part);
    const auto line = FormatDownloadCommand(curl, RunFiles{h, p, u"~l.log"}, url);
    return line ? std::optional<std::string>(ToUtf8(*line)) : std::nullopt;
}
std::optional<std::string> Delete(WideView curl, std::string_view base, WideView name,
                                  const TransferRoute& route = {}) {
    const auto line = FormatDeleteCommand(curl, RunFiles{u"~h.head", {}, u"~l.log"}, base, name, route);
    return line ? std::optional<std::string>(ToUtf8(*line)) : std::nullopt;
}
const WideString kCurl = u"C:\\Program Files\\Common Files\\Quorvex\\curl.exe";
const std::string kCurlNarrow = "C:\\Program Files\\Common Files\\Quorvex\\curl.exe";
}  // namespace

TEST(CurlCommand, DownloadLineAsWindowsReadsIt) {
    const auto line = Download(kCurl, "C:\\My Out\\~tessel-7-0.head", "C:\\My Out\\~tessel-7-0.part",
                                            u"http://h:8080/jobs/{a,b}/[1-9].xml");
    ASSERT_TRUE(line);
    EXPECT_EQ(*line,
              "\"C:\\Program Files\\Common Files\\Quorvex\\curl.exe\" -q -g -f -k --proto =http,https "
              "--connect-timeout 30 --speed-limit 1 --speed-time 60 --noproxy \"*\" -sS --stderr \"~l.log\" "
              "-D \"C:\\My Out\\~tessel-7-0.head\" -o \"C:\\My Out\\~tessel-7-0.part\" "
              "--url \"http://h:8080/jobs/{a,b}/[1-9].xml\"");
    const std::vector<std::string> expected = {kCurlNarrow, "-q", "-g", "-f", "-k", "--proto", "=http,https",
                                               "--connect-timeout", "30", "--speed-limit", "1", "--speed-time",
                                               "60", "--noproxy", "*", "-sS", "--stderr", "~l.log", "-D",
                                               "C:\\My Out\\~tessel-7-0.head", "-o",
                                               "C:\\My Out\\~tessel-7-0.part", "--url",
                                               "http://h:8080/jobs/{a,b}/[1-9].xml"};
    EXPECT_EQ(winargv::Split(*line), expected);
    // The page's route: its proxy, and its session on curl's input, right after -q.
    TransferRoute page;
    page.proxy = u"http://px:3128";
    page.sessionOnInput = true;
    const auto routed = FormatDownloadCommand(u"c", RunFiles{u"h", u"p", u"l"}, u"http://h/r.xml", page);
    ASSERT_TRUE(routed);
    const auto args = winargv::Split(ToUtf8(*routed));
    EXPECT_EQ(std::vector<std::string>(args.begin(), args.begin() + 4), (std::vector<std::string>{"c", "-q", "-K", "-"}));
    EXPECT_EQ(std::vector<std::string>(args.end() - 11, args.end() - 9), (std::vector<std::string>{"--proxy", "http://px:3128"}));
    // The page's trust: the user's logon for the proxy's and the zone's server's challenge;
    // the certificate checked, or held to the key Windows accepted; otherwise -k.
    const auto options = [](const TransferRoute& r) {
        const auto line = FormatDownloadCommand(u"c", RunFiles{u"h", u"p", u"l"}, u"https://h/r.xml", r);
        const auto all = winargv::Split(ToUtf8(*line));
        std::string out;
        for (auto a = all.begin() + 1; a != all.end() && *a != "--connect-timeout"; ++a) out += *a + " ";
        for (auto a = std::find(all.begin(), all.end(), "60") + 1; *a != "-sS"; ++a) out += *a + " ";
        return out;
    };
    page.proxySignIn = page.serverSignIn = true;
    EXPECT_EQ(options(page), "-q -K - -g -f -k --proto =http,https --proxy http://px:3128 --proxy-anyauth -U : --negotiate --ntlm -u : ");
    page = TransferRoute();
    page.proxy = u"socks4://s:1080";
    page.proxySignIn = page.certificateAccepted = true;
    EXPECT_EQ(options(page), "-q -g -f --ssl-revoke-best-effort --proto =http,https --proxy socks4://s:1080 ");
    page.pinnedKey = u"sha256//Ab+/9=";
    EXPECT_EQ(options(page), "-q -g -f -k --pinnedpubkey sha256//Ab+/9= --proto =http,https --proxy socks4://s:1080 ");
    for (const char16_t* none : {u"sha256//A b", u"sha256//"}) {  // no key, then: curl checks the certificate itself
        page.pinnedKey = none;
        EXPECT_EQ(options(page), "-q -g -f --ssl-revoke-best-effort --proto =http,https --proxy socks4://s:1080 ");
    }
}

TEST(CurlCommand, DeleteLineAsWindowsReadsIt) {
    const auto line = Delete(kCurl, "http://h:8080/viewer", u"a&b#c+d%26e f\".xml");
    ASSERT_TRUE(line);
    EXPECT_EQ(*line,
              "\"C:\\Program Files\\Common Files\\Quorvex\\curl.exe\" -q -g -k --connect-timeout 30 "
              "--speed-limit 1 --speed-time 60 --noproxy \"*\" -X DELETE -sS --stderr \"~l.log\" -D \"~h.head\" "
              "--url \"http://h:8080/viewer?file=a%26b%23c%2Bd%26e%20f%22.xml\"");
    const auto args = winargv::Split(*line);
    ASSERT_EQ(args.size(), 21u);
    EXPECT_EQ(args[0], kCurlNarrow);
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
}

TEST(CurlCommand, LettersBeyondAsciiReachCurlAsAsciiButItsPath) {
    // curl in a Cyrillic folder; Cyrillic and CJK in the location and the viewer address.
    const WideString curl = u"C:\\\u041f\u0440\u043e\u0433\\curl.exe";
    const WideString name = u"\u041e\u0442\u0447\u0451\u0442 \u5831.xml";
    const auto download = Download(curl, "~tessel-7-0.head", "~tessel-7-0.part", u"http://h/jobs/" + name);
    const auto remove = Delete(curl, "http://h/v\xC3\xA9w", name);
    ASSERT_TRUE(download && remove);
    const std::string encoded = "%D0%9E%D1%82%D1%87%D1%91%D1%82%20%E5%A0%B1.xml";
    const auto args = winargv::Split(*download);
    ASSERT_EQ(args.size(), 24u);
    EXPECT_EQ(args[0], "C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\\curl.exe");
    EXPECT_EQ(args[23], "http://h/jobs/" + encoded);
    EXPECT_EQ(winargv::Split(*remove).back(), "http://h/v%C3%A9w?file=" + encoded);
}

TEST(CurlCommand, LocationCannotAddArguments) {
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

TEST(CurlCommand, RefusedPieces) {
    const WideString url = u"http://h/r.xml";
    EXPECT_FALSE(Download(u"C:\\a\"b\\curl.exe", "h", "p", url));
    EXPECT_FALSE(Download(u"", "h", "p", url));
    EXPECT_FALSE(Download(u"c", "C:\\out\\", "p", url));  // would escape its quote
    EXPECT_FALSE(Download(u"c", "h", "a\"b", url));
    EXPECT_TRUE(IsQuotablePath(u"C:\\My Out\\r.xml"));
    for (const char16_t* refused : {u"C:\\My Out\\", u"C:/out/", u"", u"a\"b"}) EXPECT_FALSE(IsQuotablePath(refused));
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

TEST(CurlCommand, LinesExactlyAtCreateProcessLimitRunAndOneMoreDoesNot) {
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
