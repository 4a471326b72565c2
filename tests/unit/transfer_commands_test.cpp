#include <gtest/gtest.h>

#include "events/transfer_commands.h"
#include "tests/support/windows_argv.h"

using namespace tessel;

namespace {
const WideString kTool = u"C:\\Program Files\\Common Files\\Quorvex\\curl.exe";
const std::string kToolNarrow = "C:\\Program Files\\Common Files\\Quorvex\\curl.exe";
}  // namespace

TEST(TransferCommands, DownloadLineAsWindowsReadsIt) {
    const auto line = FormatDownloadCommand(kTool, "C:\\My Out\\~tessel-7-0.head", "C:\\My Out\\~tessel-7-0.part",
                                            u"http://h:8080/jobs/{a,b}/[1-9].xml");
    ASSERT_TRUE(line);
    EXPECT_EQ(*line,
              "\"C:\\Program Files\\Common Files\\Quorvex\\curl.exe\" -q -g -f -k --proto =http,https "
              "--connect-timeout 30 --speed-limit 1 --speed-time 60 -D \"C:\\My Out\\~tessel-7-0.head\" "
              "-o \"C:\\My Out\\~tessel-7-0.part\" \"http://h:8080/jobs/{a,b}/[1-9].xml\"");
    const std::vector<std::string> expected = {kToolNarrow, "-q", "-g", "-f", "-k", "--proto", "=http,https",
                                               "--connect-timeout", "30", "--speed-limit", "1", "--speed-time",
                                               "60", "-D", "C:\\My Out\\~tessel-7-0.head", "-o",
                                               "C:\\My Out\\~tessel-7-0.part", "http://h:8080/jobs/{a,b}/[1-9].xml"};
    EXPECT_EQ(winargv::Split(*line), expected);
}

TEST(TransferCommands, DeleteLineAsWindowsReadsIt) {
    const auto line = FormatDeleteCommand(kTool, "http://h:8080/viewer", u"a&b#c+d%26e f\".xml");
    ASSERT_TRUE(line);
    EXPECT_EQ(*line,
              "\"C:\\Program Files\\Common Files\\Quorvex\\curl.exe\" -q -g -k --connect-timeout 30 "
              "--speed-limit 1 --speed-time 60 -X DELETE "
              "http://h:8080/viewer?file=a%26b%23c%2Bd%26e%20f%22.xml");
    const auto args = winargv::Split(*line);
    ASSERT_EQ(args.size(), 13u);
    EXPECT_EQ(args[0], kToolNarrow);
    EXPECT_EQ(args[1], "-q") << "curl reads no configuration file only when -q comes first";
    EXPECT_EQ(args[12], "http://h:8080/viewer?file=a%26b%23c%2Bd%26e%20f%22.xml");
    // An unquoted tool path in a folder with blanks is what Windows would split.
    EXPECT_EQ(winargv::Split(kToolNarrow + " -k")[0], "C:\\Program");
}

TEST(TransferCommands, LocationCannotAddArguments) {
    const auto line = FormatDownloadCommand(u"c.exe", "h", "p", u"http://h/a\" -o \"C:\\evil\tx\x7f.xml");
    ASSERT_TRUE(line);
    const auto args = winargv::Split(*line);
    ASSERT_EQ(args.size(), 18u);
    EXPECT_EQ(args[17], "http://h/a%22%20-o%20%22C:\\evil%09x%7F.xml");
    // Backslashes at the end would escape the closing quote and run into the next piece.
    const auto slashes = FormatDownloadCommand(u"c.exe", "h", "p", u"http://h/a\\\\");
    ASSERT_TRUE(slashes);
    const auto read = winargv::Split(*slashes);
    ASSERT_EQ(read.size(), 18u);
    EXPECT_EQ(read[17], "http://h/a\\\\");
}

TEST(TransferCommands, RefusedPieces) {
    const WideString url = u"http://h/r.xml";
    EXPECT_FALSE(FormatDownloadCommand(u"C:\\\u65e5\\curl.exe", "h", "p", url));
    EXPECT_FALSE(FormatDownloadCommand(u"C:\\a\"b\\curl.exe", "h", "p", url));
    EXPECT_FALSE(FormatDownloadCommand(u"", "h", "p", url));
    EXPECT_FALSE(FormatDownloadCommand(u"c", "C:\\out\\", "p", url));  // would escape its quote
    EXPECT_FALSE(FormatDownloadCommand(u"c", "h", "a\"b", url));
    EXPECT_FALSE(FormatDownloadCommand(u"c", "h", "p", u"http://h/\u65e5.xml"));
    EXPECT_FALSE(FormatDeleteCommand(u"c", "b", u"\u65e5.xml"));
    // Location and file name each fit 1,023 units, counted before and after encoding.
    const WideString longest = u"http://h/" + WideString(1023 - 13, u'a') + u".xml";
    EXPECT_TRUE(FormatDownloadCommand(u"c", "h", "p", longest));
    EXPECT_FALSE(FormatDownloadCommand(u"c", "h", "p", u"a" + longest));
    EXPECT_FALSE(FormatDownloadCommand(u"c", "h", "p", u"http://h/" + WideString(340, u' ') + u".xml"));
    EXPECT_TRUE(FormatDeleteCommand(u"c", "b", WideString(1023, u'n')));
    EXPECT_FALSE(FormatDeleteCommand(u"c", "b", WideString(1024, u'n')));
    EXPECT_FALSE(FormatDeleteCommand(u"c", "b", WideString(400, u'&')));
    // The whole line stays within what CreateProcess takes: 32,766 characters and its NUL.
    EXPECT_FALSE(FormatDeleteCommand(u"c", std::string(33000, 'b'), u"r.xml"));
}

TEST(TransferCommands, LinesExactlyAtCreateProcessLimitRunAndOneMoreDoesNot) {
    constexpr std::size_t kLimit = 32766;
    const std::string deleteHead = "\"c\" -q -g -k --connect-timeout 30 --speed-limit 1 --speed-time 60 -X DELETE ";
    const std::string deleteTail = "?file=r.xml";
    const std::string base(kLimit - deleteHead.size() - deleteTail.size(), 'b');
    const auto atLimit = FormatDeleteCommand(u"c", base, u"r.xml");
    ASSERT_TRUE(atLimit);
    EXPECT_EQ(atLimit->size(), kLimit);
    EXPECT_EQ(*atLimit, deleteHead + base + deleteTail);
    EXPECT_FALSE(FormatDeleteCommand(u"c", base + "b", u"r.xml"));

    const std::string downloadFixed =
        "\"c\" -q -g -f -k --proto =http,https --connect-timeout 30 --speed-limit 1 --speed-time 60 -D \"\" -o \"p\" "
        "\"http://h/r.xml\"";
    const std::string head(kLimit - downloadFixed.size(), 'h');
    const auto download = FormatDownloadCommand(u"c", head, "p", u"http://h/r.xml");
    ASSERT_TRUE(download);
    EXPECT_EQ(download->size(), kLimit);
    EXPECT_FALSE(FormatDownloadCommand(u"c", head + "h", "p", u"http://h/r.xml"));
}

TEST(TransferCommands, WorkingFilesSitBesideTheOutput) {
    EXPECT_EQ(SiblingPath("C:\\My Out\\job result.xml", "12-0", ".part"), "C:\\My Out\\~tessel-12-0.part");
    EXPECT_EQ(SiblingPath("Z:/tmp/r.xml", "1-2", ".head"), "Z:/tmp/~tessel-1-2.head");
    EXPECT_EQ(SiblingPath("r.xml", "1-0", ".part"), "~tessel-1-0.part");
    EXPECT_EQ(SiblingPath("C:r.xml", "1-0", ".part"), "C:~tessel-1-0.part");
    EXPECT_TRUE(IsQuotablePath("C:\\My Out\\r.xml"));
    EXPECT_FALSE(IsQuotablePath("C:\\My Out\\"));
    EXPECT_FALSE(IsQuotablePath("C:/out/"));
    EXPECT_FALSE(IsQuotablePath(""));
    EXPECT_FALSE(IsQuotablePath("a\"b"));
    // Only names of that making are swept as stale working files.
    for (const char* ours : {"~tessel-12-0.part", "~tessel-1-99.head"}) EXPECT_TRUE(IsWorkingFileName(ours)) << ours;
    for (const char* other : {"~tessel-12-0.xml", "~tessel--0.part", "~tessel-12-.part", "~tessel-1x-0.part",
                              "~tessel-12.part", "~TESSEL-1-0.part", "x~tessel-1-0.part", "~tessel-1-0.part.bak",
                              ".part", "~tessel-.head", "job result.xml"})
        EXPECT_FALSE(IsWorkingFileName(other)) << other;
    EXPECT_EQ(FolderOf("C:\\My Out\\r.xml"), "C:\\My Out\\");
    EXPECT_EQ(FolderOf("r.xml"), "");
}

TEST(TransferCommands, OnlyAWhole200IsTheDocument) {
    const std::string ok = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n";
    EXPECT_EQ(FinalStatus(ok), 200);
    EXPECT_TRUE(IsDeliveredDocument(0, ok));
    EXPECT_FALSE(IsDeliveredDocument(18, ok));  // cut mid-document
    EXPECT_FALSE(IsDeliveredDocument(28, ok));  // stalled
    const std::string redirect = "HTTP/1.1 302 Found\r\nLocation: /login\r\n\r\n";
    EXPECT_EQ(FinalStatus(redirect), 302);
    EXPECT_FALSE(IsDeliveredDocument(0, redirect));
    EXPECT_EQ(FinalStatus("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\n\r\n"), 200);
    EXPECT_EQ(FinalStatus("HTTP/2 200\r\n\r\n"), 200);
    EXPECT_EQ(FinalStatus("HTTP/1.0 304 Not Modified\n\n"), 304);
    EXPECT_FALSE(FinalStatus(""));
    EXPECT_FALSE(FinalStatus("HTTP/1.1 2000 OK\r\n"));
    EXPECT_FALSE(FinalStatus("HTTP/1.1 20x OK\r\n"));
    EXPECT_FALSE(FinalStatus("HTTP/1.1\r\n"));
    EXPECT_FALSE(IsDeliveredDocument(0, "garbage"));
    // Only the last answer counts: a 200 followed by anything else is not the document.
    const std::string first = "HTTP/1.1 200 OK\r\n\r\n";
    for (const char* later : {"HTTP/1.1 xyz\r\n", "HTTP/1.1 \r\n", "HTTP/1.1\r\n", "HTTP/1.1 201 Created\r\n",
                              "HTTP/1.1 204 No Content\r\n", "HTTP/1.1 2000\r\n", "HTTP/1.1 20\r\n"})
        EXPECT_FALSE(IsDeliveredDocument(0, first + later)) << later;
    EXPECT_EQ(FinalStatus(first + "HTTP/1.1 206 Partial\r\n"), 206);
}
